// The output rectangle, cut out of the clean zoomed copy, and the clipboard copy.
#include "../view/ZarpView.h"
#include "DibUtil.h"

bool CZarpView::ExtractRange() {
    // The range as it was marked on the picture, or the whole zoomed picture.
    CRect rc = m_nRangeMode == 0 ? CRect(0, 0, m_nZoomCx, m_nZoomCy) : m_rcPicture;
    m_bmpWork.DeleteObject();
    if (rc.IsRectEmpty() || m_bmpZoom.IsNull()) return false;
    if (!m_bmpWork.CreateCompatibleBitmap(&m_dcScreen, rc.Width(), rc.Height())) return false;
    CBitmapDC srcDC(&m_dcScreen, m_bmpZoom), dstDC(&m_dcScreen, m_bmpWork);
    return dstDC.BitBlt(0, 0, rc.Width(), rc.Height(), &srcDC, rc.left, rc.top, SRCCOPY) != FALSE;
}

void CZarpView::OnEditCopy() {
    if (!ExtractRange()) return;
    CDibUtil util;
    HGLOBAL h = util.BitmapToDib(m_bmpWork, m_hWnd);
    if (!h) return;
    // The clipboard owns the block only once it has accepted it; otherwise we free it.
    if (!::OpenClipboard(m_hWnd)) {
        ::GlobalFree(h);
        return;
    }
    ::EmptyClipboard();
    if (!::SetClipboardData(CF_DIB, h)) ::GlobalFree(h);
    ::CloseClipboard();
}

void CZarpView::OnUpdateEditCopy(CCmdUI* pCmdUI) { pCmdUI->Enable(m_bRange == 1); }
void CZarpView::OnUpdateFileSaveAs(CCmdUI* pCmdUI) { pCmdUI->Enable(m_bRange == 1); }
