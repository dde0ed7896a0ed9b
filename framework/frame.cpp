#include "frame.h"
#include <commctrl.h>
#include "busy.h"
#include "ids.h"
#include "view.h"

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_CLOSE()
    ON_WM_QUERYENDSESSION()
    ON_WM_ENDSESSION()
    ON_WM_HELPINFO()
    ON_WM_SETFOCUS()
    ON_WM_INITMENUPOPUP()
    ON_MESSAGE(WM_NOTIFY, &CFrameWnd::OnNotifyMsg)
END_MESSAGE_MAP()

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCT& cs) {
    if (!cs.lpszClass) {
        HINSTANCE hRes = AfxGetResourceHandle();
        HICON hIcon = ::LoadIconW(hRes, MAKEINTRESOURCEW(m_nIDResource));
        // The caption and the task switcher show the small icon: pick the image drawn
        // for that size rather than letting the system shrink the large one. Shared
        // icons live as long as the program.
        HICON hIconSm = static_cast<HICON>(::LoadImageW(hRes, MAKEINTRESOURCEW(m_nIDResource), IMAGE_ICON,
                                                        ::GetSystemMetrics(SM_CXSMICON),
                                                        ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
        cs.lpszClass = RegisterClassOnce(L"ZfwFrame", CS_DBLCLKS, hIcon, nullptr, hIconSm);
    }
    return TRUE;
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwStyle, CWnd* pParent, CCreateContext* pContext) {
    m_nIDResource = nIDResource;
    CString docString = CString::Load(nIDResource);
    int nl = docString.Find(L'\n');
    m_strTitle = nl < 0 ? docString : docString.Left(nl);
    if (m_strTitle.IsEmpty() && AfxGetApp()) m_strTitle = AfxGetApp()->m_strAppName;

    CMenu menu;
    menu.LoadMenu(nIDResource);
    m_hAccel = ::LoadAcceleratorsW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nIDResource));

    CREATESTRUCT cs{};
    cs.style = dwStyle;
    cs.x = cs.y = cs.cx = cs.cy = CW_USEDEFAULT;
    cs.hwndParent = pParent ? pParent->m_hWnd : nullptr;
    cs.hMenu = menu;
    cs.lpszName = m_strTitle;
    cs.lpCreateParams = pContext;
    cs.hInstance = AfxGetInstanceHandle();
    if (!PreCreateWindow(cs)) return FALSE;
    m_bAddToTitle = (cs.style & FWS_ADDTOTITLE) != 0;
    DWORD style = cs.style & ~(DWORD)FWS_ADDTOTITLE;

    // A frame whose creation fails has deleted itself by the time CreateEx returns.
    HMENU hMenu = menu.Detach();
    bool created = CreateEx(cs.dwExStyle, cs.lpszClass, cs.lpszName, style, cs.x, cs.y, cs.cx, cs.cy,
                            cs.hwndParent, hMenu, cs.lpCreateParams);
    if (!created) {
        ::DestroyMenu(hMenu);
        return FALSE;
    }
    return TRUE;
}

int CFrameWnd::OnCreate(LPCREATESTRUCT lpcs) {
    auto* pContext = static_cast<CCreateContext*>(lpcs->lpCreateParams);
    if (!OnCreateClient(lpcs, pContext)) return -1;
    return 0;
}

bool CFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) {
    if (!pContext || !pContext->m_pNewViewClass) return true;
    auto* pView = dynamic_cast<CView*>(pContext->m_pNewViewClass->CreateObject());
    if (!pView) return false;
    return pView->Create(this, AFX_IDW_PANE_FIRST, pContext);
}

CDocument* CFrameWnd::GetActiveDocument() const {
    return m_pActiveView ? m_pActiveView->GetDocument() : nullptr;
}

void CFrameWnd::InitialUpdateFrame(CDocument* pDoc, bool bMakeVisible) {
    if (!m_pActiveView) {
        auto* pView = dynamic_cast<CView*>(CWnd::FromHandlePermanent(GetDlgItem(AFX_IDW_PANE_FIRST)));
        SetActiveView(pView);
    }
    if (m_pActiveView) m_pActiveView->OnInitialUpdate();
    (void)pDoc;
    UpdateFrameTitle();
    if (bMakeVisible) {
        CWinApp* app = AfxGetApp();
        ShowWindow(app && app->m_pMainWnd == this ? app->m_nCmdShow : SW_SHOWNORMAL);
        UpdateWindow();
    }
    // The keyboard starts in the view, not in whichever bar control took the focus
    // when its dialog was made.
    HWND hFocus = ::GetFocus();
    if (m_pActiveView && m_pActiveView->m_hWnd && (!hFocus || ::IsChild(m_hWnd, hFocus)))
        ::SetFocus(m_pActiveView->m_hWnd);
}

