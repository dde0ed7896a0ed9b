#include "app.h"
#include <commctrl.h>
#include <shellapi.h>
#include <string>
#include "doc.h"
#include "frame.h"
#include "handle.h"
#include "ids.h"

namespace {
CWinApp* g_pApp = nullptr;
}

CWinApp* AfxGetApp() { return g_pApp; }
CWnd* AfxGetMainWnd() { return g_pApp ? g_pApp->m_pMainWnd : nullptr; }
HINSTANCE AfxGetInstanceHandle() {
    return g_pApp && g_pApp->m_hInstance ? g_pApp->m_hInstance : ::GetModuleHandleW(nullptr);
}
HINSTANCE AfxGetResourceHandle() { return AfxGetInstanceHandle(); }

int AfxMessageBox(const wchar_t* text, UINT type, UINT) {
    CWnd* pMain = AfxGetMainWnd();
    HWND owner = pMain ? pMain->m_hWnd : nullptr;
    CString caption = g_pApp ? g_pApp->m_strAppName : CString();
    return ::MessageBoxW(owner, text, caption, type);
}

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
    ON_COMMAND(ID_APP_EXIT, &CWinApp::OnAppExit)
END_MESSAGE_MAP()

CWinApp::CWinApp(const wchar_t* appName) {
    if (appName) m_strAppName = appName;
    g_pApp = this;
}

CWinApp::~CWinApp() {
    m_templates.clear();
    if (g_pApp == this) g_pApp = nullptr;
}

void CWinApp::InitApplication(HINSTANCE hInst, int nCmdShow) {
    m_hInstance = hInst;
    m_nCmdShow = nCmdShow;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    if (m_strAppName.IsEmpty()) m_strAppName.LoadString(AFX_IDS_APP_TITLE);

    wchar_t module[MAX_PATH * 4];
    DWORD n = ::GetModuleFileNameW(hInst, module, (DWORD)std::size(module));
    CString modulePath(module, (int)n);
    int dot = -1;
    for (int i = modulePath.GetLength() - 1; i >= 0 && modulePath[i] != L'\\' && modulePath[i] != L'/'; --i)
        if (modulePath[i] == L'.') { dot = i; break; }
    CString base = dot >= 0 ? modulePath.Left(dot) : modulePath;
    // The program's help: the HTML page beside it.
    int sep = base.GetLength() - 1;
    while (sep >= 0 && base[sep] != L'\\' && base[sep] != L'/') --sep;
    m_strHelpFilePath = base.Left(sep + 1) + L"help.html";

    // The standard profile lives in a per-user file named after the program.
    int slash = base.GetLength() - 1;
    while (slash >= 0 && base[slash] != L'\\' && base[slash] != L'/') --slash;
    CString exeName = base.Mid(slash + 1);
    wchar_t appData[MAX_PATH * 4];
    DWORD len = ::GetEnvironmentVariableW(L"APPDATA", appData, (DWORD)std::size(appData));
    if (len > 0 && len < std::size(appData))
        m_strProfilePath = CString(appData) + L"\\" + exeName + L".ini";
    else
        m_strProfilePath = base + L".ini";
}

CString CWinApp::GetProfileString(const wchar_t* section, const wchar_t* entry, const wchar_t* def) const {
    wchar_t buf[4096];
    DWORD n = ::GetPrivateProfileStringW(section, entry, def, buf, (DWORD)std::size(buf), m_strProfilePath);
    return CString(buf, (int)n);
}

bool CWinApp::WriteProfileString(const wchar_t* section, const wchar_t* entry, const wchar_t* value) const {
    return ::WritePrivateProfileStringW(section, entry, value, m_strProfilePath) != FALSE;
}

static const wchar_t kRecentSection[] = L"Recent File List";

void CWinApp::LoadStdProfileSettings(UINT nMaxMRU) {
    m_nMaxMRU = nMaxMRU;
    m_recent.clear();
    for (UINT i = 1; i <= nMaxMRU; ++i) {
        wchar_t key[16];
        wsprintfW(key, L"File%u", i);
        CString path = GetProfileString(kRecentSection, key);
        if (!path.IsEmpty()) m_recent.push_back(path);
    }
}

void CWinApp::SaveStdProfileSettings() {
    if (m_nMaxMRU == 0) return;
    for (UINT i = 1; i <= m_nMaxMRU; ++i) {
        wchar_t key[16];
        wsprintfW(key, L"File%u", i);
        const wchar_t* value = i <= m_recent.size() ? (const wchar_t*)m_recent[i - 1] : nullptr;
        WriteProfileString(kRecentSection, key, value);
    }
}

