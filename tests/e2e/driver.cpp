// zarp_driver: inspects and drives a running Zarp.exe from outside, for the end-to-end
// scenario scripts. Every subcommand prints plain UTF-8 lines (LF endings) that a script
// can diff or parse, and exits 0 on success, 1 on a failed check or wait, 2 on bad usage.
//
//   pid                     the Windows process id of the one running Zarp.exe
//   wait-window [ms]        waits until the frame is visible; prints its title and class
//   frame                   title, visible, enabled of the frame
//   menus                   the whole main menu, read inside Zarp by menuprobe.dll
//   toolbar                 every tool-bar item: id, separator, enabled, checked
//   zoombar                 percent box text, slider position and range, bar placement
//   hot                     the tool-bar button under the mouse (hot item), or none
//   geometry                screen rectangles for mouse input (view, slider, thumb, edit, buttons)
//   popups                  number of visible menu windows
//   focus                   Zarp's active window and the control with the keyboard focus
//   xwindow                 the X window id of the frame (for xdotool)
//   set-slider N            moves the zoom slider without input (TBM_SETPOS)
//   command ID              posts WM_COMMAND ID to the frame
//   dialog [ms]             waits for a visible dialog of Zarp; prints caption, owner, controls
//   dialog-point ID         screen centre of a control of that dialog
//   click-dialog ID         clicks a button of that dialog (BM_CLICK)
//   wait-no-dialog [ms]     waits until Zarp shows no dialog
//   watch-hide [ms]         waits for the frame to hide, then to show; prints the hidden time
//   close [ms]              sends WM_CLOSE and waits for Zarp to end; fails if a dialog appears
//   wait-exit [ms]          waits for Zarp to end; fails if a dialog appears meanwhile
//   kill                    ends every Zarp.exe at once
//   popup-menus             every open popup menu of Zarp: its screen rectangle and items, read inside
//                           Zarp by menuprobe.dll
//   menu-rects              screen rectangles of the menu bar's items and of the open popups' items
//   foreground              class and title of the foreground window
//   clipboard               the formats on the clipboard, one number a line
//   clipboard-dib FILE      writes the clipboard's CF_DIB as a .bmp file; prints its header
//   file-dialog [ms]        waits for Zarp's save dialog; prints caption, owner, folder, file type, name
//   save-as NAME yes|no|cancel [ms]
//                           types NAME into the save dialog and presses Save (or Cancel); answers a
//                           replace question with yes or no (no: the dialog stays and is cancelled);
//                           prints what it met
//   show-picture FILE X Y [ms]
//                           a window of its own at X,Y whose client area shows the .bmp FILE; prints
//                           its outer and client rectangles, runs until closed (or ms, default 120 s)
//   close-picture           closes the show-picture window
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

namespace {

const UINT kToolBarId = 0xE800;
const UINT kViewId = 0xE900;
const UINT kZoomBarId = 132;
const UINT kZoomSliderId = 1008;
const UINT kZoomEditId = 1009;

// ---- output ---------------------------------------------------------------------------

std::string Utf8(const std::wstring& w) {
    if (w.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), nullptr, 0, nullptr, nullptr);
    std::string s(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), &s[0], n, nullptr, nullptr);
    return s;
}

void WriteRaw(HANDLE h, const std::string& s) {
    DWORD done = 0;
    const char* p = s.data();
    size_t left = s.size();
    while (left > 0 && WriteFile(h, p, (DWORD)left, &done, nullptr) && done > 0) {
        p += done;
        left -= done;
    }
}

void Out(const std::wstring& line) { WriteRaw(GetStdHandle(STD_OUTPUT_HANDLE), Utf8(line) + "\n"); }

int Fail(const std::wstring& why) {
    WriteRaw(GetStdHandle(STD_ERROR_HANDLE), "zarp_driver: " + Utf8(why) + "\n");
    return 1;
}

std::wstring Fmt(const wchar_t* format, ...) {
    wchar_t buf[1024];
    va_list ap;
    va_start(ap, format);
    _vsnwprintf(buf, 1023, format, ap);
    va_end(ap);
    buf[1023] = 0;
    return buf;
}

// Newlines and tabs in control texts become \n and \t so that each item stays on one line.
std::wstring Escape(const std::wstring& s) {
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

std::wstring ClassOf(HWND h) {
    wchar_t cls[256] = L"";
    GetClassNameW(h, cls, 256);
    return cls;
}

std::wstring TextOf(HWND h) {
    wchar_t text[4096] = L"";
    // WM_GETTEXT is marshalled across processes; a hung target must not hang the driver.
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(h, WM_GETTEXT, 4096, (LPARAM)text, SMTO_ABORTIFHUNG, 3000, &got)) return L"";
    text[4095] = 0;
    return text;
}

LRESULT Send(HWND h, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(h, msg, wp, lp, SMTO_ABORTIFHUNG, 3000, &result);
    return (LRESULT)result;
}

