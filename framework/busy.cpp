#include "busy.h"
#include <objbase.h>
#include <new>
#include "dpi.h"

namespace afx {
namespace {
thread_local CBusyJob* t_running = nullptr;
DWORD g_progressDelayMs = 1000;
constexpr wchar_t kProgressClass[] = L"ZfwBusyProgress";
constexpr int kTextId = 100;

bool IsInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) || message == WM_HOTKEY;
}

// The system's message font at dpi.
HFONT MessageFont(int dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return nullptr;
    HDC screen = ::GetDC(nullptr);
    const int systemDpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ::ReleaseDC(nullptr, screen);
    metrics.lfMessageFont.lfHeight = ::MulDiv(metrics.lfMessageFont.lfHeight, dpi, systemDpi ? systemDpi : 96);
    return ::CreateFontIndirectW(&metrics.lfMessageFont);
}
}  // namespace

CBusyJob* CBusyJob::Running() { return t_running; }

DWORD CBusyJob::SetProgressDelayForTesting(DWORD ms) {
    const DWORD previous = g_progressDelayMs;
    g_progressDelayMs = ms;
    return previous;
}

// One worker thread serves every job: made at the first, with COM set up once (shell and
// imaging objects need it), it then waits for the next. A new thread and apartment for
// each save cost several milliseconds under Wine.
HANDLE g_worker = nullptr, g_start = nullptr;
CBusyJob* g_next = nullptr;

DWORD WINAPI CBusyJob::ThreadMain(void*) {
    ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    for (;;) {
        ::WaitForSingleObject(g_start, INFINITE);
        CBusyJob* job = g_next;
        try {
            job->m_result = (*job->m_work)(*job);
        } catch (const std::bad_alloc&) {
            job->m_result = ERROR_NOT_ENOUGH_MEMORY;
        }
        ::SetEvent(job->m_done);
    }
}

DWORD CBusyJob::Run(HWND owner, const Texts& texts, const Work& work) {
    CBusyJob job;
    job.m_work = &work;
    job.m_texts = &texts;
    job.m_owner = owner;
    // A job runs while no other does: the owner takes no input meanwhile.
    if (t_running) return ERROR_BUSY;
    if (!g_start) g_start = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (g_start && !g_worker) g_worker = ::CreateThread(nullptr, 0, &CBusyJob::ThreadMain, nullptr, 0, nullptr);
    job.m_cancel = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    job.m_done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!g_worker || !job.m_cancel || !job.m_done) {
        if (job.m_cancel) ::CloseHandle(job.m_cancel);
        if (job.m_done) ::CloseHandle(job.m_done);
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    g_next = &job;
    ::SetEvent(g_start);
    t_running = &job;
    // As under a modal dialog: the owner takes no input until the work is done.
    const bool reenable = owner && !::EnableWindow(owner, FALSE);
    if (owner && texts.blockReason) ::ShutdownBlockReasonCreate(owner, texts.blockReason);
    job.Pump();
    t_running = nullptr;
    // Enabled before the progress window goes, so the activation comes back to it.
    if (reenable) ::EnableWindow(owner, TRUE);
    if (job.m_hProgress) ::DestroyWindow(job.m_hProgress);
    if (job.m_hFont) ::DeleteObject(job.m_hFont);
    if (owner && texts.blockReason) ::ShutdownBlockReasonDestroy(owner);
    ::CloseHandle(job.m_done);
    ::CloseHandle(job.m_cancel);
    if (job.m_closeAfter && owner && ::IsWindow(owner)) ::PostMessageW(owner, WM_CLOSE, 0, 0);
    return job.m_result;
}

