// Range selection: the mode toggle and the rubber band drawn while dragging. The view
// holds the mouse for the length of a drag, so a button-up outside it still ends it.
#include "ZarpView.h"
#include "win_geometry.h"

void CZarpView::OnRange() {
    CancelDrag();
    if (m_nRangeMode == kRangeOff) {
        m_nRangeMode = kRangeOn;
    } else {
        ClearRange();
        m_nRangeMode = kRangeOff;
    }
    // On: nothing to output until a range is marked. Off: the whole picture, if any.
    UpdateOutputFlag();
}

void CZarpView::OnUpdateRange(CCmdUI* pCmdUI) {
    if (m_nCaptureMode == kCaptureNone) {
        pCmdUI->Enable(FALSE);
        return;
    }
    pCmdUI->Enable(TRUE);
    pCmdUI->SetCheck(m_nRangeMode == kRangeOn ? 1 : 0);
}

void CZarpView::OnLButtonDown(UINT nFlags, CPoint point) {
    if (m_nCaptureMode == kCaptureNone || m_nRangeMode == kRangeOff) return;
    CancelDrag();
    ClearRange();
    m_ptStart = point;
    m_ptStartScroll = GetScrollPosition();
    m_bDrag = 1;
    UpdateOutputFlag();
    ::SetCapture(m_hWnd);
    CScrollView::OnLButtonDown(nFlags, point);
}

void CZarpView::OnMouseMove(UINT nFlags, CPoint point) {
    if (m_bDrag != 1) return;
    CPoint scroll = GetScrollPosition();
    const CPoint start(m_ptStart.x + m_ptStartScroll.x - scroll.x, m_ptStart.y + m_ptStartScroll.y - scroll.y);
    const zarp::IRect r = zarp::ClipToPicture(zarp::NormaliseDrag(zarp::ToIPoint(start), zarp::ToIPoint(point)),
                                              scroll.x, scroll.y, m_nZoomCx, m_nZoomCy);
    m_rcDrag = zarp::ToRect(r);
    {
        CClientDC dc(m_hWnd);
        dc.DrawFocusRect(&m_rcRange);
        dc.DrawFocusRect(&m_rcDrag);
    }
    m_rcRange = m_rcDrag;
    CScrollView::OnMouseMove(nFlags, point);
}

void CZarpView::OnLButtonUp(UINT nFlags, CPoint point) {
    if (m_nCaptureMode == kCaptureNone || m_nRangeMode == kRangeOff) return;
    // A button-up without a drag of ours (pressed elsewhere) marks nothing.
    if (m_bDrag != 1) return;
    FinishDrag();
    CScrollView::OnLButtonUp(nFlags, point);
}

void CZarpView::OnCaptureChanged(HWND hNewCapture) {
    if (m_bDrag == 1 && hNewCapture != m_hWnd) FinishDrag();
}

void CZarpView::FinishDrag() {
    CPoint scroll = GetScrollPosition();
    CRect rc = m_rcRange;
    rc.OffsetRect(scroll.x, scroll.y);
    // The same frame goes into the displayed copy, so repaints keep showing it.
    RestoreShownCopy(&rc, false);
    m_rcPicture = rc;
    // Cleared before the mouse is let go: letting go reports a capture change.
    m_bDrag = 0;
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
    UpdateOutputFlag();
}

void CZarpView::CancelDrag() {
    if (m_bDrag != 1) return;
    m_bDrag = 0;
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
    // Takes the band off the screen; the range stays unmarked.
    ClearRange();
}
