// Shared helpers of zarp_driver: output, finding Zarp and its windows, memory in the
// target process.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <tlhelp32.h>
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

namespace drv {

inline const UINT kToolBarId = 0xE800;
inline const UINT kViewId = 0xE900;
inline const UINT kZoomBarId = 132;
inline const UINT kZoomSliderId = 1008;
inline const UINT kZoomEditId = 1009;

// ---- output ---------------------------------------------------------------------------

inline std::string Utf8(const std::wstring& w) {
    if (w.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), nullptr, 0, nullptr, nullptr);
    std::string s(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), &s[0], n, nullptr, nullptr);
    return s;
}

inline void WriteRaw(HANDLE h, const std::string& s) {
    DWORD done = 0;
    const char* p = s.data();
    size_t left = s.size();
    while (left > 0 && WriteFile(h, p, (DWORD)left, &done, nullptr) && done > 0) {
        p += done;
        left -= done;
    }
}

inline void Out(const std::wstring& line) { WriteRaw(GetStdHandle(STD_OUTPUT_HANDLE), Utf8(line) + "\n"); }

inline int Fail(const std::wstring& why) {
    WriteRaw(GetStdHandle(STD_ERROR_HANDLE), "zarp_driver: " + Utf8(why) + "\n");
    return 1;
}

inline std::wstring Fmt(const wchar_t* format, ...) {
    wchar_t buf[1024];
    va_list ap;
    va_start(ap, format);
    _vsnwprintf(buf, 1023, format, ap);
    va_end(ap);
    buf[1023] = 0;
    return buf;
}

// Newlines and tabs in control texts become \n and \t so that each item stays on one line.
inline std::wstring Escape(const std::wstring& s) {
    std::wstring r;
    for (wchar_t c : s) {
        if (c == L'\n') r += L"\\n";
        else if (c == L'\r') r += L"\\r";
        else if (c == L'\t') r += L"\\t";
        else if (c == L'\\') r += L"\\\\";
        else if (c < 0x20 || c == 0xFFFF) r += Fmt(L"\\u%04X", (unsigned)c);
        else r += c;
    }
    return r;
}

inline std::wstring ClassOf(HWND h) {
    wchar_t cls[256] = L"";
    GetClassNameW(h, cls, 256);
    return cls;
}

inline std::wstring TextOf(HWND h) {
    wchar_t text[4096] = L"";
    // WM_GETTEXT is marshalled across processes; a hung target must not hang the driver.
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(h, WM_GETTEXT, 4096, (LPARAM)text, SMTO_ABORTIFHUNG, 3000, &got)) return L"";
    text[4095] = 0;
    return text;
}

inline LRESULT Send(HWND h, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(h, msg, wp, lp, SMTO_ABORTIFHUNG, 3000, &result);
    return (LRESULT)result;
}

inline double NowMs() {
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * (double)now.QuadPart / (double)freq.QuadPart;
}

// ---- the Zarp process and its windows ---------------------------------------------------

inline std::vector<DWORD> ZarpProcesses() {
    std::vector<DWORD> ids;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32W pe{sizeof pe};
    for (BOOL ok = Process32FirstW(snap, &pe); ok; ok = Process32NextW(snap, &pe))
        if (!_wcsicmp(pe.szExeFile, L"Zarp.exe")) ids.push_back(pe.th32ProcessID);
    CloseHandle(snap);
    return ids;
}

struct TopSearch {
    DWORD pid;
    const wchar_t* cls;
    bool visibleOnly;
    std::vector<HWND> found;
};

inline BOOL CALLBACK CollectTop(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<TopSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid != s->pid) return TRUE;
    if (s->cls && ClassOf(h) != s->cls) return TRUE;
    if (s->visibleOnly && !IsWindowVisible(h)) return TRUE;
    s->found.push_back(h);
    return TRUE;
}

inline std::vector<HWND> TopWindows(DWORD pid, const wchar_t* cls, bool visibleOnly) {
    TopSearch s{pid, cls, visibleOnly, {}};
    EnumWindows(CollectTop, (LPARAM)&s);
    return s.found;
}

