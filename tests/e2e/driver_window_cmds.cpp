// zarp_driver subcommands that read and drive Zarp's own windows: frame, menus, tool bar,
// zoom bar, dialogs, and the program's life.
#include "driver_commands.h"
#include "driver_support.h"

namespace drv {


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
        OutScreenRect(L"zoombar-client", ScreenRectOfClient(bar));
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
        OutScreenRect(L"toolbar-client", ScreenRectOfClient(tool));
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

int CmdDpiChanged(int dpi, int from) {
    Target t;
    if (!FindTarget(t)) return 1;
    if (dpi <= 0 || from <= 0) return Fail(L"bad DPI");
    RECT r;
    GetWindowRect(t.frame, &r);
    const RECT suggested{r.left, r.top, r.left + MulDiv(r.right - r.left, dpi, from),
                         r.top + MulDiv(r.bottom - r.top, dpi, from)};
    // The rectangle goes by pointer: it must lie in Zarp's memory.
    RemoteBuffer buf(t.pid, sizeof suggested);
    if (!buf.ok() || !buf.Write(&suggested, sizeof suggested)) return Fail(L"cannot write into Zarp.exe");
    Send(t.frame, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), buf.lp());
    OutScreenRect(L"suggested", suggested);
    GetWindowRect(t.frame, &r);
    OutScreenRect(L"frame", r);
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

BOOL CALLBACK CollectChild(HWND h, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
    return TRUE;
}

int CmdDialog(int timeout) {
    DWORD pid = ZarpPid();
    if (!pid) return 1;
    HWND d = WaitFor(FindDialog, pid, timeout);
    if (!d) return Fail(L"no dialog");
    OutCaptionAndOwner(d, pid);
    HWND frame = FrameOf(pid);
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

// Control ID of the dialog Zarp shows now, or null.
HWND DialogControl(UINT id) {
    DWORD pid = ZarpPid();
    HWND d = pid ? FindDialog(pid) : nullptr;
    return d ? GetDlgItem(d, (int)id) : nullptr;
}

int CmdDialogPoint(UINT id) {
    HWND c = DialogControl(id);
    if (!c) return Fail(L"no such dialog control");
    RECT r;
    GetWindowRect(c, &r);
    Out(Fmt(L"%ld %ld", (r.left + r.right) / 2, (r.top + r.bottom) / 2));
    return 0;
}

int CmdClickDialog(UINT id) {
    HWND c = DialogControl(id);
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


}  // namespace drv