double NowMs() {
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

std::vector<DWORD> ZarpProcesses() {
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

BOOL CALLBACK CollectTop(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<TopSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid != s->pid) return TRUE;
    if (s->cls && ClassOf(h) != s->cls) return TRUE;
    if (s->visibleOnly && !IsWindowVisible(h)) return TRUE;
    s->found.push_back(h);
    return TRUE;
}

std::vector<HWND> TopWindows(DWORD pid, const wchar_t* cls, bool visibleOnly) {
    TopSearch s{pid, cls, visibleOnly, {}};
    EnumWindows(CollectTop, (LPARAM)&s);
    return s.found;
}

// The one Zarp.exe process; 0 if there is none or more than one (reported).
DWORD ZarpPid(bool quiet = false) {
    std::vector<DWORD> ids = ZarpProcesses();
    if (ids.size() == 1) return ids[0];
    if (!quiet) Fail(ids.empty() ? L"Zarp.exe is not running" : L"more than one Zarp.exe is running");
    return 0;
}

HWND FrameOf(DWORD pid) {
    std::vector<HWND> frames = TopWindows(pid, L"ZfwFrame", false);
    return frames.empty() ? nullptr : frames[0];
}

struct Target {
    DWORD pid = 0;
    HWND frame = nullptr;
};

bool FindTarget(Target& t) {
    t.pid = ZarpPid();
    if (!t.pid) return false;
    t.frame = FrameOf(t.pid);
    if (!t.frame) {
        Fail(L"Zarp.exe has no frame window");
        return false;
    }
    return true;
}

HWND ChildById(HWND parent, UINT id) { return GetDlgItem(parent, (int)id); }

// Rectangle of a window in the client coordinates of another.
RECT RectIn(HWND h, HWND client) {
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

bool RemoteRect(DWORD pid, HWND h, UINT msg, WPARAM wp, RECT& out) {
    RemoteBuffer buf(pid, sizeof(RECT));
    RECT zero{};
    if (!buf.ok() || !buf.Write(&zero, sizeof zero)) return false;
    Send(h, msg, wp, buf.lp());
    return buf.Read(&out, sizeof out);
}

// ---- subcommands --------------------------------------------------------------------------

int ArgMs(int argc, wchar_t** argv, int i, int def) { return argc > i ? _wtoi(argv[i]) : def; }

UINT ParseId(const wchar_t* s) { return (UINT)wcstoul(s, nullptr, 0); }

int CmdPid() {
    DWORD pid = ZarpPid();
    if (!pid) return 1;
    Out(Fmt(L"%lu", pid));
    return 0;
}

int CmdWaitWindow(int timeout) {
    for (double t0 = NowMs();; Sleep(20)) {
        if (DWORD pid = ZarpPid(true)) {
            HWND f = FrameOf(pid);
            if (f && IsWindowVisible(f)) {
                Out(L"title " + TextOf(f));
                Out(L"class " + ClassOf(f));
                return 0;
            }
        }
        if (NowMs() - t0 > timeout) return Fail(L"no visible Zarp frame");
    }
}

int CmdFrame() {
    Target t;
    if (!FindTarget(t)) return 1;
    Out(L"title " + TextOf(t.frame));
    Out(Fmt(L"visible %d", IsWindowVisible(t.frame) ? 1 : 0));
    Out(Fmt(L"enabled %d", IsWindowEnabled(t.frame) ? 1 : 0));
    return 0;
}

// Loads menuprobe.dll into Zarp; the DLL writes the menu tree into a shared section named
// after Zarp's process id and signals an event when done, then unloads itself.
int RunMenuProbe(DWORD mode) {
    Target t;
    if (!FindTarget(t)) return 1;
    wchar_t self[MAX_PATH * 2];
    DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
    std::wstring dll(self, n);
    dll = dll.substr(0, dll.find_last_of(L"\\/") + 1) + L"menuprobe.dll";
    if (GetFileAttributesW(dll.c_str()) == INVALID_FILE_ATTRIBUTES) return Fail(L"missing " + dll);

    const DWORD kSize = 1 << 20;
    std::wstring section = Fmt(L"Local\\ZarpMenuProbe.%lu", t.pid);
    std::wstring doneName = Fmt(L"Local\\ZarpMenuProbeDone.%lu", t.pid);
    HANDLE map = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kSize, section.c_str());
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, doneName.c_str());
    if (!map || !done) return Fail(L"cannot create the probe's section or event");
    auto* view = static_cast<char*>(MapViewOfFile(map, FILE_MAP_ALL_ACCESS, 0, 0, kSize));
    if (!view) return Fail(L"cannot map the probe's section");
    memset(view, 0, 8);
    memcpy(view, &mode, 4);  // read by the probe before it writes its answer

    HANDLE process = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION |
                                     PROCESS_VM_READ | PROCESS_VM_WRITE,
                                 FALSE, t.pid);
    if (!process) return Fail(L"cannot open Zarp.exe");
    SIZE_T bytes = (dll.size() + 1) * sizeof(wchar_t);
    void* remotePath = VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    SIZE_T put = 0;
    if (!remotePath || !WriteProcessMemory(process, remotePath, dll.c_str(), bytes, &put))
        return Fail(L"cannot write into Zarp.exe");
    // kernel32 sits at the same address in every process of the session.
    auto load = (LPTHREAD_START_ROUTINE)GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW");
    HANDLE thread = CreateRemoteThread(process, nullptr, 0, load, remotePath, 0, nullptr);
    if (!thread) return Fail(L"CreateRemoteThread failed");
    DWORD waited = WaitForSingleObject(thread, 10000);
    DWORD loaded = 0;
    GetExitCodeThread(thread, &loaded);
    CloseHandle(thread);
    VirtualFreeEx(process, remotePath, 0, MEM_RELEASE);
    CloseHandle(process);
    if (waited != WAIT_OBJECT_0 || !loaded) return Fail(L"menuprobe.dll did not load in Zarp.exe");
    if (WaitForSingleObject(done, 10000) != WAIT_OBJECT_0) return Fail(L"menuprobe.dll did not answer");

    DWORD len = 0;
    memcpy(&len, view, 4);
    int status = 0;
    memcpy(&status, view + 4, 4);
    if (len > kSize - 8) len = kSize - 8;
    WriteRaw(GetStdHandle(STD_OUTPUT_HANDLE), std::string(view + 8, len));
    UnmapViewOfFile(view);
    CloseHandle(map);
    CloseHandle(done);
    return status == 0 ? 0 : Fail(L"menuprobe.dll reported an error");
}