void CBusyJob::Pump() {
    const ULONGLONG start = ::GetTickCount64();
    bool quit = false;
    WPARAM quitCode = 0;
    for (;;) {
        const DWORD r = ::MsgWaitForMultipleObjectsEx(1, &m_done, 100, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (r == WAIT_OBJECT_0 || r == WAIT_FAILED) break;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {  // kept for the message loop once the work is done
                quit = true;
                quitCode = msg.wParam;
                continue;
            }
            const bool toProgress = m_hProgress && (msg.hwnd == m_hProgress || ::IsChild(m_hProgress, msg.hwnd));
            if (IsInput(msg.message) && !toProgress) continue;
            if (toProgress && ::IsDialogMessageW(m_hProgress, &msg)) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (!m_hProgress && ::GetTickCount64() - start >= g_progressDelayMs) ShowProgress();
        const int stage = m_stage;
        if (m_hText && stage != m_shownStage && stage >= 0 && (size_t)stage < m_texts->stages.size()) {
            ::SetWindowTextW(m_hText, m_texts->stages[(size_t)stage]);
            m_shownStage = stage;
        }
    }
    if (quit) ::PostQuitMessage((int)quitCode);
}

void CBusyJob::CancelAndWait() {
    Cancel();
    ::WaitForSingleObject(m_done, INFINITE);
}

LRESULT CALLBACK CBusyJob::ProgressProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* job = reinterpret_cast<CBusyJob*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL && job) {
            job->Cancel();
            ::EnableWindow(::GetDlgItem(hWnd, IDCANCEL), FALSE);
        }
        return 0;
    case WM_CLOSE:  // only the button ends the work
        return 0;
    default:
        return ::DefWindowProcW(hWnd, message, wParam, lParam);
    }
}

void CBusyJob::ShowProgress() {
    const Texts& texts = *m_texts;
    HINSTANCE hInst = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    if (!::GetClassInfoExW(hInst, kProgressClass, &wc)) {
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &CBusyJob::ProgressProc;
        wc.hInstance = hInst;
        wc.hCursor = ::LoadCursorW(nullptr, (LPCWSTR)IDC_WAIT);
        wc.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = kProgressClass;
        ::RegisterClassExW(&wc);
    }
    // Over the owner's top-level window, sized for its DPI.
    HWND top = m_owner ? ::GetAncestor(m_owner, GA_ROOT) : nullptr;
    const int dpi = WindowDpi(top);
    const auto px = [dpi](int dip) { return ::MulDiv(dip, dpi, 96); };
    RECT client{0, 0, px(340), px(92)};
    const DWORD style = WS_POPUP | WS_CAPTION, exStyle = WS_EX_DLGMODALFRAME;
    ::AdjustWindowRectEx(&client, style, FALSE, exStyle);
    const int cx = client.right - client.left, cy = client.bottom - client.top;
    RECT over{};
    if (top) ::GetWindowRect(top, &over);
    m_hProgress = ::CreateWindowExW(exStyle, kProgressClass, texts.caption, style, over.left + (over.right - over.left - cx) / 2,
                                    over.top + (over.bottom - over.top - cy) / 2, cx, cy, top, nullptr, hInst, nullptr);
    if (!m_hProgress) return;
    ::SetWindowLongPtrW(m_hProgress, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_hFont = MessageFont(dpi);
    const int stage = m_stage;
    m_shownStage = stage >= 0 && (size_t)stage < texts.stages.size() ? stage : -1;
    m_hText = ::CreateWindowExW(0, L"STATIC", m_shownStage >= 0 ? texts.stages[(size_t)stage] : L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, px(14), px(14),
                                px(312), px(36), m_hProgress, (HMENU)(INT_PTR)kTextId, hInst, nullptr);
    HWND button = ::CreateWindowExW(0, L"BUTTON", texts.cancel, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                                    px(340 - 14 - 88), px(92 - 12 - 26), px(88), px(26), m_hProgress,
                                    (HMENU)(INT_PTR)IDCANCEL, hInst, nullptr);
    for (HWND h : {m_hText, button})
        if (h && m_hFont) ::SendMessageW(h, WM_SETFONT, (WPARAM)m_hFont, FALSE);
    ::ShowWindow(m_hProgress, SW_SHOWNORMAL);
    if (button) ::SetFocus(button);
}

void PauseAnswering(DWORD ms) {
    const ULONGLONG end = ::GetTickCount64() + ms;
    for (ULONGLONG now = ::GetTickCount64(); now < end; now = ::GetTickCount64()) {
        ::MsgWaitForMultipleObjectsEx(0, nullptr, (DWORD)(end - now), QS_PAINT | QS_TIMER | QS_SENDMESSAGE, 0);
        MSG msg;
        // Peeking also delivers the messages that other threads send.
        while (::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) ::DispatchMessageW(&msg);
        while (::PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) ::DispatchMessageW(&msg);
    }
}

}  // namespace afx
