// The main frame: tool bar on top, zoom bar on the right, and the 100 ms timer that
// copies the zoom slider's position into the percent box and the view.
#pragma once
#include "../framework/afxwin.h"

class CMainFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CMainFrame)
    DECLARE_MESSAGE_MAP()
public:
    CMainFrame() = default;
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    void InitZoomBar();
    // Puts the slider and the percent box at pos without telling the view (which
    // already stands there): used when a zoom could not be shown.
    void SetZoomPosition(int pos);

    int OnCreate(LPCREATESTRUCT lpcs);
    void OnSize(UINT nType, int cx, int cy);
    void OnTimer(UINT_PTR nIDEvent);
    // Moved to a screen of another DPI: bars, fonts and pictures for the new DPI.
    void OnDpiChanged(UINT nDpiX, UINT nDpiY, LPRECT pSuggested);

    BOOL m_bZoomBarReady = FALSE;
    int m_nSliderPos = 0;
    CToolBar m_wndToolBar;
    CDialogBar m_wndZoomBar;

private:
    void ResizeSlider(int cx);
    void SetEditMargins();
    void ShowZoomText(int pos);
};
