#include "dialog_robot.h"

namespace zt {
namespace {
struct FoundDialog {
    DWORD pid;
    HWND found;
    const wchar_t* caption;  // null: the file dialog
};

BOOL CALLBACK FindDialog(HWND h, LPARAM lp) {
    auto* f = reinterpret_cast<FoundDialog*>(lp);
    wchar_t cls[64];
    ::GetClassNameW(h, cls, 64);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(h, &pid);
    if (pid != f->pid || wcscmp(cls, L"#32770") || !::IsWindowVisible(h)) return TRUE;
    if (f->caption) {
        wchar_t text[128];
        ::GetWindowTextW(h, text, 128);
        if (wcscmp(text, f->caption)) return TRUE;
    } else if (!::GetDlgItem(h, 0x47C) && !::GetDlgItem(h, 0x480)) {
        return TRUE;
    }
    f->found = h;
    return FALSE;
}

HWND WaitDialog(const wchar_t* caption, int timeoutMs, const std::atomic<bool>* stop = nullptr) {
    for (int t = 0; t < timeoutMs && !(stop && *stop); t += 20) {
        FoundDialog f{::GetCurrentProcessId(), nullptr, caption};
        ::EnumWindows(FindDialog, (LPARAM)&f);
        if (f.found) return f.found;
        ::Sleep(20);
    }
    return nullptr;
}

HWND WaitOwnedBy(HWND owner, int timeoutMs) {
    for (int t = 0; t < timeoutMs; t += 20) {
        HWND found = nullptr;
        for (HWND h = ::GetTopWindow(nullptr); h; h = ::GetWindow(h, GW_HWNDNEXT))
            if (::GetWindow(h, GW_OWNER) == owner && ::IsWindowVisible(h)) {
                wchar_t cls[64];
                ::GetClassNameW(h, cls, 64);
                if (!wcscmp(cls, L"#32770")) found = h;
            }
        if (found) return found;
        ::Sleep(20);
    }
    return nullptr;
}

void Click(HWND dlg, int id) { ::PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)::GetDlgItem(dlg, id)); }

}  // namespace

void SaveRobot::Start() {
    thread = std::thread([this] {
        HWND dlg = WaitDialog(nullptr, 15000);
        if (!dlg) return;
        sawDialog = true;
        if (cancel) {
            Click(dlg, IDCANCEL);
            return;
        }
        HWND edit = ::GetDlgItem(dlg, 0x47C);
        if (edit) {
            if (HWND e = ::FindWindowExW(edit, nullptr, L"Edit", nullptr)) edit = e;
        } else {
            edit = ::GetDlgItem(dlg, 0x480);
        }
        ::SendMessageW(edit, WM_SETTEXT, 0, (LPARAM)name.c_str());
        Click(dlg, IDOK);
        if (answerReplace) {
            if (HWND q = WaitOwnedBy(dlg, 3000)) {
                sawReplace = true;
                Click(q, IDYES);
            }
        }
        if (HWND warn = WaitDialog(L"警告", 5000, &commandDone)) {
            wchar_t text[512];
            ::GetDlgItemTextW(warn, 0xFFFF, text, 512);
            warningText = text;
            warningCaption = L"警告";
            Click(warn, IDOK);
        }
    });
}

}  // namespace zt