int CmdMenus() { return RunMenuProbe(0); }
int CmdPopupMenus() { return RunMenuProbe(1); }
int CmdMenuRects() { return RunMenuProbe(2); }

HWND ToolBarOf(HWND frame) { return ChildById(frame, kToolBarId); }

int CmdToolbar() {
    Target t;
    if (!FindTarget(t)) return 1;
    HWND bar = ToolBarOf(t.frame);
    if (!bar || ClassOf(bar) != TOOLBARCLASSNAMEW) return Fail(L"no tool bar");
    int count = (int)Send(bar, TB_BUTTONCOUNT);
    RemoteBuffer buf(t.pid, sizeof(TBBUTTON));
    if (!buf.ok()) return Fail(L"cannot allocate in Zarp.exe");
    for (int i = 0; i < count; ++i) {
        TBBUTTON b{};
        if (!Send(bar, TB_GETBUTTON, i, buf.lp()) || !buf.Read(&b, sizeof b)) return Fail(L"TB_GETBUTTON failed");
        if (b.fsStyle & BTNS_SEP) {
            Out(L"separator");
            continue;
        }
        std::wstring line = Fmt(L"0x%04X %ls", b.idCommand, (b.fsState & TBSTATE_ENABLED) ? L"enabled" : L"disabled");
        if (b.fsState & TBSTATE_CHECKED) line += L" checked";
        if (b.fsState & TBSTATE_HIDDEN) line += L" hidden";
        Out(line);
    }
    return 0;
}

int CmdHot() {
    Target t;
    if (!FindTarget(t)) return 1;
    HWND bar = ToolBarOf(t.frame);
    if (!bar) return Fail(L"no tool bar");
    int index = (int)Send(bar, TB_GETHOTITEM);
    RemoteBuffer buf(t.pid, sizeof(TBBUTTON));
    TBBUTTON b{};
    if (index < 0 || !buf.ok() || !Send(bar, TB_GETBUTTON, index, buf.lp()) || !buf.Read(&b, sizeof b)) {
        Out(L"hot none");
        return 0;
    }
    Out(Fmt(L"hot 0x%04X", b.idCommand));
    return 0;
}

int CmdZoombar() {
    Target t;
    if (!FindTarget(t)) return 1;
    HWND bar = ChildById(t.frame, kZoomBarId);
    HWND edit = bar ? ChildById(bar, kZoomEditId) : nullptr;
    HWND slider = bar ? ChildById(bar, kZoomSliderId) : nullptr;
    if (!edit || !slider) return Fail(L"no zoom bar with percent box and slider");
    Out(L"edit " + Escape(TextOf(edit)));
    Out(Fmt(L"slider %d range %d %d", (int)Send(slider, TBM_GETPOS), (int)Send(slider, TBM_GETRANGEMIN),
            (int)Send(slider, TBM_GETRANGEMAX)));
    RECT client;
    GetClientRect(t.frame, &client);
    RECT rb = RectIn(bar, t.frame);
    HWND tool = ToolBarOf(t.frame);
    RECT rt = tool ? RectIn(tool, t.frame) : RECT{0, 0, 0, 0};
    Out(Fmt(L"zoombar right-gap %ld", client.right - rb.right));
    Out(Fmt(L"zoombar bottom-gap %ld", client.bottom - rb.bottom));
    Out(Fmt(L"zoombar top-below-toolbar %ld", rb.top - rt.bottom));
    Out(Fmt(L"zoombar visible %d width-positive %d", IsWindowVisible(bar) ? 1 : 0, rb.right > rb.left ? 1 : 0));
    if (HWND view = ChildById(t.frame, kViewId)) {
        RECT rv = RectIn(view, t.frame);
        Out(Fmt(L"view right-gap-to-zoombar %ld", rb.left - rv.right));
    }
    return 0;
}

