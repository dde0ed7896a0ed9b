// Timed capture: the request, the poll and the grab of the screen or a window.
#include "../frame/MainFrm.h"
#include "ZarpView.h"
#include "capture_clock.h"
#include "clock_source.h"
#include "window_bounds.h"
#include "zoom_math.h"
#include <string>

void CZarpView::StartCapture(int mode) {
    m_nStartMs = zarp::CurrentStamp();
    m_bPending = 1;
    if (m_pMainWnd) m_pMainWnd->ShowWindow(SW_HIDE);
    m_nCaptureMode = mode;
}

void CZarpView::OnCaptureScreen() { StartCapture(1); }
void CZarpView::OnCaptureActive() { StartCapture(2); }

void CZarpView::OnTimer(UINT_PTR nIDEvent) {
    if (m_bPending) {
        m_nNowMs = zarp::StampOnRequestScale(m_nStartMs, zarp::CurrentStamp());
        if (zarp::WaitHasPassed(m_nStartMs, m_nNowMs, m_nWaitMs)) {
            // Cleared first: a warning box below runs a message loop of its own, whose
            // ticks must not grab again.
            m_nStartMs = 0;
            m_bPending = 0;
            {
                CClientDC dc(m_hWnd);
                dc.RealizePalette();
            }
            const bool grabbed = GrabImage();
            if (m_pMainWnd) m_pMainWnd->ShowWindow(SW_SHOW);
            if (!grabbed) Warn(L"メモリが不足しているため、画面を取り込めません。");
        }
    }
    if (m_nZoomShown != m_nZoom) ApplyZoom();
    CScrollView::OnTimer(nIDEvent);
}

void CZarpView::ApplyZoom() {
    CancelDrag();
    const int previous = m_nZoomShown;
    m_nZoomShown = m_nZoom;
    if (!RenderZoom()) {
        // The copies at the new zoom cannot be had: keep the picture and its zoom, put
        // the slider back, and say why once (the slider no longer differs from it).
        const int wanted = m_nZoomShown;
        m_nZoomShown = m_nZoom = previous;
        if (m_pMainWnd) m_pMainWnd->SetZoomPosition(previous);
        UpdateOutputFlag();
        Warn(L"メモリが不足しているため、" + std::to_wstring(wanted) + L"% で表示できません。");
        return;
    }
    // A zoom change forgets the range; in range mode nothing is left to output.
    UpdateOutputFlag();
}

bool CZarpView::GrabImage() {
    CancelDrag();
    HWND hDesktop = GetDesktopWindow();
    CRect desktop;
    ::GetWindowRect(hDesktop, &desktop);
    CRect source = desktop;
    if (m_nCaptureMode == 2) {
        HWND hForeground = GetForegroundWindow();
        // No foreground window, or a minimised one: nothing to grab.
        if (!hForeground) return true;
        WINDOWPLACEMENT wp{sizeof wp};
        ::GetWindowPlacement(hForeground, &wp);
        if (wp.showCmd == SW_SHOWMINIMIZED || ::IsIconic(hForeground)) return true;
        CRect window;
        zarp::GetVisibleWindowBounds(hForeground, &window);
        zarp::IRect clipped = zarp::ClipToDesktop({window.left, window.top, window.right, window.bottom},
                                                  {desktop.left, desktop.top, desktop.right, desktop.bottom});
        // A window wholly off the desktop leaves nothing to grab either.
        if (clipped.IsEmpty()) return true;
        source = CRect(clipped.left, clipped.top, clipped.right, clipped.bottom);
    }
    const int cx = source.Width(), cy = source.Height();
    // The same size as the last picture (the same screen again, as a rule): the capture
    // bitmap is reused. Otherwise the new one, and the zoomed copies for it, are made
    // before the old picture is let go, so a lack of memory leaves the old one shown.
    const bool sameSize = !m_bmpCapture.IsNull() && cx == m_nImageCx && cy == m_nImageCy;
    CBitmap fresh;
    CBitmap& target = sameSize ? m_bmpCapture : fresh;
    if (!sameSize && !fresh.CreateCompatibleBitmap(&m_dcScreen, cx, cy)) return false;
    {
        CBitmapDC memDC(&m_dcScreen, target);
        memDC.BitBlt(0, 0, cx, cy, &m_dcScreen, source.left, source.top, SRCCOPY);
    }
    if (!RenderZoomOf(target, cx, cy, m_nZoomShown, !sameSize)) return false;
    if (!sameSize) m_bmpCapture.Swap(fresh);
    m_nImageCx = cx;
    m_nImageCy = cy;
    UpdateOutputFlag();
    return true;
}
