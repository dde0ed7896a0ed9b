// menuprobe.dll: loaded into Zarp.exe by zarp_driver (CreateRemoteThread + LoadLibraryW),
// because Wine does not let another process read a window's menu. A thread started here
// finds the frame, lets it update every popup the way opening it would (WM_INITMENU, then
// WM_INITMENUPOPUP with the popup's position), and writes the menu tree as UTF-8 text into
// the section "Local\ZarpMenuProbe.<pid>" (DWORD length, int status, text). It then sets
// the event "Local\ZarpMenuProbeDone.<pid>" and unloads itself, so it can be loaded again.
//
// One line per item, indented two spaces per level:
//   popup "<text>" <enabled|grayed>[ checked]
//   item 0x<id> "<text>" <enabled|grayed>[ checked]
//   separator
//
// When the driver has put 1 into the section's first DWORD, the probe reads the popup menus
// that are open instead (a context menu, say), each headed by "menu <x> <y> <w> <h>" on the
// screen, as they are: nothing is sent to the frame. With 2 it writes where the items of the
// menu bar and of the open popup menus are on the screen, one line each:
//   <bar|item|popup> "<text>" <x> <y> <w> <h>
#include <windows.h>
#include <cstdio>
#include <string>

namespace {

HMODULE g_self = nullptr;

std::string Utf8(const std::wstring& w) {
    if (w.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), nullptr, 0, nullptr, nullptr);
    std::string s(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), &s[0], n, nullptr, nullptr);
    return s;
}

std::wstring Escape(const std::wstring& s) {
    std::wstring r;
    for (wchar_t c : s) {
        if (c == L'\t') r += L"\\t";
        else if (c == L'\n') r += L"\\n";
        else if (c == L'\\') r += L"\\\\";
        else r += c;
    }
    return r;
}

// Whether h is a window of class CLS in process PID.
bool IsWindowOf(HWND h, DWORD pid, const wchar_t* cls) {
    DWORD owner = 0;
    GetWindowThreadProcessId(h, &owner);
    wchar_t name[64] = L"";
    GetClassNameW(h, name, 64);
    return owner == pid && wcscmp(name, cls) == 0;
}

// The menu a popup-menu window shows, or null.
HMENU MenuOfPopup(HWND h) {
    DWORD_PTR menu = 0;
    SendMessageTimeoutW(h, MN_GETHMENU, 0, 0, SMTO_NORMAL, 5000, &menu);
    return (HMENU)menu;
}

struct FrameSearch {
    DWORD pid;
    HWND frame;
};

BOOL CALLBACK FindFrame(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<FrameSearch*>(lp);
    if (!IsWindowOf(h, s->pid, L"ZfwFrame")) return TRUE;
    s->frame = h;
    return FALSE;
}

void Notify(HWND frame, UINT msg, WPARAM wp, LPARAM lp) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(frame, msg, wp, lp, SMTO_NORMAL, 5000, &result);
}

std::wstring StateWords(UINT state) {
    std::wstring s = (state & MFS_GRAYED) ? L"grayed" : L"enabled";
    if (state & MFS_CHECKED) s += L" checked";
    return s;
}

bool Dump(HWND frame, HMENU menu, int depth, std::wstring& out) {  // frame null: no updates
    const int n = GetMenuItemCount(menu);
    if (n < 0) return false;
    const std::wstring indent(2 * depth, L' ');
    for (int i = 0; i < n; ++i) {
        wchar_t text[512] = L"";
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        mii.dwTypeData = text;
        mii.cch = 511;
        if (!GetMenuItemInfoW(menu, (UINT)i, TRUE, &mii)) return false;
        if (mii.fType & MFT_SEPARATOR) {
            out += indent + L"separator\n";
            continue;
        }
        wchar_t id[16];
        swprintf(id, 16, L"0x%04X", mii.wID);
        if (mii.hSubMenu) {
            out += indent + L"popup \"" + Escape(text) + L"\" " + StateWords(mii.fState) + L"\n";
            // What the frame does when the popup opens: the update handlers set each item.
            if (frame) Notify(frame, WM_INITMENUPOPUP, (WPARAM)mii.hSubMenu, MAKELPARAM(i, FALSE));
            if (!Dump(frame, mii.hSubMenu, depth + 1, out)) return false;
        } else {
            out += indent + L"item " + id + L" \"" + Escape(text) + L"\" " + StateWords(mii.fState) + L"\n";
        }
    }
    return true;
}

struct PopupSearch {
    DWORD pid;
    std::wstring* out;
    bool ok;
};