void OutScreenRect(const std::wstring& name, const RECT& r) {
    Out(Fmt(L"%ls %ld %ld %ld %ld", name.c_str(), r.left, r.top, r.right - r.left, r.bottom - r.top));
}

RECT ScreenRectOfClient(HWND h) {
    RECT r;
    GetClientRect(h, &r);
    MapWindowPoints(h, HWND_DESKTOP, (POINT*)&r, 2);
    return r;
}

int CmdGeometry() {
    Target t;
    if (!FindTarget(t)) return 1;
    RECT r;
    GetWindowRect(t.frame, &r);
    OutScreenRect(L"frame", r);
    OutScreenRect(L"frame-client", ScreenRectOfClient(t.frame));
    if (HWND view = ChildById(t.frame, kViewId)) {
        OutScreenRect(L"view-client", ScreenRectOfClient(view));
        Out(Fmt(L"view-scroll %d %d", GetScrollPos(view, SB_HORZ), GetScrollPos(view, SB_VERT)));
    }
    if (HWND bar = ChildById(t.frame, kZoomBarId)) {
        if (HWND edit = ChildById(bar, kZoomEditId)) {
            GetWindowRect(edit, &r);
            OutScreenRect(L"edit", r);
        }
        if (HWND slider = ChildById(bar, kZoomSliderId)) {
            GetWindowRect(slider, &r);
            OutScreenRect(L"slider", r);
            RECT thumb, channel;
            if (RemoteRect(t.pid, slider, TBM_GETTHUMBRECT, 0, thumb)) {
                MapWindowPoints(slider, HWND_DESKTOP, (POINT*)&thumb, 2);
                OutScreenRect(L"thumb", thumb);
            }
            if (RemoteRect(t.pid, slider, TBM_GETCHANNELRECT, 0, channel)) {
                // Windows reports a vertical trackbar's channel with x and y swapped, Wine does not.
                if ((GetWindowLongW(slider, GWL_STYLE) & TBS_VERT) &&
                    channel.right - channel.left > channel.bottom - channel.top) {
                    std::swap(channel.left, channel.top);
                    std::swap(channel.right, channel.bottom);
                }
                MapWindowPoints(slider, HWND_DESKTOP, (POINT*)&channel, 2);
                OutScreenRect(L"channel", channel);
            }
        }
    }
    if (HWND tool = ToolBarOf(t.frame)) {
        int count = (int)Send(tool, TB_BUTTONCOUNT);
        RemoteBuffer buf(t.pid, sizeof(TBBUTTON));
        for (int i = 0; i < count && buf.ok(); ++i) {
            TBBUTTON b{};
            if (!Send(tool, TB_GETBUTTON, i, buf.lp()) || !buf.Read(&b, sizeof b) || (b.fsStyle & BTNS_SEP)) continue;
            RECT br;
            if (!RemoteRect(t.pid, tool, TB_GETITEMRECT, i, br)) continue;
            MapWindowPoints(tool, HWND_DESKTOP, (POINT*)&br, 2);
            OutScreenRect(Fmt(L"button 0x%04X", b.idCommand), br);
        }
    }
    return 0;
}

int CmdPopups() {
    DWORD pid = ZarpPid();
    if (!pid) return 1;
    Out(Fmt(L"popups %d", (int)TopWindows(pid, L"#32768", true).size()));
    return 0;
}

int CmdFocus() {
    Target t;
    if (!FindTarget(t)) return 1;
    GUITHREADINFO gti{sizeof gti};
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(t.frame, nullptr), &gti))
        return Fail(L"GetGUIThreadInfo failed");
    std::wstring active = !gti.hwndActive ? L"none" : gti.hwndActive == t.frame ? L"frame" : ClassOf(gti.hwndActive);
    Out(L"active " + active);
    Out(L"foreground " + std::wstring(GetForegroundWindow() == t.frame ? L"frame" : L"other"));
    Out(L"capture " + std::wstring(gti.hwndCapture ? ClassOf(gti.hwndCapture) : L"none"));
    if (gti.hwndFocus == t.frame)
        Out(L"focus frame");
    else if (gti.hwndFocus)
        Out(Fmt(L"focus %ls %d", ClassOf(gti.hwndFocus).c_str(), (int)(short)GetDlgCtrlID(gti.hwndFocus)));
    else
        Out(L"focus none");
    return 0;
}

// Wine keeps the X window of a top-level window in this property.
int CmdXWindow() {
    Target t;
    if (!FindTarget(t)) return 1;
    HANDLE x = GetPropW(t.frame, L"__wine_x11_whole_window");
    if (!x) return Fail(L"the frame has no X window");
    Out(Fmt(L"%llu", (unsigned long long)(ULONG_PTR)x));
    return 0;
}

int CmdSetSlider(int pos) {
    Target t;
    if (!FindTarget(t)) return 1;
    HWND bar = ChildById(t.frame, kZoomBarId);
    HWND slider = bar ? ChildById(bar, kZoomSliderId) : nullptr;
    if (!slider) return Fail(L"no slider");
    Send(slider, TBM_SETPOS, TRUE, pos);
    return 0;
}

