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

    int OnCreate(LPCREATESTRUCT lpcs);
    void OnSize(UINT nType, int cx, int cy);
    void OnTimer(UINT_PTR nIDEvent);

    BOOL m_bZoomBarReady = FALSE;
    int m_nSliderPos = 0;
    CToolBar m_wndToolBar;
    CDialogBar m_wndZoomBar;

private:
    void ResizeSlider(int cx);
};
