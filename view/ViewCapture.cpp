// Timed capture: the request, the poll and the grab of the screen or a window.
#include "../frame/MainFrm.h"
#include "ZarpView.h"
#include "capture_clock.h"
#include "clock_source.h"
#include "zoom_math.h"

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
            {
                CClientDC dc(m_hWnd);
                dc.RealizePalette();
            }
            GrabImage();
            if (m_pMainWnd) m_pMainWnd->ShowWindow(SW_SHOW);
            m_nStartMs = 0;
            m_bPending = 0;
        }
    }
    if (m_nZoomShown != m_nZoom) {
        m_nZoomShown = m_nZoom;
        RenderZoom();
        // A zoom change forgets the range; in range mode nothing is left to output.
        if (m_nRangeMode == 1) m_bRange = 0;
    }
    CScrollView::OnTimer(nIDEvent);
}

void CZarpView::GrabImage() {
    HWND hDesktop = GetDesktopWindow();
    CRect desktop;
    ::GetWindowRect(hDesktop, &desktop);
    CRect source = desktop;
    if (m_nCaptureMode == 2) {
        HWND hForeground = GetForegroundWindow();
        // No foreground window, or a minimised one: nothing to grab.
        if (!hForeground) return;
        WINDOWPLACEMENT wp{sizeof wp};
        ::GetWindowPlacement(hForeground, &wp);
        if (wp.showCmd == SW_SHOWMINIMIZED || ::IsIconic(hForeground)) return;
        CRect window;
        ::GetWindowRect(hForeground, &window);
        zarp::IRect clipped = zarp::ClipToDesktop({window.left, window.top, window.right, window.bottom},
                                                  {desktop.left, desktop.top, desktop.right, desktop.bottom});
        // A window wholly off the desktop leaves nothing to grab either.
        if (clipped.IsEmpty()) return;
        source = CRect(clipped.left, clipped.top, clipped.right, clipped.bottom);
    }
    m_nImageCx = source.Width();
    m_nImageCy = source.Height();
    {
        m_bmpCapture.DeleteObject();
        m_bmpCapture.CreateCompatibleBitmap(&m_dcScreen, m_nImageCx, m_nImageCy);
        CBitmapDC memDC(&m_dcScreen, m_bmpCapture);
        if (!m_bmpCapture.IsNull())
            memDC.BitBlt(0, 0, m_nImageCx, m_nImageCy, &m_dcScreen, source.left, source.top, SRCCOPY);
    }
    RenderZoom();
    m_bRange = (m_nRangeMode == 0 && HasPicture()) ? 1 : 0;
}