int CmdCommand(UINT id) {
    Target t;
    if (!FindTarget(t)) return 1;
    return PostMessageW(t.frame, WM_COMMAND, MAKEWPARAM(id, 0), 0) ? 0 : Fail(L"PostMessage failed");
}

HWND FindDialog(DWORD pid) {
    std::vector<HWND> dialogs = TopWindows(pid, L"#32770", true);
    return dialogs.empty() ? nullptr : dialogs[0];
}

HWND WaitDialog(DWORD pid, int timeout) {
    for (double t0 = NowMs();; Sleep(20)) {
        if (HWND d = FindDialog(pid)) return d;
        if (NowMs() - t0 > timeout) return nullptr;
    }
}

BOOL CALLBACK CollectChild(HWND h, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
    return TRUE;
}

int CmdDialog(int timeout) {
    DWORD pid = ZarpPid();
    if (!pid) return 1;
    HWND d = WaitDialog(pid, timeout);
    if (!d) return Fail(L"no dialog");
    HWND frame = FrameOf(pid);
    HWND owner = GetWindow(d, GW_OWNER);
    Out(L"caption " + TextOf(d));
    Out(std::wstring(L"owner ") + (!owner ? L"none" : owner == frame ? L"frame" : L"other"));
    if (frame) Out(Fmt(L"frame-enabled %d", IsWindowEnabled(frame) ? 1 : 0));
    std::vector<HWND> children;
    EnumChildWindows(d, CollectChild, (LPARAM)&children);
    for (HWND c : children) {
        if (GetParent(c) != d || !IsWindowVisible(c)) continue;
        std::wstring line = Fmt(L"control %d ", (int)(short)GetDlgCtrlID(c)) + ClassOf(c);
        bool icon = ClassOf(c) == L"Static" && (GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
        Out(line + (icon ? std::wstring(L" <icon>") : L" \"" + Escape(TextOf(c)) + L"\""));
    }
    return 0;
}

int CmdDialogPoint(UINT id) {
    DWORD pid = ZarpPid();
    if (!pid) return 1;
    HWND d = FindDialog(pid);
    HWND c = d ? GetDlgItem(d, (int)id) : nullptr;
    if (!c) return Fail(L"no such dialog control");
    RECT r;
    GetWindowRect(c, &r);
    Out(Fmt(L"%ld %ld", (r.left + r.right) / 2, (r.top + r.bottom) / 2));
    return 0;
}

int CmdClickDialog(UINT id) {
    DWORD pid = ZarpPid();
    if (!pid) return 1;
    HWND d = FindDialog(pid);
    HWND c = d ? GetDlgItem(d, (int)id) : nullptr;
    if (!c) return Fail(L"no such dialog button");
    return PostMessageW(c, BM_CLICK, 0, 0) ? 0 : Fail(L"PostMessage failed");
}

int CmdWaitNoDialog(int timeout) {
    DWORD pid = ZarpPid();
    if (!pid) return 1;
    for (double t0 = NowMs(); FindDialog(pid); Sleep(20))
        if (NowMs() - t0 > timeout) return Fail(L"a dialog is still open");
    return 0;
}

// Watches the frame through one timed capture. "watching" is printed once the frame is found,
// "hidden" the moment it is seen hidden (a script may wait for these lines), then the time
// until it is seen again.
int CmdWatchHide(int timeout) {
    Target t;
    if (!FindTarget(t)) return 1;
    Out(L"watching");
    double t0 = NowMs();
    while (IsWindowVisible(t.frame)) {
        if (NowMs() - t0 > timeout) return Fail(L"the frame did not hide");
        Sleep(2);
    }
    double hidden = NowMs();
    Out(L"hidden");
    while (!IsWindowVisible(t.frame)) {
        if (NowMs() - hidden > timeout) return Fail(L"the frame did not come back");
        Sleep(2);
    }
    Out(Fmt(L"shown-after-ms %d", (int)(NowMs() - hidden)));
    return 0;
}

int WaitExit(DWORD pid, int timeout, bool failOnDialog) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process) return 0;  // already gone
    for (double t0 = NowMs();;) {
        if (WaitForSingleObject(process, 20) == WAIT_OBJECT_0) break;
        if (failOnDialog) {
            if (HWND d = FindDialog(pid)) {
                CloseHandle(process);
                return Fail(L"a dialog appeared: " + TextOf(d));
            }
        }
        if (NowMs() - t0 > timeout) {
            CloseHandle(process);
            return Fail(L"Zarp.exe did not end");
        }
    }
    CloseHandle(process);
    Out(L"ended");
    return 0;
}

int CmdClose(int timeout) {
    Target t;
    if (!FindTarget(t)) return 1;
    PostMessageW(t.frame, WM_CLOSE, 0, 0);
    return WaitExit(t.pid, timeout, true);
}

int CmdWaitExit(int timeout) {
    std::vector<DWORD> ids = ZarpProcesses();
    if (ids.empty()) {
        Out(L"ended");
        return 0;
    }
    return WaitExit(ids[0], timeout, true);
}

