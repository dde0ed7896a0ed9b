// The right-button context menu with Copy and Save As.
#include "../res/resource.h"
#include "ZarpView.h"
#include "win_geometry.h"

void CZarpView::OnRButtonDown(UINT nFlags, CPoint point) { CScrollView::OnRButtonDown(nFlags, point); }

void CZarpView::OnRButtonUp(UINT nFlags, CPoint point) {
    if (m_nCaptureMode == kCaptureNone) return;
    // The menu takes the mouse, which would end a drag anyway: end it first, so that the
    // menu offers what the drag marked.
    if (m_bDrag == 1) FinishDrag();
    ShowContextMenu(point);
    CScrollView::OnRButtonUp(nFlags, point);
}

// Shift+F10 and the context-menu key: the same menu as a right-click, at the range's
// top-left corner or else at the view's. The mouse's own request is left alone: the
// right-click has opened its menu on the button-up already.
void CZarpView::OnContextMenu(HWND hWnd, CPoint point) {
    if (point.x != -1 || point.y != -1) {
        CScrollView::OnContextMenu(hWnd, point);
        return;
    }
    if (m_nCaptureMode == kCaptureNone) return;
    if (m_bDrag == 1) FinishDrag();
    const CRect client = GetClientRect();
    const CPoint scroll = GetScrollPosition();
    const zarp::IPoint at = zarp::KeyboardMenuPoint(zarp::ToIRect(m_rcPicture), zarp::ToIPoint(scroll),
                                                    client.Width(), client.Height());
    ShowContextMenu(zarp::ToPoint(at));
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
