// The two zoomed copies of the picture and their drawing. The copies keep their memory
// from one zoom to the next: a size that fits is drawn into their top-left part, and
// everything that reads them uses the zoomed size, never the bitmaps' own size.
#include "ZarpView.h"
#include "zoom_math.h"

namespace {
const COLORREF kBackground = RGB(128, 128, 128);
}

bool CZarpView::RenderZoom() { return RenderZoomOf(m_bmpCapture, m_nImageCx, m_nImageCy, m_nZoomShown, false); }

bool CZarpView::RenderZoomOf(CBitmap& source, int imageCx, int imageCy, int zoom, bool bNewPicture) {
    const int cx = zarp::ZoomedLength(imageCx, zoom);
    const int cy = zarp::ZoomedLength(imageCy, zoom);
    if (cx > 0 && cy > 0) {
        const CSize have = m_bmpZoom.GetSize(), haveShown = m_bmpZoomSave.GetSize();
        const bool fits = cx <= have.cx && cy <= have.cy && cx <= haveShown.cx && cy <= haveShown.cy;
        // Memory comes back when a zoom needs less than a quarter of what is held.
        const bool wasteful = (long long)cx * cy * 4 < (long long)have.cx * have.cy;
        if (!fits || wasteful || bNewPicture) {
            // The new pair is made in full before the old one is let go: when memory
            // runs out, the picture on the screen stays as it was. A pair that still
            // fits serves on when a smaller one cannot be had.
            CBitmap clean, shown;
            if (clean.CreateCompatibleBitmap(&m_dcScreen, cx, cy) && shown.CreateCompatibleBitmap(&m_dcScreen, cx, cy)) {
                m_bmpZoom.Swap(clean);
                m_bmpZoomSave.Swap(shown);
            } else if (!fits) {
                return false;
            }
        }
        CBitmapDC srcDC(&m_dcScreen, source), dstDC(&m_dcScreen, m_bmpZoom);
        // Shrinking averages (HALFTONE), so thin lines of either colour stay visible;
        // enlarging repeats each source pixel as an exact block (COLORONCOLOR).
        if (zoom < 100) {
            dstDC.SetStretchBltMode(HALFTONE);
            dstDC.SetBrushOrg(0, 0);
        } else {
            dstDC.SetStretchBltMode(COLORONCOLOR);
        }
        if (!source.IsNull() && cx == imageCx && cy == imageCy)
            dstDC.BitBlt(0, 0, cx, cy, &srcDC, 0, 0, SRCCOPY);  // 100 %: the same pixels, a plain copy
        else if (!source.IsNull())
            dstDC.StretchBlt(0, 0, cx, cy, &srcDC, 0, 0, imageCx, imageCy, SRCCOPY);
        else
            dstDC.FillSolidRect(0, 0, cx, cy, kBackground);
    } else {
        // Nothing to show at this size: no memory is needed for it.
        m_bmpZoom.DeleteObject();
        m_bmpZoomSave.DeleteObject();
    }
    m_nZoomCx = cx;
    m_nZoomCy = cy;
    // The scroll range first: the picture is then painted where it will stay.
    SetScrollSizes(MM_TEXT, CSize(m_nZoomCx, m_nZoomCy), sizeDefault, sizeDefault);
    // The displayed copy starts as an exact copy of the clean one.
    ClearRange();
    if (m_hWnd) {
        // Grey beyond the picture as it lies on the screen now, scrolled as it is.
        const CRect client = GetClientRect();
        const CPoint scroll = GetScrollPosition();
        const int right = m_nZoomCx - scroll.x, bottom = m_nZoomCy - scroll.y;
        CClientDC dc(m_hWnd);
        if (right < client.right) dc.FillSolidRect(right, 0, client.right - right, client.bottom, kBackground);
        if (bottom < client.bottom) dc.FillSolidRect(0, bottom, client.right, client.bottom - bottom, kBackground);
    }
    return true;
}

void CZarpView::ClearRange() {
    m_rcDrag.SetRectEmpty();
    m_rcRange.SetRectEmpty();
    m_rcPicture.SetRectEmpty();
    RestoreShownCopy(nullptr, true);
}

void CZarpView::RestoreShownCopy(const CRect* pFrame, bool bToScreen) {
    if (!HasPicture() || m_bmpZoomSave.IsNull()) return;
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
    if (!HasPicture() || m_bmpZoomSave.IsNull()) return;
    {
        CBitmapDC memDC(pDC, m_bmpZoomSave);
        pDC->BitBlt(0, 0, m_nZoomCx, m_nZoomCy, &memDC, 0, 0, SRCCOPY);
    }
    // A repaint during a drag wipes the band where it repaints: draw it again there, so
    // that the next move's XOR takes exactly one band off the screen.
    if (m_bDrag == 1) {
        CRect band = m_rcRange;
        const CPoint scroll = GetScrollPosition();
        band.OffsetRect(scroll.x, scroll.y);
        pDC->DrawFocusRect(&band);
    }
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
