// The output rectangle, cut out of the clean zoomed copy, and the clipboard copy.
#include "../view/ZarpView.h"
#include "../framework/busy.h"
#include "../framework/waitcursor.h"
#include "DibUtil.h"

bool CZarpView::ExtractRange() {
    // The range as it was marked on the picture, or the whole zoomed picture.
    const CRect rc = OutputRect();
    if (rc.IsRectEmpty()) return false;
    // An output of the same size as the last one reuses its bitmap. Otherwise the old
    // one goes first: nothing in it needs keeping, and its memory may be needed.
    if (m_bmpWork.GetSize() != rc.Size()) {
        m_bmpWork.DeleteObject();
        if (!m_bmpWork.CreateCompatibleBitmap(&m_dcScreen, rc.Width(), rc.Height())) {
            ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return false;
        }
    }
    CBitmapDC srcDC(&m_dcScreen, m_bmpZoom), dstDC(&m_dcScreen, m_bmpWork);
    return dstDC.BitBlt(0, 0, rc.Width(), rc.Height(), &srcDC, rc.left, rc.top, SRCCOPY) != FALSE;
}

void CZarpView::OnEditCopy() {
    if (OutputRect().IsRectEmpty()) return;  // nothing to output: nothing to say either
    CDibUtil util;
    CGlobalMem dib = ExtractRange() ? util.BitmapToDib(m_bmpWork, m_hWnd) : CGlobalMem();
    if (!dib.Get()) {
        Warn(L"メモリが不足しているため、コピーできません。");
        return;
    }
    // Another program may hold the clipboard for a moment: it is asked again for about
    // a second, with growing pauses, before the box says so. The window goes on painting
    // and answering meanwhile; input waits.
    static const DWORD kPausesMs[] = {20, 40, 80, 160, 300, 400};
    bool opened = ::OpenClipboard(m_hWnd) != FALSE;
    if (!opened) {
        CWaitCursor wait;
        for (DWORD pause : kPausesMs) {
            afx::PauseAnswering(pause);
            if ((opened = ::OpenClipboard(m_hWnd) != FALSE)) break;
        }
    }
    if (!opened) {
        Warn(L"クリップボードを開けません。ほかのプログラムが使用中です。");
        return;
    }
    ::EmptyClipboard();
    // The clipboard owns the block once it has accepted it; otherwise the owner frees it.
    const bool placed = ::SetClipboardData(CF_DIB, dib.Get()) != nullptr;
    if (placed) dib.Detach();
    ::CloseClipboard();
    if (!placed) Warn(L"メモリが不足しているため、コピーできません。");
}

void CZarpView::OnUpdateEditCopy(CCmdUI* pCmdUI) { pCmdUI->Enable(m_bRange == 1); }
void CZarpView::OnUpdateFileSaveAs(CCmdUI* pCmdUI) { pCmdUI->Enable(m_bRange == 1); }
