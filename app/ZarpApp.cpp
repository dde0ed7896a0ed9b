#include "ZarpApp.h"
#include "../frame/MainFrm.h"
#include "../res/resource.h"
#include "../view/ZarpView.h"
#include "AboutDlg.h"
#include "ZarpDoc.h"

BEGIN_MESSAGE_MAP(CZarpApp, CWinApp)
    ON_COMMAND(ID_APP_ABOUT, &CZarpApp::OnAppAbout)
    ON_COMMAND(ID_FILE_NEW, &CWinApp::OnFileNew)
    ON_COMMAND(ID_FILE_OPEN, &CWinApp::OnFileOpen)
    ON_COMMAND(ID_FILE_PRINT_SETUP, &CWinApp::OnFilePrintSetup)
END_MESSAGE_MAP()

BOOL CZarpApp::InitInstance() {
    Enable3dControls();
    LoadStdProfileSettings(4);
    AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(CZarpDoc), RUNTIME_CLASS(CMainFrame),
                                          RUNTIME_CLASS(CZarpView)));
    CCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);
    return ProcessShellCommand(cmdInfo) ? TRUE : FALSE;
}

void CZarpApp::OnAppAbout() {
    CAboutDlg dlg;
    dlg.DoModal();
}
