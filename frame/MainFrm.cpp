#include "MainFrm.h"
#include <commctrl.h>
#include <cstdlib>
#include "../framework/dpi.h"
#include "../res/resource.h"
#include "../view/ZarpView.h"
#include "zoombar_layout.h"

IMPLEMENT_DYNCREATE(CMainFrame)

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_TIMER()
    ON_WM_DPICHANGED()
    ON_COMMAND(ID_HELP_FINDER, &CWnd::OnHelpFinder)
    ON_COMMAND(ID_HELP, &CFrameWnd::OnHelp)
    ON_COMMAND(ID_CONTEXT_HELP, &CFrameWnd::OnContextHelp)
    ON_COMMAND(ID_DEFAULT_HELP, &CWnd::OnHelpFinder)
END_MESSAGE_MAP()

BOOL CMainFrame::PreCreateWindow(CREATESTRUCT& cs) {
    // Keep the title "Zarp" without a document name.
    cs.style &= ~(LONG)FWS_ADDTOTITLE;
    return CFrameWnd::PreCreateWindow(cs);
}

int CMainFrame::OnCreate(LPCREATESTRUCT lpcs) {
    if (CFrameWnd::OnCreate(lpcs) == -1) return -1;
    if (!m_wndToolBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_TOP, AFX_IDW_TOOLBAR) ||
        !m_wndToolBar.LoadToolBar(IDR_MAINFRAME))
        return -1;
    // Pictures drawn for 150 % and 200 % screens; the 16-colour strip serves below.
    m_wndToolBar.SetSizedBitmaps({{IDB_TOOLBAR_24, 24, 24}, {IDB_TOOLBAR_32, 32, 32}});
    m_wndToolBar.ApplyDpi(afx::WindowDpi(m_hWnd));
    m_wndToolBar.SetBarStyle(m_wndToolBar.GetBarStyle() | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC);
    m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
    EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_wndToolBar);
    // Without the zoom bar there is no way to set the zoom: fail like the tool bar.
    if (!m_wndZoomBar.Create(this, IDD_ZOOMBAR, CBRS_RIGHT | CBRS_TOOLTIPS | CBRS_FLYBY, IDD_ZOOMBAR)) return -1;
    m_wndZoomBar.EnableDocking(CBRS_ALIGN_ANY);
    RecalcLayout();
    SetTimer(1, 100);
    return 0;
}

// Gives the slider the height from its top down to its bottom margin: at 96 DPI the
// frame's client height less 100 pixels (never negative), at other DPIs the same
// bottom margin below a top that has grown with the dialog units.
void CMainFrame::ResizeSlider(int cx) {
    HWND hSlider = m_wndZoomBar.GetDlgItem(IDC_ZOOM_SLIDER);
    if (!hSlider) return;
    CRect client = GetClientRect();
    CRect slider;
    ::GetWindowRect(hSlider, &slider);
    POINT top{slider.left, slider.top};
    ::ScreenToClient(m_hWnd, &top);
    const int cy = zarp::SliderHeight(client.Height(), top.y, m_wndZoomBar.GetDpi());
    ::SetWindowPos(hSlider, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_SHOWWINDOW);
}

void CMainFrame::InitZoomBar() {
    HWND hSlider = m_wndZoomBar.GetDlgItem(IDC_ZOOM_SLIDER);
    if (!hSlider) return;
    CRect rcSlider;
    ::GetWindowRect(hSlider, &rcSlider);
    ResizeSlider(rcSlider.Width());
    ::SendMessageW(hSlider, TBM_SETRANGEMIN, FALSE, 10);
    ::SendMessageW(hSlider, TBM_SETRANGEMAX, FALSE, 200);
    ::SendMessageW(hSlider, TBM_SETPOS, TRUE, 100);
    SetEditMargins();
    m_bZoomBarReady = TRUE;
}

// The box is narrow: without its default margins three digits fit beside the caret.
// A new font brings the margins back, so this follows every font change.
void CMainFrame::SetEditMargins() {
    if (HWND hEdit = m_wndZoomBar.GetDlgItem(IDC_ZOOM_EDIT))
        ::SendMessageW(hEdit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(0, 0));
}

// Windows suggests a rectangle that keeps the frame's size in the new DPI's terms; the
// bars take fonts, pictures and places for that DPI, and the slider is sized again
// from its new top, whether or not the frame's size changes.
void CMainFrame::OnDpiChanged(UINT, UINT nDpiY, LPRECT pSuggested) {
    const int dpi = (int)nDpiY;
    if (dpi <= 0) return;
    m_wndZoomBar.ApplyDpi(dpi);
    SetEditMargins();
    m_wndToolBar.ApplyDpi(dpi);
    SetIconsForDpi(dpi);
    if (pSuggested)
        ::SetWindowPos(m_hWnd, nullptr, pSuggested->left, pSuggested->top, pSuggested->right - pSuggested->left,
                       pSuggested->bottom - pSuggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    RecalcLayout();
    if (m_bZoomBarReady) ResizeSlider(m_wndZoomBar.GetWindowRect().Width());
}

void CMainFrame::OnSize(UINT nType, int cx, int cy) {
    CFrameWnd::OnSize(nType, cx, cy);
    if (!m_bZoomBarReady) return;
    ResizeSlider(m_wndZoomBar.GetWindowRect().Width());
}

void CMainFrame::OnTimer(UINT_PTR) {
    HWND hSlider = m_wndZoomBar.GetDlgItem(IDC_ZOOM_SLIDER);
    if (!hSlider) return;
    int pos = (int)::SendMessageW(hSlider, TBM_GETPOS, 0, 0);
    if (pos == m_nSliderPos) return;
    m_nSliderPos = pos;
    ShowZoomText(pos);
    // The view's poll shows the new zoom within its next tick.
    if (auto* pView = dynamic_cast<CZarpView*>(GetActiveView())) {
        pView->m_nZoom = pos;
        pView->StartPoll();
    }
}

void CMainFrame::SetZoomPosition(int pos) {
    if (HWND hSlider = m_wndZoomBar.GetDlgItem(IDC_ZOOM_SLIDER)) ::SendMessageW(hSlider, TBM_SETPOS, TRUE, pos);
    m_nSliderPos = pos;
    ShowZoomText(pos);
}

void CMainFrame::ShowZoomText(int pos) {
    wchar_t text[16];
    _itow(pos, text, 10);
    // The box then holds exactly the new number. Setting the whole text (rather than
    // replacing a selection) also works when the narrow multi-line box would refuse
    // an insertion that does not fit its line.
    HWND hEdit = m_wndZoomBar.GetDlgItem(IDC_ZOOM_EDIT);
    if (!hEdit) return;
    ::SetWindowTextW(hEdit, text);
    const int len = (int)wcslen(text);
    ::SendMessageW(hEdit, EM_SETSEL, len, len);
    ::SendMessageW(hEdit, EM_SCROLLCARET, 0, 0);
}
