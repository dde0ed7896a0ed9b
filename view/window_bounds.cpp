#include "window_bounds.h"
#include <dwmapi.h>

namespace zarp {
namespace {

// dwmapi.dll exists from Vista on; it is loaded from the system folder when first
// needed, so the program neither imports it nor picks up a stray copy elsewhere (nor
// a DLL it depends on: the system folder is the only place searched for those too).
HRESULT DwmFrameBounds(HWND hWnd, RECT* pBounds) {
    using GetAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);
    static const GetAttributeFn pGetAttribute = [] {
        HMODULE hDwm = ::LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!hDwm && ::GetLastError() == ERROR_INVALID_PARAMETER) {
            // Windows 7 without the update that brought the flag: the full path.
            wchar_t path[MAX_PATH];
            const UINT n = ::GetSystemDirectoryW(path, MAX_PATH);
            const wchar_t name[] = L"\\dwmapi.dll";
            if (n == 0 || n + sizeof name / sizeof name[0] > MAX_PATH) return GetAttributeFn();
            lstrcpyW(path + n, name);
            hDwm = ::LoadLibraryW(path);
        }
        return hDwm ? reinterpret_cast<GetAttributeFn>(
                          reinterpret_cast<void*>(::GetProcAddress(hDwm, "DwmGetWindowAttribute")))
                    : GetAttributeFn();
    }();
    if (!pGetAttribute) return E_NOTIMPL;
    return pGetAttribute(hWnd, DWMWA_EXTENDED_FRAME_BOUNDS, pBounds, sizeof *pBounds);
}

FrameBoundsQuery g_query = &DwmFrameBounds;
bool g_screenSet = false;
RECT g_screen{};

}  // namespace

void GetVisibleWindowBounds(HWND hWnd, RECT* pBounds) {
    RECT frame{};
    if (SUCCEEDED(g_query(hWnd, &frame)) && frame.right > frame.left && frame.bottom > frame.top) {
        *pBounds = frame;
        return;
    }
    if (!::GetWindowRect(hWnd, pBounds)) *pBounds = RECT{};
}

FrameBoundsQuery SetFrameBoundsQueryForTesting(FrameBoundsQuery query) {
    FrameBoundsQuery previous = g_query;
    g_query = query ? query : &DwmFrameBounds;
    return previous;
}

RECT VirtualScreen() {
    if (g_screenSet) return g_screen;
    const int x = ::GetSystemMetrics(SM_XVIRTUALSCREEN), y = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {x, y, x + ::GetSystemMetrics(SM_CXVIRTUALSCREEN), y + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

void SetVirtualScreenForTesting(const RECT* pScreen) {
    g_screenSet = pScreen != nullptr;
    if (pScreen) g_screen = *pScreen;
}

}  // namespace zarp
