// Window objects: one CWnd per window handle, found through a window property (no
// global handle map). Messages go through the class's message map; what no entry
// handles goes to the window's default procedure.
#pragma once
#include <windows.h>
#include "cmdtarget.h"
#include "cstring.h"
#include "gdi.h"

class CWnd : public CCmdTarget {
    DECLARE_MESSAGE_MAP()
public:
    CWnd() = default;
    ~CWnd() override;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // The CWnd attached to a window of ours, or null.
    static CWnd* FromHandlePermanent(HWND hWnd);

    bool CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                  int cx, int cy, HWND hParent, HMENU hMenuOrId, void* lpParam = nullptr);
    bool DestroyWindow();

    // The whole message path of this window.
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // Looks the message up in the maps; true when a handler took it.
    virtual bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // WM_COMMAND: menu items, accelerators and button clicks run a command only when
    // its handler exists and its update handler does not disable it.
    virtual bool OnCommand(WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // Passes the message being handled on to the default procedure.
    LRESULT Default();
    // Called after the last message; frames and views delete themselves here.
    virtual void PostNcDestroy() {}

    // Default handlers, public so that message maps may name them.
    int OnCreate(LPCREATESTRUCT) { return (int)Default(); }
    void OnSize(UINT, int, int) { Default(); }
    void OnTimer(UINT_PTR) { Default(); }
    void OnPaint() { Default(); }
    void OnDestroy() { Default(); }
    void OnClose() { Default(); }
    BOOL OnEraseBkgnd(CDC*) { return (BOOL)Default(); }
    void OnLButtonDown(UINT, CPoint) { Default(); }
    void OnLButtonUp(UINT, CPoint) { Default(); }
    void OnLButtonDblClk(UINT, CPoint) { Default(); }
    void OnMouseMove(UINT, CPoint) { Default(); }
    void OnRButtonDown(UINT, CPoint) { Default(); }
    void OnRButtonUp(UINT, CPoint) { Default(); }
    void OnHScroll(UINT, UINT, HWND) { Default(); }
    void OnVScroll(UINT, UINT, HWND) { Default(); }
    void OnSetFocus(HWND) { Default(); }
    void OnCaptureChanged(HWND) { Default(); }
    BOOL OnMouseWheel(UINT, short, CPoint) { return (BOOL)Default(); }
    void OnKeyDown(UINT, UINT, UINT) { Default(); }
    void OnContextMenu(HWND, CPoint) { Default(); }
    void OnDpiChanged(UINT, UINT, LPRECT) { Default(); }
    // Help commands: ask the shell to open the program's help file, if there is one.
    void OnHelpFinder();

    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    CRect GetClientRect() const { CRect r; ::GetClientRect(m_hWnd, &r); return r; }
    CRect GetWindowRect() const { CRect r; ::GetWindowRect(m_hWnd, &r); return r; }
    void GetClientRect(LPRECT r) const { ::GetClientRect(m_hWnd, r); }
    void GetWindowRect(LPRECT r) const { ::GetWindowRect(m_hWnd, r); }
    UINT_PTR SetTimer(UINT_PTR id, UINT ms) { return ::SetTimer(m_hWnd, id, ms, nullptr); }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
    void ClientToScreen(LPPOINT p) const { ::ClientToScreen(m_hWnd, p); }
    void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    LRESULT SendMessage(UINT m, WPARAM w = 0, LPARAM l = 0) { return ::SendMessageW(m_hWnd, m, w, l); }
    int MessageBox(const wchar_t* text, const wchar_t* caption, UINT type);
    DWORD GetStyle() const { return (DWORD)::GetWindowLongPtrW(m_hWnd, GWL_STYLE); }

    static HWND GetForegroundWindow() { return ::GetForegroundWindow(); }
    static HWND GetDesktopWindow() { return ::GetDesktopWindow(); }

    // Registers (once) a window class whose procedure feeds CWnd objects. hIconSm is
    // the caption's small icon; without one the system shrinks hIcon.
    static const wchar_t* RegisterClassOnce(const wchar_t* name, UINT style, HICON hIcon, HBRUSH hBackground,
                                            HICON hIconSm = nullptr);

protected:
    void Attach(HWND hWnd);
    void Detach();
    static LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    static INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);
    friend class CDialog;
    friend class CDialogBar;

private:
    // The message this window is handling now, for Default().
    struct CurrentMsg { UINT msg; WPARAM wParam; LPARAM lParam; };
    CurrentMsg m_current{};
};

template <auto F> LRESULT afx::EraseThunk(CCmdTarget* self, const MsgArgs& a) {
    static_assert(Is<F, BOOL(CDC*)>, "OnEraseBkgnd must be BOOL OnEraseBkgnd(CDC*)");
    CBorrowedDC dc((HDC)a.wParam);
    return (AFX_SELF(F)->*F)(&dc);
}
