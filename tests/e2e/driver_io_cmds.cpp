// zarp_driver subcommands around Zarp's outputs and surroundings: the clipboard, the
// save dialog, a picture window of our own, the foreground window.
#include "driver_commands.h"
#include "driver_support.h"

namespace drv {

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
    HWND dlg = WaitFor(FindFileDialog, pid, timeout);
    if (!dlg) return Fail(L"no save dialog");
    OutCaptionAndOwner(dlg, pid);
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
    std::wstring types;  // every entry of the type list (the system carries the text across)
    for (LRESULT i = 0, n = type ? Send(type, CB_GETCOUNT, 0, 0) : 0; i < n; ++i) {
        wchar_t text[256] = L"";
        if (Send(type, CB_GETLBTEXTLEN, i, 0) < 256 && Send(type, CB_GETLBTEXT, i, (LPARAM)text) > 0)
            types += (i ? L"|" : L"") + std::wstring(text);
    }
    Out(L"types " + types);
    Out(L"name " + TextOf(FileNameEdit(dlg)));
    return 0;
}

int CmdSaveAs(const wchar_t* name, const std::wstring& answer, int timeout, int type) {
    if (answer != L"yes" && answer != L"no" && answer != L"cancel") return Fail(L"answer yes, no or cancel");
    DWORD pid = ZarpPid();
    if (!pid) return 1;
    HWND dlg = WaitFor(FindFileDialog, pid, timeout);
    if (!dlg) return Fail(L"no save dialog");
    if (answer == L"cancel") {
        ClickButton(dlg, IDCANCEL);
        if (!WaitGone(dlg, timeout)) return Fail(L"the save dialog did not close");
        Out(L"cancelled");
        return 0;
    }
    if (type > 0) {  // the type chosen as a user chooses it: the list's selection changes
        HWND list = GetDlgItem(dlg, kFileTypeCombo);
        Send(list, CB_SETCURSEL, type - 1, 0);
        Send(dlg, WM_COMMAND, MAKEWPARAM(kFileTypeCombo, CBN_SELCHANGE), (LPARAM)list);
        Send(dlg, WM_COMMAND, MAKEWPARAM(kFileTypeCombo, CBN_SELENDOK), (LPARAM)list);
        Out(L"type " + TextOf(list));
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

bool g_menuShown = false;

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
    case WM_APP: {  // a menu of this program's, open at the client's top-left corner
        HMENU menu = CreatePopupMenu();
        for (const wchar_t* item : {L"zarp-e2e menu item one", L"zarp-e2e menu item two"})
            AppendMenuW(menu, MF_STRING, 1, item);
        POINT at{10, 10};
        ClientToScreen(h, &at);
        TrackPopupMenu(menu, TPM_LEFTALIGN, at.x, at.y, 0, h, nullptr);
        DestroyMenu(menu);
        return 0;
    }
    case WM_ENTERIDLE:  // the menu is on the screen and waits for input
        if (wp == MSGF_MENU && !g_menuShown) g_menuShown = (Out(L"menu open"), true);
        return 0;
    case WM_TIMER:
        DestroyWindow(h);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

// Shown without taking the activation (a test decides by a click whether it comes to
// the front), or with mode "front" brought to the front, or with "menu" also opening a
// menu of its own ("menu open" is printed once it shows).
int CmdShowPicture(const wchar_t* path, int x, int y, int lifetime, const std::wstring& mode) {
    g_picture = (HBITMAP)LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    BITMAP bm{};
    if (!g_picture || !GetObjectW(g_picture, sizeof bm, &bm)) return Fail(std::wstring(L"cannot load ") + path);
    WNDCLASSW wc{};
    wc.lpfnWndProc = PictureProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);  // a caption icon, drawn with alpha
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
    if (mode == L"front" || mode == L"menu") SetForegroundWindow(h);
    if (mode == L"menu") PostMessageW(h, WM_APP, 0, 0);
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

// Holds a file (opened for reading, sharing nothing) or the clipboard for ms, as another
// program would, then lets go. With a wait, the file (the first one a name with * in it
// matches) is taken the moment it can be opened at all (reading, sharing only reading),
// within that many milliseconds.
int CmdHold(const wchar_t* what, int ms, int wait) {
    HANDLE h = INVALID_HANDLE_VALUE;
    const bool clipboard = !wcscmp(what, L"clipboard");
    const std::wstring pattern = what, folder = pattern.substr(0, pattern.find_last_of(L"\\") + 1);
    for (DWORD t0 = GetTickCount(); !clipboard && h == INVALID_HANDLE_VALUE; Sleep(wait ? 0 : 10)) {
        std::wstring path = pattern;
        WIN32_FIND_DATAW fd;
        HANDLE find = pattern.find(L'*') == std::wstring::npos ? INVALID_HANDLE_VALUE : FindFirstFileW(what, &fd);
        if (find != INVALID_HANDLE_VALUE) path = folder + fd.cFileName, FindClose(find);
        h = CreateFileW(path.c_str(), GENERIC_READ, wait ? FILE_SHARE_READ : 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE && (int)(GetTickCount() - t0) > (wait ? wait : 5000))
            return Out(L"never opened"), 1;
    }
    if (clipboard && !OpenClipboardSoon()) return Fail(L"cannot open the clipboard");
    Out(L"held");
    Sleep(ms);
    if (clipboard) CloseClipboard();
    else CloseHandle(h);
    return 0;
}

int Usage() {
    Fail(L"usage: zarp_driver pid|wait-window|frame|menus|toolbar|zoombar|geometry|popups|set-slider N|"
         L"command ID|dialog|dialog-point ID|click-dialog ID|wait-no-dialog|watch-hide|close|wait-exit|kill|"
         L"popup-menus|menu-rects|foreground|clipboard|clipboard-dib FILE|file-dialog|save-as NAME yes|no|cancel|"
         L"show-picture FILE X Y|close-picture|hold FILE|clipboard MS [WAIT]");
    return 2;
}


}  // namespace drv
