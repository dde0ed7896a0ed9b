// The application object: registers the document template and handles About.
#pragma once
#include "../framework/afxwin.h"

class CZarpApp : public CWinApp {
    DECLARE_MESSAGE_MAP()
public:
    CZarpApp() : CWinApp(nullptr) {}
    BOOL InitInstance() override;
    void OnAppAbout();
};