void CFrameWnd::UpdateFrameTitle() {
    CString title = m_strTitle;
    CDocument* pDoc = GetActiveDocument();
    if (m_bAddToTitle && pDoc) {
        CString path = pDoc->GetPathName();
        int slash = path.GetLength() - 1;
        while (slash >= 0 && path[slash] != L'\\' && path[slash] != L'/') --slash;
        CString docName = path.IsEmpty() ? CString(L"無題") : path.Mid(slash + 1);
        title = docName + L" - " + m_strTitle;
    }
    ::SetWindowTextW(m_hWnd, title);
}

void CFrameWnd::RecalcLayout() {
    if (!m_hWnd) return;
    CRect client = GetClientRect();
    for (CControlBar* pBar : m_bars) {
        if (!pBar->m_hWnd || !pBar->IsWindowVisible()) continue;
        CSize size = pBar->CalcFixedLayout();
        DWORD align = pBar->GetBarStyle() & CBRS_ALIGN_ANY;
        CRect r = client;
        if (align & CBRS_ALIGN_TOP) {
            r.bottom = r.top + size.cy;
            client.top = r.bottom;
        } else if (align & CBRS_ALIGN_BOTTOM) {
            r.top = r.bottom - size.cy;
            client.bottom = r.top;
        } else if (align & CBRS_ALIGN_LEFT) {
            r.right = r.left + size.cx;
            client.left = r.right;
        } else {
            r.left = r.right - size.cx;
            client.right = r.left;
        }
        ::MoveWindow(pBar->m_hWnd, r.left, r.top, r.Width() > 0 ? r.Width() : 0, r.Height() > 0 ? r.Height() : 0,
                     TRUE);
    }
    HWND hView = GetDlgItem(AFX_IDW_PANE_FIRST);
    if (hView)
        ::MoveWindow(hView, client.left, client.top, client.Width() > 0 ? client.Width() : 0,
                     client.Height() > 0 ? client.Height() : 0, TRUE);
}

void CFrameWnd::OnSize(UINT nType, int, int) {
    if (nType != SIZE_MINIMIZED) RecalcLayout();
}

void CFrameWnd::OnClose() {
    // Work under way beside the window (a save) ends first; the frame closes after it.
    if (afx::CBusyJob* job = afx::CBusyJob::Running()) {
        job->CloseOwnerWhenDone();
        return;
    }
    CDocument* pDoc = GetActiveDocument();
    if (pDoc && !pDoc->SaveModified()) return;
    DestroyWindow();
}

void CFrameWnd::OnSetFocus(HWND) {
    if (m_pActiveView && m_pActiveView->m_hWnd) ::SetFocus(m_pActiveView->m_hWnd);
}

void CFrameWnd::PostNcDestroy() {
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
        ::PostQuitMessage(0);
    }
    delete this;
}

bool CFrameWnd::OnCmdMsg(UINT nID, int nCode, CCmdUI* pCmdUI) {
    // Route: the active view (which asks its document), then the frame, then the application.
    if (m_pActiveView && m_pActiveView->OnCmdMsg(nID, nCode, pCmdUI)) return true;
    if (CWnd::OnCmdMsg(nID, nCode, pCmdUI)) return true;
    CWinApp* app = AfxGetApp();
    return app && app->OnCmdMsg(nID, nCode, pCmdUI);
}

void CFrameWnd::OnIdleUpdateCmdUI() {
    for (CControlBar* pBar : m_bars)
        if (pBar->m_hWnd && pBar->IsWindowVisible()) pBar->OnUpdateCmdUI(this, true);
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST || !m_hWnd ||
        (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd)))
        return FALSE;
    if (m_hAccel && ::TranslateAcceleratorW(m_hWnd, m_hAccel, pMsg)) return TRUE;
    return pMsg->message == WM_KEYDOWN && MoveFocus((UINT)pMsg->wParam);
}