int CmdKill() {
    for (DWORD pid : ZarpProcesses()) {
        if (HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
            TerminateProcess(p, 1);
            WaitForSingleObject(p, 5000);
            CloseHandle(p);
        }
    }
    return 0;
}

// ---- clipboard ----------------------------------------------------------------------------

// Another program may hold the clipboard open for a moment.
bool OpenClipboardSoon() {
    for (int i = 0; i < 100; ++i, Sleep(20))
        if (OpenClipboard(nullptr)) return true;
    return false;
}

std::wstring FormatName(UINT f) {
    static const std::pair<UINT, const wchar_t*> known[] = {
        {CF_TEXT, L"CF_TEXT"},     {CF_BITMAP, L"CF_BITMAP"},         {CF_OEMTEXT, L"CF_OEMTEXT"},
        {CF_DIB, L"CF_DIB"},       {CF_UNICODETEXT, L"CF_UNICODETEXT"}, {CF_LOCALE, L"CF_LOCALE"},
        {CF_DIBV5, L"CF_DIBV5"},   {CF_PALETTE, L"CF_PALETTE"}};
    for (const auto& k : known)
        if (k.first == f) return k.second;
    wchar_t name[256] = L"";
    return GetClipboardFormatNameW(f, name, 256) ? std::wstring(name) : std::wstring(L"?");
}

int CmdClipboard() {
    if (!OpenClipboardSoon()) return Fail(L"cannot open the clipboard");
    for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f)) Out(Fmt(L"%u ", f) + FormatName(f));
    CloseClipboard();
    return 0;
}

// The packed DIB as a file: the 14-byte file header in front of it, nothing else changed.
int CmdClipboardDib(const wchar_t* path) {
    if (!OpenClipboardSoon()) return Fail(L"cannot open the clipboard");
    std::vector<BYTE> dib;
    if (HANDLE h = GetClipboardData(CF_DIB)) {
        if (const BYTE* p = static_cast<const BYTE*>(GlobalLock(h))) {
            dib.assign(p, p + GlobalSize(h));
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    if (dib.size() < sizeof(BITMAPINFOHEADER)) return Fail(L"no CF_DIB on the clipboard");
    BITMAPINFOHEADER bi;
    memcpy(&bi, dib.data(), sizeof bi);
    const DWORD colors = bi.biClrUsed ? bi.biClrUsed : bi.biBitCount <= 8 ? 1u << bi.biBitCount : 0;
    const DWORD masks = bi.biCompression == BI_BITFIELDS && bi.biSize == sizeof bi ? 12 : 0;
    const DWORD stride = (DWORD)(((long long)std::labs(bi.biWidth) * bi.biBitCount + 31) / 32 * 4);
    const DWORD image = bi.biSizeImage ? bi.biSizeImage : stride * (DWORD)std::labs(bi.biHeight);
    const DWORD offBits = bi.biSize + masks + colors * 4;
    const unsigned long long packed = (unsigned long long)offBits + image;
    if (packed > dib.size()) return Fail(Fmt(L"the block holds %zu bytes, its header needs %llu", dib.size(), packed));
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfSize = (DWORD)(sizeof fh + packed);
    fh.bfOffBits = (DWORD)(sizeof fh + offBits);
    HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return Fail(std::wstring(L"cannot create ") + path);
    DWORD put = 0;
    bool ok = WriteFile(f, &fh, sizeof fh, &put, nullptr) && put == sizeof fh &&
              WriteFile(f, dib.data(), (DWORD)packed, &put, nullptr) && put == packed;
    CloseHandle(f);
    if (!ok) return Fail(std::wstring(L"cannot write ") + path);
    Out(Fmt(L"dib %ld %ld bpp %u compression %lu image %lu", bi.biWidth, bi.biHeight, bi.biBitCount,
            bi.biCompression, image));
    return 0;
}

// ---- the save dialog ------------------------------------------------------------------------

const int kFileNameCombo = 0x47C;  // cmb13 of the explorer-style dialog
const int kFileNameEdit = 0x480;   // edt1 of older dialogs
const int kFileTypeCombo = 0x470;  // cmb1

HWND FindFileDialog(DWORD pid) {
    for (HWND d : TopWindows(pid, L"#32770", true))
        if (GetDlgItem(d, kFileNameCombo) || GetDlgItem(d, kFileNameEdit)) return d;
    return nullptr;
}

HWND WaitFileDialog(DWORD pid, int timeout) {
    for (double t0 = NowMs();; Sleep(20)) {
        if (HWND d = FindFileDialog(pid)) return d;
        if (NowMs() - t0 > timeout) return nullptr;
    }
}

HWND FileNameEdit(HWND dlg) {
    if (HWND combo = GetDlgItem(dlg, kFileNameCombo)) {
        HWND edit = FindWindowExW(combo, nullptr, L"Edit", nullptr);
        if (!edit) {  // ComboBoxEx32 holds a ComboBox that holds the Edit
            if (HWND inner = FindWindowExW(combo, nullptr, L"ComboBox", nullptr))
                edit = FindWindowExW(inner, nullptr, L"Edit", nullptr);
        }
        return edit ? edit : combo;
    }
    return GetDlgItem(dlg, kFileNameEdit);
}

// A visible dialog owned by the given window (the replace question of the save dialog).
HWND OwnedDialog(HWND owner) {
    DWORD pid = 0;
    GetWindowThreadProcessId(owner, &pid);
    for (HWND d : TopWindows(pid, L"#32770", true))
        if (GetWindow(d, GW_OWNER) == owner) return d;
    return nullptr;
}

void ClickButton(HWND dlg, int id) {
    PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dlg, id));
}

