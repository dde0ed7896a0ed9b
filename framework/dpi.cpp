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

}  // namespace afx