bool CFrameWnd::MoveFocus(UINT key) {
    if ((key != VK_TAB && key != VK_F6) || ::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0)
        return false;
    const bool back = ::GetKeyState(VK_SHIFT) < 0;
    // The stops in order, each with its pane: 0 the view, then one per bar with stops.
    struct Stop {
        HWND hWnd;
        int pane;
    };
    std::vector<Stop> stops;
    if (m_pActiveView && m_pActiveView->m_hWnd && ::IsWindowVisible(m_pActiveView->m_hWnd))
        stops.push_back({m_pActiveView->m_hWnd, 0});
    int panes = 1;
    for (CControlBar* pBar : m_bars) {
        if (!pBar->m_hWnd || !pBar->IsWindowVisible()) continue;
        const size_t before = stops.size();
        for (HWND h = ::GetWindow(pBar->m_hWnd, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
            const DWORD style = (DWORD)::GetWindowLongPtrW(h, GWL_STYLE);
            if ((style & (WS_TABSTOP | WS_VISIBLE | WS_DISABLED)) == (WS_TABSTOP | WS_VISIBLE))
                stops.push_back({h, panes});
        }
        if (stops.size() > before) ++panes;
    }
    const int n = (int)stops.size();
    if (n == 0) return false;
    const HWND hFocus = ::GetFocus();
    int current = -1;
    for (int i = 0; i < n; ++i)
        if (stops[i].hWnd == hFocus || ::IsChild(stops[i].hWnd, hFocus)) current = i;
    int next = 0;
    if (key == VK_TAB) {
        next = current < 0 ? (back ? n - 1 : 0) : (current + (back ? n - 1 : 1)) % n;
    } else {
        const int pane = current < 0 ? (back ? panes - 1 : 0)
                                     : (stops[current].pane + (back ? panes - 1 : 1)) % panes;
        while (next < n - 1 && stops[next].pane != pane) ++next;
    }
    const HWND hNext = stops[next].hWnd;
    ::SetFocus(hNext);
    // As in a dialog: an edit box reached by the keyboard has its text selected.
    if (::SendMessageW(hNext, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) ::SendMessageW(hNext, EM_SETSEL, 0, -1);
    return true;
}

void CFrameWnd::OnInitMenuPopup(HMENU hPopup, UINT, BOOL bSysMenu) {
    if (bSysMenu) return;
    const int n = ::GetMenuItemCount(hPopup);
    for (int i = 0; i < n; ++i) {
        UINT id = ::GetMenuItemID(hPopup, i);
        if (id == 0 || id == (UINT)-1) continue;  // separator or submenu
        CMenuCmdUI ui(hPopup, (UINT)i, id);
        ui.DoUpdate(this, true);
    }
}

LRESULT CFrameWnd::OnNotifyMsg(WPARAM, LPARAM lParam) {
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (hdr->code != TTN_GETDISPINFOW) return Default();
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
    UINT_PTR id = hdr->idFrom;
    if (info->uFlags & TTF_IDISHWND) id = (UINT_PTR)::GetDlgCtrlID((HWND)id);
    CString tip = AfxToolTipText((UINT)id);
    lstrcpynW(m_tipBuffer, tip, (int)std::size(m_tipBuffer));
    info->lpszText = m_tipBuffer;
    info->hinst = nullptr;
    return 0;
}

void CFrameWnd::OnHelp() { OnHelpFinder(); }

BOOL CFrameWnd::OnHelpInfo(HELPINFO*) {
    // One key press, one page: some systems send F1 in an open menu twice, for the item
    // and for the window; a second request within 300 ms is that same press.
    static ULONGLONG s_last = 0;
    const ULONGLONG now = ::GetTickCount64();
    if (s_last && now - s_last < 300) return TRUE;
    s_last = now;
    // As the menu item would: through the routing, so that its update handler decides.
    if (IsCommandEnabled(ID_HELP_FINDER)) ::SendMessageW(m_hWnd, WM_COMMAND, ID_HELP_FINDER, 0);
    return TRUE;
}
void CFrameWnd::OnContextHelp() { OnHelpFinder(); }

void CFrameWnd::SetIconsForDpi(int dpi) {
    if (dpi <= 0) dpi = 96;
    HINSTANCE hRes = AfxGetResourceHandle();
    const auto load = [&](int size) {
        const int px = ::MulDiv(size, dpi, 96);
        return static_cast<HICON>(::LoadImageW(hRes, MAKEINTRESOURCEW(m_nIDResource), IMAGE_ICON, px, px, 0));
    };
    HICON small = load(16), big = load(32);
    if (small) ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, (LPARAM)small);
    if (big) ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, (LPARAM)big);
    // The window now shows the new ones: the old ones can go.
    if (small) m_iconSmall.Reset(small);
    if (big) m_iconBig.Reset(big);
}

namespace {
// Every window of the thread that a modal loop runs for besides the frame: the save
// dialog, a dialog of the program's, a message box.
BOOL CALLBACK CancelModal(HWND hWnd, LPARAM frame) {
    if (hWnd != (HWND)frame && ::IsWindowVisible(hWnd) && ::IsWindowEnabled(hWnd) &&
        ::GetWindow(hWnd, GW_OWNER) == (HWND)frame)
        ::PostMessageW(hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return TRUE;
}
}  // namespace

// Nothing here asks to be saved; a save under way asks the session to wait (its reason
// was given when it began).
BOOL CFrameWnd::OnQueryEndSession() { return afx::CBusyJob::Running() ? FALSE : TRUE; }

void CFrameWnd::OnEndSession(BOOL bEnding) {
    if (!bEnding) return;  // another program kept the session: everything stays as it is
    // Work under way stops before it changes anything more: a save is cancelled and no
    // rename starts after this, so the old file stays whole.
    if (afx::CBusyJob* job = afx::CBusyJob::Running()) job->CancelAndWait();
    // The session ends: an open dialog or box ends as the user's Cancel would, and what
    // a normal exit writes is written now, as the process ends once this returns.
    if (!::IsWindowEnabled(m_hWnd)) ::EnumThreadWindows(::GetCurrentThreadId(), &CancelModal, (LPARAM)m_hWnd);
    if (AfxGetMainWnd() == this && AfxGetApp()) AfxGetApp()->SaveStdProfileSettings();
}
