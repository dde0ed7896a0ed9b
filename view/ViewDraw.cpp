// The two zoomed copies of the picture and their drawing.
#include "ZarpView.h"
#include "zoom_math.h"

namespace {
const COLORREF kBackground = RGB(128, 128, 128);
}

void CZarpView::RenderZoom() {
    m_nZoomCx = zarp::ZoomedLength(m_nImageCx, m_nZoomShown);
    m_nZoomCy = zarp::ZoomedLength(m_nImageCy, m_nZoomShown);
    m_bmpZoom.DeleteObject();
    m_bmpZoom.CreateCompatibleBitmap(&m_dcScreen, m_nZoomCx, m_nZoomCy);
    m_bmpZoomSave.DeleteObject();
    m_bmpZoomSave.CreateCompatibleBitmap(&m_dcScreen, m_nZoomCx, m_nZoomCy);
    if (!m_bmpZoom.IsNull()) {
        CBitmapDC srcDC(&m_dcScreen, m_bmpCapture), dstDC(&m_dcScreen, m_bmpZoom);
        // Shrinking averages (HALFTONE), so thin lines of either colour stay visible;
        // enlarging repeats each source pixel as an exact block (COLORONCOLOR).
        if (m_nZoomShown < 100) {
            dstDC.SetStretchBltMode(HALFTONE);
            dstDC.SetBrushOrg(0, 0);
        } else {
            dstDC.SetStretchBltMode(COLORONCOLOR);
        }
        if (!m_bmpCapture.IsNull())
            dstDC.StretchBlt(0, 0, m_nZoomCx, m_nZoomCy, &srcDC, 0, 0, m_nImageCx, m_nImageCy, SRCCOPY);
        else
            dstDC.FillSolidRect(0, 0, m_nZoomCx, m_nZoomCy, kBackground);
        // The displayed copy starts as an exact copy of the clean one (ClearRange below).
    }
    ClearRange();
    if (m_hWnd) {
        CRect rw = GetWindowRect();
        CClientDC dc(m_hWnd);
        dc.FillSolidRect(m_nZoomCx, 0, rw.Width() - m_nZoomCx, rw.Height(), kBackground);
        dc.FillSolidRect(0, m_nZoomCy, rw.Width(), rw.Height() - m_nZoomCy, kBackground);
    }
    SetScrollSizes(MM_TEXT, CSize(m_nZoomCx, m_nZoomCy), sizeDefault, sizeDefault);
}

void CZarpView::ClearRange() {
    m_rcDrag.SetRectEmpty();
    m_rcRange.SetRectEmpty();
    m_rcPicture.SetRectEmpty();
    RestoreShownCopy(nullptr, true);
}

void CZarpView::RestoreShownCopy(const CRect* pFrame, bool bToScreen) {
    if (m_bmpZoom.IsNull() || m_bmpZoomSave.IsNull()) return;
    CBitmapDC cleanDC(&m_dcScreen, m_bmpZoom), shownDC(&m_dcScreen, m_bmpZoomSave);
    shownDC.BitBlt(0, 0, m_nZoomCx, m_nZoomCy, &cleanDC, 0, 0, SRCCOPY);
    if (pFrame) shownDC.DrawFocusRect(pFrame);
    if (bToScreen && m_hWnd) {
        CPoint scroll = GetScrollPosition();
        CClientDC dc(m_hWnd);
        dc.BitBlt(-scroll.x, -scroll.y, m_nZoomCx, m_nZoomCy, &cleanDC, 0, 0, SRCCOPY);
    }
}

void CZarpView::OnDraw(CDC* pDC) {
    if (m_bmpZoomSave.IsNull()) return;
    CBitmapDC memDC(pDC, m_bmpZoomSave);
    pDC->BitBlt(0, 0, m_nZoomCx, m_nZoomCy, &memDC, 0, 0, SRCCOPY);
}

BOOL CZarpView::OnEraseBkgnd(CDC* pDC) {
    CBrush brush(kBackground);
    auto sel = pDC->Select(brush);
    CRect clip;
    pDC->GetClipBox(&clip);
    pDC->PatBlt(clip.left, clip.top, clip.Width(), clip.Height(), PATCOPY);
    return TRUE;
}

BOOL CZarpView::OnPreparePrinting(CPrintInfo* pInfo) { return DoPreparePrinting(pInfo); }
void CZarpView::OnBeginPrinting(CDC*, CPrintInfo*) {}
void CZarpView::OnEndPrinting(CDC*, CPrintInfo*) {}
