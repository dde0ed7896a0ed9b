// The right-button context menu with Copy and Save As.
#include "../res/resource.h"
#include "ZarpView.h"

void CZarpView::OnRButtonDown(UINT nFlags, CPoint point) { CScrollView::OnRButtonDown(nFlags, point); }

void CZarpView::OnRButtonUp(UINT nFlags, CPoint point) {
    if (m_nCaptureMode == 0) return;
    ShowContextMenu(point);
    CScrollView::OnRButtonUp(nFlags, point);
}

void CZarpView::ShowContextMenu(CPoint point) {
    CMenu menu;
    if (!menu.LoadMenu(IDR_POPUP)) return;
    // The same rule as the menu bar and the tool bar: grey when there is nothing to output.
    if (m_bRange != 1) {
        menu.EnableMenuItem(ID_EDIT_COPY, MF_BYCOMMAND | MF_GRAYED);
        menu.EnableMenuItem(ID_FILE_SAVE_AS, MF_BYCOMMAND | MF_GRAYED);
    }
    HMENU hPopup = menu.GetSubMenu(0);
    ClientToScreen(&point);
    ::TrackPopupMenu(hPopup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, 0, m_hWnd, nullptr);
}