bool WaitGone(HWND h, int timeout) {
    for (double t0 = NowMs(); IsWindow(h) && IsWindowVisible(h); Sleep(20))
        if (NowMs() - t0 > timeout) return false;
    return true;
}

int CmdFileDialog(int timeout) {
    DWORD pid = ZarpPid();
    if (!pid) return 1;
    HWND dlg = WaitFileDialog(pid, timeout);
    if (!dlg) return Fail(L"no save dialog");
    HWND frame = FrameOf(pid);
    HWND owner = GetWindow(dlg, GW_OWNER);
    Out(L"caption " + TextOf(dlg));
    Out(std::wstring(L"owner ") + (!owner ? L"none" : owner == frame ? L"frame" : L"other"));
    // CDM_GETFOLDERPATH writes into the caller's memory: give it memory inside Zarp.
    const int chars = 4096;
    RemoteBuffer buf(pid, chars * sizeof(wchar_t));
    std::vector<wchar_t> folder(chars, L'\0');
    if (!buf.ok() || !buf.Write(folder.data(), folder.size() * sizeof(wchar_t)))
        return Fail(L"cannot allocate in Zarp.exe");
    LRESULT n = Send(dlg, CDM_GETFOLDERPATH, chars, buf.lp());
    if (n <= 0 || !buf.Read(folder.data(), folder.size() * sizeof(wchar_t))) return Fail(L"CDM_GETFOLDERPATH failed");
    folder[chars - 1] = 0;
    Out(std::wstring(L"folder ") + folder.data());
    HWND type = GetDlgItem(dlg, kFileTypeCombo);
    Out(L"type " + (type ? TextOf(type) : std::wstring(L"?")));
    Out(L"name " + TextOf(FileNameEdit(dlg)));
    return 0;
}

int CmdSaveAs(const wchar_t* name, const std::wstring& answer, int timeout) {
    if (answer != L"yes" && answer != L"no" && answer != L"cancel") return Fail(L"answer yes, no or cancel");
    DWORD pid = ZarpPid();
    if (!pid) return 1;
    HWND dlg = WaitFileDialog(pid, timeout);
    if (!dlg) return Fail(L"no save dialog");
    if (answer == L"cancel") {
        ClickButton(dlg, IDCANCEL);
        if (!WaitGone(dlg, timeout)) return Fail(L"the save dialog did not close");
        Out(L"cancelled");
        return 0;
    }
    HWND edit = FileNameEdit(dlg);
    if (!edit) return Fail(L"the save dialog has no file name box");
    Send(edit, WM_SETTEXT, 0, (LPARAM)name);
    Out(L"typed " + TextOf(edit));
    // Posted, not sent: the dialog may open a question box, which would block a send.
    ClickButton(dlg, IDOK);
    for (double t0 = NowMs();; Sleep(20)) {
        if (!IsWindow(dlg) || !IsWindowVisible(dlg)) {
            Out(L"closed");
            return 0;
        }
        if (HWND q = OwnedDialog(dlg)) {
            Out(L"question " + Escape(TextOf(q)) + L": " + Escape(TextOf(GetDlgItem(q, 0xFFFF))));
            ClickButton(q, answer == L"yes" ? IDYES : IDNO);
            if (!WaitGone(q, timeout)) return Fail(L"the question did not close");
            Out(L"answered " + answer);
            if (answer == L"no") {
                if (!IsWindow(dlg) || !IsWindowVisible(dlg)) return Fail(L"the save dialog closed after no");
                Out(L"dialog stays");
                ClickButton(dlg, IDCANCEL);
                if (!WaitGone(dlg, timeout)) return Fail(L"the save dialog did not close");
                Out(L"cancelled");
                return 0;
            }
        }
        if (NowMs() - t0 > timeout) return Fail(L"the save dialog did not close");
    }
}

// ---- a window of our own ------------------------------------------------------------------

const wchar_t kPictureClass[] = L"ZarpE2EPicture";
HBITMAP g_picture = nullptr;

LRESULT CALLBACK PictureProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, g_picture);
        BITMAP bm{};
        GetObjectW(g_picture, sizeof bm, &bm);
        BitBlt(dc, 0, 0, bm.bmWidth, bm.bmHeight, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
        EndPaint(h, &ps);
        return 0;
    }
    case WM_TIMER:
        DestroyWindow(h);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

