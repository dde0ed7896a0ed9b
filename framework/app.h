// The application object: start-up, the message loop with accelerators and idle
// update, the command line, the standard profile with its recent-file list.
#pragma once
#include <windows.h>
#include <memory>
#include <vector>
#include "cmdtarget.h"
#include "cstring.h"

class CWnd;
class CDocTemplate;
class CDocument;

class CCommandLineInfo {
public:
    enum Shell { FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, FileNothing };
    virtual ~CCommandLineInfo() = default;
    // Takes one argument: bFlag when it began with '/' or '-' (which is then removed).
    virtual void ParseParam(const wchar_t* param, bool bFlag, bool bLast);

    Shell m_nShellCommand = FileNew;
    CString m_strFileName, m_strPrinterName, m_strDriverName, m_strPortName;
    bool m_bRunEmbedded = false, m_bRunAutomated = false;

private:
    int m_nPrintToArgs = 0;
};

class CWinApp : public CCmdTarget {
    DECLARE_MESSAGE_MAP()
public:
    explicit CWinApp(const wchar_t* appName = nullptr);
    ~CWinApp() override;

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    CString m_strAppName;       // from string 0xE000 when none was given
    CString m_strProfilePath;   // the per-user profile file
    CString m_strHelpFilePath;  // the program's help page: help.html beside the program

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance();
    virtual int Run();
    virtual BOOL OnIdle(LONG lCount);
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    bool OnCmdMsg(UINT nID, int nCode, CCmdUI* pCmdUI) override;

    // Sets up the framework state that InitInstance relies on.
    void InitApplication(HINSTANCE hInst, int nCmdShow);

    BOOL Enable3dControls() { return TRUE; }  // the platform draws 3-D controls itself
    void LoadStdProfileSettings(UINT nMaxMRU = 4);
    void SaveStdProfileSettings();
    void AddDocTemplate(CDocTemplate* pTemplate);
    void ParseCommandLine(CCommandLineInfo& info);
    void ParseCommandLine(CCommandLineInfo& info, const wchar_t* cmdLine);
    BOOL ProcessShellCommand(CCommandLineInfo& info);
    virtual CDocument* OpenDocumentFile(const wchar_t* path);
    void AddToRecentFileList(const wchar_t* path);
    const std::vector<CString>& RecentFiles() const { return m_recent; }
    void OpenHelpFile();

    CString GetProfileString(const wchar_t* section, const wchar_t* entry, const wchar_t* def = L"") const;
    bool WriteProfileString(const wchar_t* section, const wchar_t* entry, const wchar_t* value) const;

    // Framework default handlers, public so message maps may name them.
    void OnFileNew();
    void OnFileOpen();
    void OnFilePrintSetup();
    void OnAppExit();

private:
    std::vector<std::unique_ptr<CDocTemplate>> m_templates;
    std::vector<CString> m_recent;
    UINT m_nMaxMRU = 0;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
// A message box owned by the main window with the application's title as caption.
int AfxMessageBox(const wchar_t* text, UINT type = MB_OK, UINT helpId = 0);
// Shows the HTML page at path (a full path) through the shell's default action for its
// type, handed the path itself. A page that is missing, no regular file or a program,
// a path too long for the shell, or no program to show it is said in a box; false then.
bool AfxShowPage(const wchar_t* path);
// The framework's entry: runs the one application object.
int AfxWinMain(HINSTANCE hInst, const wchar_t* cmdLine, int nCmdShow);
