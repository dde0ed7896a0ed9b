// The main frame: menu, accelerators, icon and title from one resource id; the view
// as its client; control bars along its sides; command routing to the active view
// first; update handlers for menus on popup and for bars when idle.
#pragma once
#include "gdi.h"
#include <vector>
#include "bars.h"
#include "doc.h"
#include "menu.h"
#include "wnd.h"

class CView;

class CFrameWnd : public CWnd {
    DECLARE_MESSAGE_MAP()
public:
    virtual BOOL PreCreateWindow(CREATESTRUCT& cs);
    BOOL LoadFrame(UINT nIDResource, DWORD dwStyle, CWnd* pParent, CCreateContext* pContext);

    CView* GetActiveView() const { return m_pActiveView; }
    void SetActiveView(CView* pView) { m_pActiveView = pView; }
    CDocument* GetActiveDocument() const;
    // Makes the first view active, gives it its initial update and shows the frame.
    void InitialUpdateFrame(CDocument* pDoc, bool bMakeVisible);
    void RecalcLayout();
    void UpdateFrameTitle();

    // Bars stay on the side their style names: there is no docking to enable, and
    // docking a bar only lays the frame out again.
    void EnableDocking(DWORD) {}
    void DockControlBar(CControlBar*) { RecalcLayout(); }
    void AddControlBar(CControlBar* pBar) { m_bars.push_back(pBar); }

    // Idle pass: bring every bar's buttons up to date.
    void OnIdleUpdateCmdUI();
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    bool OnCmdMsg(UINT nID, int nCode, CCmdUI* pCmdUI) override;
    HMENU GetMenu() const { return ::GetMenu(m_hWnd); }

    int OnCreate(LPCREATESTRUCT lpcs);
    void OnSize(UINT nType, int cx, int cy);
    void OnClose();
    // The keyboard focus goes on to the active view (and so does the mouse wheel).
    void OnSetFocus(HWND hOld);
    void OnInitMenuPopup(HMENU hPopup, UINT index, BOOL bSysMenu);
    LRESULT OnNotifyMsg(WPARAM, LPARAM lParam);
    // Framework help commands.
    void OnHelp();
    void OnContextHelp();
    // F1 (WM_HELP, from whichever window has the focus): the help menu's first command.
    BOOL OnHelpInfo(HELPINFO* pInfo);
    // The caption's and the task switcher's icons from the frame's icon resource, in the
    // images drawn for their sizes at this DPI.
    void SetIconsForDpi(int dpi);
    // The session ends (log-off, shutdown): once every program has agreed, an open modal
    // dialog or box of the program ends as if cancelled, and the profile is written as a
    // normal exit writes it.
    BOOL OnQueryEndSession();
    void OnEndSession(BOOL bEnding);

protected:
    // Creates the view named by the create context as the frame's client.
    virtual bool OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext);
    // Keyboard focus between the view and the bars' controls: Tab and Shift+Tab step
    // through the view and every tab stop of the bars, F6 and Shift+F6 go to the view or
    // to the first tab stop of the next bar. True when the key was taken.
    bool MoveFocus(UINT key);
    void PostNcDestroy() override;

private:
    CView* m_pActiveView = nullptr;
    std::vector<CControlBar*> m_bars;
    HACCEL m_hAccel = nullptr;
    CString m_strTitle;
    bool m_bAddToTitle = false;
    UINT m_nIDResource = 0;
    wchar_t m_tipBuffer[256] = {};
    CIcon m_iconSmall, m_iconBig;
};
