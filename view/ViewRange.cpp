// Range selection: the mode toggle and the rubber band drawn while dragging.
#include "ZarpView.h"
#include "zoom_math.h"

void CZarpView::OnRange() {
    if (m_nRangeMode == 0) {
        m_bRange = 0;
        m_nRangeMode = 1;
    } else {
        ClearRange();
        // Switching the mode off outputs the whole picture, if there is one.
        m_bRange = HasPicture() ? 1 : 0;
        m_nRangeMode = 0;
    }
}

void CZarpView::OnUpdateRange(CCmdUI* pCmdUI) {
    if (m_nCaptureMode == 0) {
        pCmdUI->Enable(FALSE);
        return;
    }
    pCmdUI->Enable(TRUE);
    pCmdUI->SetCheck(m_nRangeMode == 1 ? 1 : 0);
}

void CZarpView::OnLButtonDown(UINT nFlags, CPoint point) {
    if (m_nCaptureMode == 0 || m_nRangeMode == 0) return;
    ClearRange();
    m_ptStart = point;
    m_bDrag = 1;
    CScrollView::OnLButtonDown(nFlags, point);
}

void CZarpView::OnMouseMove(UINT nFlags, CPoint point) {
    if (m_bDrag != 1) return;
    CPoint scroll = GetScrollPosition();
    zarp::IRect r = zarp::NormaliseDrag({m_ptStart.x, m_ptStart.y}, {point.x, point.y});
    r = zarp::ClipToPicture(r, scroll.x, scroll.y, m_nZoomCx, m_nZoomCy);
    m_rcDrag = CRect(r.left, r.top, r.right, r.bottom);
    {
        CClientDC dc(m_hWnd);
        dc.DrawFocusRect(&m_rcRange);
        dc.DrawFocusRect(&m_rcDrag);
    }
    m_rcRange = m_rcDrag;
    CScrollView::OnMouseMove(nFlags, point);
}

void CZarpView::OnLButtonUp(UINT nFlags, CPoint point) {
    if (m_nCaptureMode == 0 || m_nRangeMode == 0) return;
    CPoint scroll = GetScrollPosition();
    CRect rc = m_rcRange;
    rc.OffsetRect(scroll.x, scroll.y);
    // The same frame goes into the displayed copy, so repaints keep showing it.
    RestoreShownCopy(&rc, false);
    m_rcPicture = rc;
    m_bRange = rc.IsRectEmpty() ? 0 : 1;
    m_bDrag = 0;
    CScrollView::OnLButtonUp(nFlags, point);
}
