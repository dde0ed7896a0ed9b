#include "window_bounds.h"
#include <dwmapi.h>

namespace zarp {
namespace {

// dwmapi.dll exists from Vista on; it is loaded from the system folder when first
// needed, so the program neither imports it nor picks up a stray copy elsewhere.
HRESULT DwmFrameBounds(HWND hWnd, RECT* pBounds) {
    using GetAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);
    static const GetAttributeFn pGetAttribute = [] {
        wchar_t path[MAX_PATH];
        const UINT n = ::GetSystemDirectoryW(path, MAX_PATH);
        const wchar_t name[] = L"\\dwmapi.dll";
        if (n == 0 || n + sizeof name / sizeof name[0] > MAX_PATH) return GetAttributeFn();
        lstrcpyW(path + n, name);
        HMODULE hDwm = ::LoadLibraryW(path);
        return hDwm ? reinterpret_cast<GetAttributeFn>(
                          reinterpret_cast<void*>(::GetProcAddress(hDwm, "DwmGetWindowAttribute")))
                    : GetAttributeFn();
    }();
    if (!pGetAttribute) return E_NOTIMPL;
    return pGetAttribute(hWnd, DWMWA_EXTENDED_FRAME_BOUNDS, pBounds, sizeof *pBounds);
}

FrameBoundsQuery g_query = &DwmFrameBounds;

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

}  // namespace zarp