void CWinApp::AddToRecentFileList(const wchar_t* path) {
    if (m_nMaxMRU == 0 || !path || !*path) return;
    CString p(path);
    for (size_t i = 0; i < m_recent.size(); ++i)
        if (::lstrcmpiW(m_recent[i], p) == 0) { m_recent.erase(m_recent.begin() + i); break; }
    m_recent.insert(m_recent.begin(), p);
    if (m_recent.size() > m_nMaxMRU) m_recent.resize(m_nMaxMRU);
}

int CWinApp::ExitInstance() {
    SaveStdProfileSettings();
    return 0;
}

void CWinApp::AddDocTemplate(CDocTemplate* pTemplate) { m_templates.emplace_back(pTemplate); }

void CCommandLineInfo::ParseParam(const wchar_t* param, bool bFlag, bool) {
    if (bFlag) {
        if (!lstrcmpiW(param, L"p")) m_nShellCommand = FilePrint;
        else if (!lstrcmpiW(param, L"pt")) { m_nShellCommand = FilePrintTo; m_nPrintToArgs = 0; }
        else if (!lstrcmpiW(param, L"dde")) m_nShellCommand = FileDDE;
        else if (!lstrcmpiW(param, L"Embedding")) { m_bRunEmbedded = true; m_nShellCommand = FileNothing; }
        else if (!lstrcmpiW(param, L"Automation")) { m_bRunAutomated = true; m_nShellCommand = FileNothing; }
        return;
    }
    if (m_nShellCommand == FilePrintTo && !m_strFileName.IsEmpty()) {
        // After the file name: printer, driver, port.
        CString* fields[] = {&m_strPrinterName, &m_strDriverName, &m_strPortName};
        if (m_nPrintToArgs < 3) *fields[m_nPrintToArgs++] = param;
        return;
    }
    if (m_strFileName.IsEmpty()) {
        m_strFileName = param;
        if (m_nShellCommand == FileNew) m_nShellCommand = FileOpen;
    }
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info) { ParseCommandLine(info, ::GetCommandLineW()); }

void CWinApp::ParseCommandLine(CCommandLineInfo& info, const wchar_t* cmdLine) {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(cmdLine, &argc);
    if (!argv) return;
    for (int i = 1; i < argc; ++i) {
        const wchar_t* p = argv[i];
        bool flag = (*p == L'/' || *p == L'-') && p[1] != 0;
        info.ParseParam(flag ? p + 1 : p, flag, i == argc - 1);
    }
    ::LocalFree(argv);
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& info) {
    switch (info.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
    case CCommandLineInfo::FileDDE:  // no DDE server here: start as with no arguments
        if (!OnCmdMsg(ID_FILE_NEW, CN_COMMAND, nullptr)) OnFileNew();
        return m_pMainWnd != nullptr;
    case CCommandLineInfo::FileOpen:
        return OpenDocumentFile(info.m_strFileName) != nullptr;
    case CCommandLineInfo::FilePrint:
    case CCommandLineInfo::FilePrintTo:
        // Open, print without asking, and end.
        if (!OpenDocumentFile(info.m_strFileName)) return FALSE;
        if (m_pMainWnd) m_pMainWnd->SendMessage(WM_COMMAND, ID_FILE_PRINT_DIRECT);
        return FALSE;
    case CCommandLineInfo::FileNothing:
        return FALSE;  // nothing to serve: no automation here
    }
    return FALSE;
}

CDocument* CWinApp::OpenDocumentFile(const wchar_t* path) {
    if (m_templates.empty()) return nullptr;
    CDocument* pDoc = m_templates.front()->OpenDocumentFile(path, true);
    if (pDoc && path && *path) AddToRecentFileList(pDoc->GetPathName());
    return pDoc;
}

void CWinApp::OnFileNew() {
    if (!m_templates.empty()) m_templates.front()->OpenDocumentFile(nullptr, true);
}

void CWinApp::OnFileOpen() {
    wchar_t path[MAX_PATH * 4] = L"";
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
    ofn.lpstrFile = path;
    ofn.nMaxFile = (DWORD)std::size(path);
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (::GetOpenFileNameW(&ofn)) OpenDocumentFile(path);
}

void CWinApp::OnFilePrintSetup() {
    PRINTDLGW pd{};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
    pd.Flags = PD_PRINTSETUP;
    if (::PrintDlgW(&pd)) {
        if (pd.hDevMode) ::GlobalFree(pd.hDevMode);
        if (pd.hDevNames) ::GlobalFree(pd.hDevNames);
    }
}

void CWinApp::OnAppExit() {
    if (m_pMainWnd) m_pMainWnd->SendMessage(WM_CLOSE);
}

void CWinApp::OpenHelpFile() { AfxShowPage(m_strHelpFilePath); }