// Shown without taking the activation: a test decides by a click whether it comes to the front.
int CmdShowPicture(const wchar_t* path, int x, int y, int lifetime) {
    g_picture = (HBITMAP)LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    BITMAP bm{};
    if (!g_picture || !GetObjectW(g_picture, sizeof bm, &bm)) return Fail(std::wstring(L"cannot load ") + path);
    WNDCLASSW wc{};
    wc.lpfnWndProc = PictureProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kPictureClass;
    RegisterClassW(&wc);
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    RECT r{0, 0, bm.bmWidth, bm.bmHeight};
    AdjustWindowRect(&r, style, FALSE);
    std::wstring title(path);
    title = L"zarp-e2e " + title.substr(title.find_last_of(L"\\/") + 1);
    HWND h = CreateWindowExW(0, kPictureClass, title.c_str(), style, x, y, r.right - r.left, r.bottom - r.top,
                             nullptr, nullptr, wc.hInstance, nullptr);
    if (!h) return Fail(L"CreateWindow failed");
    ShowWindow(h, SW_SHOWNOACTIVATE);
    UpdateWindow(h);
    RECT outer;
    GetWindowRect(h, &outer);
    OutScreenRect(L"window", outer);
    OutScreenRect(L"client", ScreenRectOfClient(h));
    SetTimer(h, 1, lifetime, nullptr);
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    DeleteObject(g_picture);
    return 0;
}

int CmdClosePicture() {
    for (double t0 = NowMs();; Sleep(20)) {
        HWND h = FindWindowW(kPictureClass, nullptr);
        if (!h) return 0;
        PostMessageW(h, WM_CLOSE, 0, 0);
        if (NowMs() - t0 > 5000) return Fail(L"a picture window stays");
    }
}

int CmdForeground() {
    HWND h = GetForegroundWindow();
    if (!h) {
        Out(L"foreground none");
        return 0;
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    std::vector<DWORD> zarp = ZarpProcesses();
    bool ofZarp = std::find(zarp.begin(), zarp.end(), pid) != zarp.end();
    Out(L"foreground " + ClassOf(h) + L" \"" + Escape(TextOf(h)) + L"\"" + (ofZarp ? L" zarp" : L""));
    return 0;
}

int Usage() {
    Fail(L"usage: zarp_driver pid|wait-window|frame|menus|toolbar|zoombar|geometry|popups|set-slider N|"
         L"command ID|dialog|dialog-point ID|click-dialog ID|wait-no-dialog|watch-hide|close|wait-exit|kill|"
         L"popup-menus|menu-rects|foreground|clipboard|clipboard-dib FILE|file-dialog|save-as NAME yes|no|cancel|"
         L"show-picture FILE X Y|close-picture");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return Usage();
    const std::wstring cmd = argv[1];
    if (cmd == L"pid") return CmdPid();
    if (cmd == L"wait-window") return CmdWaitWindow(ArgMs(argc, argv, 2, 15000));
    if (cmd == L"frame") return CmdFrame();
    if (cmd == L"menus") return CmdMenus();
    if (cmd == L"toolbar") return CmdToolbar();
    if (cmd == L"zoombar") return CmdZoombar();
    if (cmd == L"hot") return CmdHot();
    if (cmd == L"geometry") return CmdGeometry();
    if (cmd == L"popups") return CmdPopups();
    if (cmd == L"focus") return CmdFocus();
    if (cmd == L"xwindow") return CmdXWindow();
    if (cmd == L"set-slider" && argc > 2) return CmdSetSlider(_wtoi(argv[2]));
    if (cmd == L"command" && argc > 2) return CmdCommand(ParseId(argv[2]));
    if (cmd == L"dialog") return CmdDialog(ArgMs(argc, argv, 2, 10000));
    if (cmd == L"dialog-point" && argc > 2) return CmdDialogPoint(ParseId(argv[2]));
    if (cmd == L"click-dialog" && argc > 2) return CmdClickDialog(ParseId(argv[2]));
    if (cmd == L"wait-no-dialog") return CmdWaitNoDialog(ArgMs(argc, argv, 2, 5000));
    if (cmd == L"watch-hide") return CmdWatchHide(ArgMs(argc, argv, 2, 20000));
    if (cmd == L"close") return CmdClose(ArgMs(argc, argv, 2, 10000));
    if (cmd == L"wait-exit") return CmdWaitExit(ArgMs(argc, argv, 2, 10000));
    if (cmd == L"kill") return CmdKill();
    if (cmd == L"popup-menus") return CmdPopupMenus();
    if (cmd == L"menu-rects") return CmdMenuRects();
    if (cmd == L"foreground") return CmdForeground();
    if (cmd == L"clipboard") return CmdClipboard();
    if (cmd == L"clipboard-dib" && argc > 2) return CmdClipboardDib(argv[2]);
    if (cmd == L"file-dialog") return CmdFileDialog(ArgMs(argc, argv, 2, 10000));
    if (cmd == L"save-as" && argc > 3) return CmdSaveAs(argv[2], argv[3], ArgMs(argc, argv, 4, 10000));
    if (cmd == L"show-picture" && argc > 4)
        return CmdShowPicture(argv[2], _wtoi(argv[3]), _wtoi(argv[4]), ArgMs(argc, argv, 5, 120000));
    if (cmd == L"close-picture") return CmdClosePicture();
    return Usage();
}