BOOL CALLBACK DumpPopup(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<PopupSearch*>(lp);
    if (!IsWindowOf(h, s->pid, L"#32768") || !IsWindowVisible(h)) return TRUE;
    RECT r;
    GetWindowRect(h, &r);
    HMENU menu = MenuOfPopup(h);
    wchar_t head[96];
    swprintf(head, 96, L"menu %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    *s->out += head;
    if (!menu || !Dump(nullptr, menu, 1, *s->out)) s->ok = false;
    return TRUE;
}

void ItemRects(HWND owner, HMENU menu, const wchar_t* top, std::wstring& out) {
    const int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        wchar_t text[512] = L"";
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE | MIIM_SUBMENU | MIIM_STRING;
        mii.dwTypeData = text;
        mii.cch = 511;
        RECT r{};
        if (!GetMenuItemInfoW(menu, (UINT)i, TRUE, &mii) || (mii.fType & MFT_SEPARATOR) ||
            !GetMenuItemRect(owner, menu, (UINT)i, &r))
            continue;
        wchar_t line[640];
        swprintf(line, 640, L"%ls \"%ls\" %ld %ld %ld %ld\n", top ? top : mii.hSubMenu ? L"popup" : L"item",
                 Escape(text).c_str(), r.left, r.top, r.right - r.left, r.bottom - r.top);
        out += line;
    }
}

BOOL CALLBACK PopupRects(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<PopupSearch*>(lp);
    if (!IsWindowOf(h, s->pid, L"#32768") || !IsWindowVisible(h)) return TRUE;
    if (HMENU menu = MenuOfPopup(h)) ItemRects(h, menu, nullptr, *s->out);
    else s->ok = false;
    return TRUE;
}

DWORD WINAPI Probe(void*) {
    const DWORD pid = GetCurrentProcessId();
    wchar_t name[64];
    swprintf(name, 64, L"Local\\ZarpMenuProbe.%lu", pid);
    HANDLE map = OpenFileMappingW(FILE_MAP_WRITE, FALSE, name);
    swprintf(name, 64, L"Local\\ZarpMenuProbeDone.%lu", pid);
    HANDLE done = OpenEventW(EVENT_MODIFY_STATE, FALSE, name);
    if (map && done) {
        std::wstring text;
        int status = 1;
        DWORD mode = 0;
        if (const void* in = MapViewOfFile(map, FILE_MAP_WRITE, 0, 0, 0)) {  // a write view reads too
            memcpy(&mode, in, 4);
            UnmapViewOfFile(in);
        }
        FrameSearch s{pid, nullptr};
        EnumWindows(FindFrame, (LPARAM)&s);
        HMENU bar = s.frame ? GetMenu(s.frame) : nullptr;
        if (mode == 1) {
            PopupSearch popups{pid, &text, true};
            EnumWindows(DumpPopup, (LPARAM)&popups);
            status = popups.ok ? 0 : 1;
        } else if (mode == 2 && bar) {
            ItemRects(s.frame, bar, L"bar", text);
            PopupSearch popups{pid, &text, true};
            EnumWindows(PopupRects, (LPARAM)&popups);
            status = popups.ok ? 0 : 1;
        } else if (bar) {
            Notify(s.frame, WM_INITMENU, (WPARAM)bar, 0);
            if (Dump(s.frame, bar, 0, text)) status = 0;
        } else {
            text = L"no frame with a menu\n";
        }
        const std::string utf8 = Utf8(text);
        MEMORY_BASIC_INFORMATION info{};
        if (char* view = static_cast<char*>(MapViewOfFile(map, FILE_MAP_WRITE, 0, 0, 0))) {
            VirtualQuery(view, &info, sizeof info);
            DWORD len = (DWORD)utf8.size();
            if (len + 8 > info.RegionSize) len = (DWORD)info.RegionSize - 8;
            memcpy(view + 8, utf8.data(), len);
            memcpy(view + 4, &status, 4);
            memcpy(view, &len, 4);
            UnmapViewOfFile(view);
        }
        SetEvent(done);
    }
    if (map) CloseHandle(map);
    if (done) CloseHandle(done);
    FreeLibraryAndExitThread(g_self, 0);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE hinst, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_self = hinst;
        DisableThreadLibraryCalls(hinst);
        // Nothing may wait on other threads under the loader lock: the work runs on its own thread.
        HANDLE t = CreateThread(nullptr, 0, Probe, nullptr, 0, nullptr);
        if (t) CloseHandle(t);
    }
    return TRUE;
}
