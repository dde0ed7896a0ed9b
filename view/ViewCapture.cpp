// Timed capture: the request, the poll and the grab of the screen or a window.
#include "../frame/MainFrm.h"
#include "ZarpView.h"
#include "capture_clock.h"
#include "clock_source.h"
#include "win_geometry.h"
#include "window_bounds.h"
#include <string>

void CZarpView::StartCapture(int mode) {
    m_nStartMs = zarp::CurrentStamp();
    m_nStartTick = zarp::CurrentTick();
    m_bPending = 1;
    if (m_pMainWnd) m_pMainWnd->ShowWindow(SW_HIDE);
    m_nCaptureMode = mode;
    StartPoll();
}

void CZarpView::OnCaptureScreen() { StartCapture(kCaptureScreen); }
void CZarpView::OnCaptureActive() { StartCapture(kCaptureActive); }

namespace {
// What the box says when a grab took nothing; empty for a grab that took its picture.
const wchar_t* GrabFailureText(CZarpView::Grab grab) {
    switch (grab) {
    case CZarpView::Grab::taken: return L"";
    case CZarpView::Grab::noMemory: return L"メモリが不足しているため、画面を取り込めません。";
    case CZarpView::Grab::noWindow: return L"アクティブウィンドウがないため、取り込めませんでした。";
    case CZarpView::Grab::minimised: return L"アクティブウィンドウが最小化されているため、取り込めませんでした。";
    case CZarpView::Grab::offScreen: return L"アクティブウィンドウが画面の外にあるため、取り込めませんでした。";
    case CZarpView::Grab::unreadable:
        return L"画面がロックされているなどの理由で、画面を読み取れませんでした。";
    }
    return L"";
}
}  // namespace

void CZarpView::OnTimer(UINT_PTR nIDEvent) {
    if (m_bPending) {
        // The stamp as it is written; the wait itself is measured on the monotonic clock.
        m_nNowMs = zarp::StampOnRequestScale(m_nStartMs, zarp::CurrentStamp());
        if (zarp::WaitHasPassed(m_nStartTick, zarp::CurrentTick(), (unsigned long long)m_nWaitMs)) {
            // Cleared first: a warning box below runs a message loop of its own, whose
            // ticks must not grab again.
            m_nStartMs = 0;
            m_bPending = 0;
            {
                CClientDC dc(m_hWnd);
                dc.RealizePalette();
            }
            const Grab grab = GrabImage();
            BringBackFrame();
            if (grab != Grab::taken) Warn(GrabFailureText(grab));
        }
    }
    if (m_nZoomShown != m_nZoom) ApplyZoom();
    // Nothing to wait for: the poll stops until a capture or a new zoom starts it again.
    if (!m_bPending && m_nZoomShown == m_nZoom) KillTimer(1);
    CScrollView::OnTimer(nIDEvent);
}

void CZarpView::BringBackFrame() {
    if (!m_pMainWnd) return;
    m_pMainWnd->ShowWindow(SW_SHOW);
    // Windows gives the foreground only to the program the user last used; the window
    // the user brought forward for the capture keeps it, and the taskbar button
    // flashes until the frame is activated.
    if (!::SetForegroundWindow(m_pMainWnd->m_hWnd)) {
        FLASHWINFO flash{sizeof flash, m_pMainWnd->m_hWnd, FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
        ::FlashWindowEx(&flash);
    }
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

CZarpView::Grab CZarpView::GrabImage() {
    CancelDrag();
    CRect source;
    ::GetWindowRect(::GetDesktopWindow(), &source);  // the whole screen: the primary monitor
    if (m_nCaptureMode == kCaptureActive) {
        HWND hForeground = ::GetForegroundWindow();
        if (!hForeground) return Grab::noWindow;
        WINDOWPLACEMENT wp{sizeof wp};
        ::GetWindowPlacement(hForeground, &wp);
        if (wp.showCmd == SW_SHOWMINIMIZED || ::IsIconic(hForeground)) return Grab::minimised;
        // Wherever the window is: on any monitor, and only the part on a monitor.
        CRect window;
        zarp::GetVisibleWindowBounds(hForeground, &window);
        const zarp::IRect clipped = zarp::ClipToScreen(zarp::ToIRect(window), zarp::ToIRect(zarp::VirtualScreen()));
        if (clipped.IsEmpty()) return Grab::offScreen;
        source = zarp::ToRect(clipped);
    }
    const int cx = source.Width(), cy = source.Height();
    // The same size as the last picture (the same screen again, as a rule): the capture
    // bitmap is reused. Otherwise the new one, and the zoomed copies for it, are made
    // before the old picture is let go, so a lack of memory leaves the old one shown.
    const bool sameSize = !m_bmpCapture.IsNull() && cx == m_nImageCx && cy == m_nImageCy;
    CBitmap fresh;
    if (!sameSize && !fresh.CreateCompatibleBitmap(&m_dcScreen, cx, cy)) return Grab::noMemory;
    {
        // Layered windows (tool tips, menu shadows, translucent pop-ups) are in the
        // picture only with CAPTUREBLT, in a remote session as well; the cursor may
        // flicker there, once, as the screen is read in one BitBlt.
        const DWORD rop = SRCCOPY | CAPTUREBLT;
        // A screen that cannot be read (locked, the secure desktop) fails here; a
        // reused bitmap then still holds the previous picture, untouched.
        CBitmapDC memDC(&m_dcScreen, sameSize ? m_bmpCapture : fresh);
        if (!memDC.BitBlt(0, 0, cx, cy, &m_dcScreen, source.left, source.top, rop)) return Grab::unreadable;
    }
    CBitmap& target = sameSize ? m_bmpCapture : fresh;
    if (!RenderZoomOf(target, cx, cy, m_nZoomShown, !sameSize)) return Grab::noMemory;
    if (!sameSize) m_bmpCapture.Swap(fresh);
    m_nImageCx = cx;
    m_nImageCy = cy;
    UpdateOutputFlag();
    return Grab::taken;
}