namespace {
// Whether the file begins as a program does ("MZ"): Wine's shell runs such a file
// whatever its name. A file that cannot be read is taken for a page.
bool IsProgram(HANDLE file) {
    CHandle h(::ReOpenFile(file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0));
    char head[2];
    DWORD n = 0;
    return h.IsValid() && ::ReadFile(h.Get(), head, 2, &n, nullptr) && n == 2 && head[0] == 'M' && head[1] == 'Z';
}
}  // namespace

bool AfxShowPage(const wchar_t* path) {
    const wchar_t* name = path;
    for (const wchar_t* p = path; *p; ++p)
        if (*p == L'\\' || *p == L'/') name = p + 1;
    const auto fail = [&](const wchar_t* why) {
        AfxMessageBox(CString(name) + why, MB_ICONEXCLAMATION | MB_OK);
        return false;
    };
    // A file on a disk, reached through a link or not; nothing else is shown.
    CHandle h(::CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h.IsValid()) {
        const DWORD err = ::GetLastError();
        return fail(err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND ? L" が見つかりません。"
                                                                              : L" はファイルではないため、開けません。");
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool file = ::GetFileType(h.Get()) == FILE_TYPE_DISK && ::GetFileInformationByHandle(h.Get(), &info) &&
                      !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
    const bool program = file && IsProgram(h.Get());
    h.Close();
    if (!file) return fail(L" はファイルではないため、開けません。");
    if (program) return fail(L" はプログラムのため、表示できません。");
    // The shell opens no file by a path of MAX_PATH characters or more.
    if (wcslen(path) >= MAX_PATH) return fail(L" は、パスが長すぎるため表示できません。");
    // The shell's default action for the page's type, as a double click in Explorer
    // would: the handler that the extension names, whether it is a command, a packaged
    // browser or a COM object (COM is set up at start). Our own box says what went wrong.
    SHELLEXECUTEINFOW sei{sizeof sei};
    sei.fMask = SEE_MASK_FLAG_NO_UI;
    sei.hwnd = AfxGetMainWnd() ? AfxGetMainWnd()->m_hWnd : nullptr;
    sei.lpFile = path;
    sei.nShow = SW_SHOWNORMAL;
    if (::ShellExecuteExW(&sei)) return true;
    const bool noProgram = ::GetLastError() == ERROR_NO_ASSOCIATION || (INT_PTR)sei.hInstApp == SE_ERR_NOASSOC;
    return fail(noProgram ? L" を表示できません。Web ページを表示するプログラムがありません。"
                          : L" を表示できません。Web ページを表示するプログラムを起動できません。");
}

bool CWinApp::OnCmdMsg(UINT nID, int nCode, CCmdUI* pCmdUI) { return CCmdTarget::OnCmdMsg(nID, nCode, pCmdUI); }

BOOL CWinApp::OnIdle(LONG lCount) {
    if (lCount == 0) {
        if (auto* pFrame = dynamic_cast<CFrameWnd*>(m_pMainWnd)) pFrame->OnIdleUpdateCmdUI();
    }
    return FALSE;
}

BOOL CWinApp::PreTranslateMessage(MSG* pMsg) {
    if (auto* pFrame = dynamic_cast<CFrameWnd*>(m_pMainWnd)) return pFrame->PreTranslateMessage(pMsg);
    return FALSE;
}

int CWinApp::Run() {
    MSG msg;
    bool sawOtherThanTimers = true;
    DWORD lastIdle = 0;
    for (;;) {
        // Each time the queue runs dry the idle pass updates the tool bar: at once after
        // input or any other message, and at most once a second while only timers tick.
        // What a timer changes on the screen repaints, which counts as another message;
        // polls that change nothing would otherwise keep it busy for nothing.
        if (sawOtherThanTimers || ::GetTickCount() - lastIdle >= 1000) {
            for (LONG n = 0; !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE) && OnIdle(n); ++n) {
            }
            sawOtherThanTimers = false;
            lastIdle = ::GetTickCount();
        }
        if (::GetMessageW(&msg, nullptr, 0, 0) <= 0) return ExitInstance();
        if (msg.message != WM_TIMER) sawOtherThanTimers = true;
        if (!PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

int AfxWinMain(HINSTANCE hInst, const wchar_t*, int nCmdShow) {
    CWinApp* app = AfxGetApp();
    if (!app) return -1;
    app->InitApplication(hInst, nCmdShow);
    if (!app->InitInstance()) {
        if (app->m_pMainWnd && app->m_pMainWnd->m_hWnd) ::DestroyWindow(app->m_pMainWnd->m_hWnd);
        return app->ExitInstance();
    }
    return app->Run();
}
