#include "dpi.h"

namespace afx {

int WindowDpi(HWND hWnd) {
    // GetDpiForWindow does not exist before Windows 10: look it up at run time.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto pGetDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (pGetDpiForWindow && hWnd) {
        UINT dpi = pGetDpiForWindow(hWnd);
        if (dpi > 0) return (int)dpi;
    }
    HDC dc = ::GetDC(nullptr);
    int dpi = dc ? ::GetDeviceCaps(dc, LOGPIXELSY) : 0;
    if (dc) ::ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : 96;
}

int SystemMetricForDpi(int index, int dpi) {
    using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
    static const auto pForDpi = reinterpret_cast<GetSystemMetricsForDpiFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
    return pForDpi && dpi > 0 ? pForDpi(index, (UINT)dpi) : ::GetSystemMetrics(index);
}

void KeepDialogLayoutOnDpiChange(HWND hDlg) {
    using SetBehaviorFn = BOOL(WINAPI*)(HWND, DIALOG_DPI_CHANGE_BEHAVIORS, DIALOG_DPI_CHANGE_BEHAVIORS);
    static const auto pSetBehavior = reinterpret_cast<SetBehaviorFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SetDialogDpiChangeBehavior")));
    // No new font, no resizing, no relayout of the controls.
    if (pSetBehavior && hDlg) pSetBehavior(hDlg, DDC_DISABLE_ALL, DDC_DISABLE_ALL);
}

}  // namespace afx