// The one Zarp.exe process; 0 if there is none or more than one (reported).
inline DWORD ZarpPid(bool quiet = false) {
    std::vector<DWORD> ids = ZarpProcesses();
    if (ids.size() == 1) return ids[0];
    if (!quiet) Fail(ids.empty() ? L"Zarp.exe is not running" : L"more than one Zarp.exe is running");
    return 0;
}

inline HWND FrameOf(DWORD pid) {
    std::vector<HWND> frames = TopWindows(pid, L"ZfwFrame", false);
    return frames.empty() ? nullptr : frames[0];
}

// Asks find(pid) for a window every 20 ms until it gives one or TIMEOUT ms have passed.
template <class Find>
HWND WaitFor(Find find, DWORD pid, int timeout) {
    for (double t0 = NowMs();; Sleep(20)) {
        if (HWND h = find(pid)) return h;
        if (NowMs() - t0 > timeout) return nullptr;
    }
}

// Prints a dialog's caption and whether Zarp's frame owns it ("owner none|frame|other").
inline void OutCaptionAndOwner(HWND dlg, DWORD pid) {
    HWND owner = GetWindow(dlg, GW_OWNER);
    Out(L"caption " + TextOf(dlg));
    Out(std::wstring(L"owner ") + (!owner ? L"none" : owner == FrameOf(pid) ? L"frame" : L"other"));
}

struct Target {
    DWORD pid = 0;
    HWND frame = nullptr;
};

inline bool FindTarget(Target& t) {
    t.pid = ZarpPid();
    if (!t.pid) return false;
    t.frame = FrameOf(t.pid);
    if (!t.frame) {
        Fail(L"Zarp.exe has no frame window");
        return false;
    }
    return true;
}

inline HWND ChildById(HWND parent, UINT id) { return GetDlgItem(parent, (int)id); }

// Rectangle of a window in the client coordinates of another.
inline RECT RectIn(HWND h, HWND client) {
    RECT r;
    GetWindowRect(h, &r);
    MapWindowPoints(HWND_DESKTOP, client, (POINT*)&r, 2);
    return r;
}

// ---- memory in the target, for messages that take a pointer ------------------------------

class RemoteBuffer {
public:
    RemoteBuffer(DWORD pid, SIZE_T size) : m_size(size) {
        m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (m_process) m_addr = VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteBuffer() {
        if (m_addr) VirtualFreeEx(m_process, m_addr, 0, MEM_RELEASE);
        if (m_process) CloseHandle(m_process);
    }
    bool ok() const { return m_addr != nullptr; }
    LPARAM lp() const { return (LPARAM)m_addr; }
    bool Read(void* dst, SIZE_T n) const {
        SIZE_T got = 0;
        return n <= m_size && ReadProcessMemory(m_process, m_addr, dst, n, &got) && got == n;
    }
    bool Write(const void* src, SIZE_T n) const {
        SIZE_T put = 0;
        return n <= m_size && WriteProcessMemory(m_process, m_addr, src, n, &put) && put == n;
    }

private:
    HANDLE m_process = nullptr;
    void* m_addr = nullptr;
    SIZE_T m_size;
};

inline bool RemoteRect(DWORD pid, HWND h, UINT msg, WPARAM wp, RECT& out) {
    RemoteBuffer buf(pid, sizeof(RECT));
    RECT zero{};
    if (!buf.ok() || !buf.Write(&zero, sizeof zero)) return false;
    Send(h, msg, wp, buf.lp());
    return buf.Read(&out, sizeof out);
}


inline int ArgMs(int argc, wchar_t** argv, int i, int def) { return argc > i ? _wtoi(argv[i]) : def; }

inline UINT ParseId(const wchar_t* s) { return (UINT)wcstoul(s, nullptr, 0); }
// A screen rectangle as "name left top width height".
inline void OutScreenRect(const std::wstring& name, const RECT& r) {
    Out(Fmt(L"%ls %ld %ld %ld %ld", name.c_str(), r.left, r.top, r.right - r.left, r.bottom - r.top));
}

inline RECT ScreenRectOfClient(HWND h) {
    RECT r;
    GetClientRect(h, &r);
    MapWindowPoints(h, HWND_DESKTOP, (POINT*)&r, 2);
    return r;
}

}  // namespace drv
