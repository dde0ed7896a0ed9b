#include "wnd.h"
#include "busy.h"
#include <new>
#include "app.h"
#include "file.h"

namespace {
const wchar_t kWndProp[] = L"Zfw.CWnd";
thread_local CWnd* t_pWndInit = nullptr;

// Exceptions must never unwind through the platform's window procedure: file errors
// are shown in the framework's error box, lack of memory in a plain one.
template <class F> LRESULT Guarded(F&& f) {
    try {
        return f();
    } catch (CFileException& e) {
        e.ReportError();
    } catch (std::bad_alloc&) {
        AfxMessageBox(L"メモリが不足しています。", MB_ICONSTOP | MB_OK);
    }
    return 0;
}
}  // namespace

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

CWnd::~CWnd() {
    if (m_hWnd) {
        HWND h = m_hWnd;
        Detach();
        ::DestroyWindow(h);
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    return hWnd ? static_cast<CWnd*>(::GetPropW(hWnd, kWndProp)) : nullptr;
}

void CWnd::Attach(HWND hWnd) {
    m_hWnd = hWnd;
    ::SetPropW(hWnd, kWndProp, this);
}

void CWnd::Detach() {
    if (m_hWnd) ::RemovePropW(m_hWnd, kWndProp);
    m_hWnd = nullptr;
}

const wchar_t* CWnd::RegisterClassOnce(const wchar_t* name, UINT style, HICON hIcon, HBRUSH hBackground,
                                       HICON hIconSm) {
    WNDCLASSEXW wc{};
    HINSTANCE hInst = AfxGetInstanceHandle();
    if (::GetClassInfoExW(hInst, name, &wc)) return name;
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = &CWnd::AfxWndProc;
    wc.hInstance = hInst;
    wc.hIcon = hIcon;
    wc.hIconSm = hIconSm;
    wc.hCursor = ::LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW);
    wc.hbrBackground = hBackground;
    wc.lpszClassName = name;
    ::RegisterClassExW(&wc);
    return name;
}

bool CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                    int cx, int cy, HWND hParent, HMENU hMenuOrId, void* lpParam) {
    t_pWndInit = this;
    HWND h = ::CreateWindowExW(exStyle, className, title, style, x, y, cx, cy, hParent, hMenuOrId,
                               AfxGetInstanceHandle(), lpParam);
    t_pWndInit = nullptr;
    // A window that failed in WM_CREATE has been destroyed already, and an object that
    // deletes itself on destruction is gone: touch nothing of it then.
    if (!h) return false;
    if (!m_hWnd) Attach(h);
    return true;
}

bool CWnd::DestroyWindow() {
    if (!m_hWnd) return false;
    return ::DestroyWindow(m_hWnd) != FALSE;
}

LRESULT CALLBACK CWnd::AfxWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CWnd* p = FromHandlePermanent(hWnd);
    if (!p && t_pWndInit) {
        p = t_pWndInit;
        t_pWndInit = nullptr;
        p->Attach(hWnd);
    }
    if (!p) return ::DefWindowProcW(hWnd, msg, wParam, lParam);
    // While work runs beside the windows (see CBusyJob) the pointer over them stays the
    // hourglass. Controls ask their parents first, so the frame answers for all of them.
    if (msg == WM_SETCURSOR && afx::CBusyJob::Running()) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
    }
    LRESULT r = Guarded([&] { return p->WindowProc(msg, wParam, lParam); });
    if (msg == WM_NCDESTROY) {
        p->Detach();
        p->PostNcDestroy();
    }
    return r;
}

INT_PTR CALLBACK CWnd::AfxDlgProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CWnd* p = FromHandlePermanent(hWnd);
    if (msg == WM_INITDIALOG && !p) {
        p = reinterpret_cast<CWnd*>(lParam);
        p->Attach(hWnd);
    }
    if (!p) return FALSE;
    LRESULT r = 0;
    bool handled = false;
    Guarded([&] {
        CurrentMsg saved = p->m_current;
        p->m_current = {msg, wParam, lParam};
        handled = p->OnWndMsg(msg, wParam, lParam, &r);
        p->m_current = saved;
        return (LRESULT)0;
    });
    if (msg == WM_NCDESTROY) {
        p->Detach();
        p->PostNcDestroy();
        return FALSE;
    }
    if (msg == WM_INITDIALOG) return handled ? r : TRUE;
    if (handled) ::SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, r);
    return handled ? TRUE : FALSE;
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    CurrentMsg saved = m_current;
    m_current = {msg, wParam, lParam};
    LRESULT r = 0;
    if (!OnWndMsg(msg, wParam, lParam, &r)) r = DefWindowProc(msg, wParam, lParam);
    m_current = saved;
    return r;
}

bool CWnd::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (msg == WM_COMMAND) {
        if (!OnCommand(wParam, lParam)) return false;
        *pResult = 0;
        return true;
    }
    for (const afx::MsgMap* map = GetMessageMap(); map; map = map->pfnGetBase ? map->pfnGetBase() : nullptr) {
        for (const afx::MsgEntry* e = map->entries; e->thunk; ++e) {
            if (e->kind != afx::EntryKind::Message || e->msg != msg) continue;
            afx::MsgArgs args{msg, wParam, lParam, nullptr};
            *pResult = e->thunk(this, args);
            return true;
        }
    }
    return false;
}

bool CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    UINT nID = LOWORD(wParam);
    UINT code = HIWORD(wParam);
    // 0: menu item or button click, 1: accelerator. Other codes are control
    // notifications, which no command handler takes.
    if (code > 1 || nID == 0) return false;
    if (!IsCommandEnabled(nID)) return true;  // disabled: swallowed, never run
    return OnCmdMsg(nID, CN_COMMAND, nullptr);
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(m_hWnd, msg, wParam, lParam);
}

LRESULT CWnd::Default() { return DefWindowProc(m_current.msg, m_current.wParam, m_current.lParam); }

int CWnd::MessageBox(const wchar_t* text, const wchar_t* caption, UINT type) {
    return ::MessageBoxW(m_hWnd, text, caption, type);
}

void CWnd::OnHelpFinder() { AfxGetApp()->OpenHelpFile(); }
