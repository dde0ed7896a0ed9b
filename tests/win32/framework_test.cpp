// Framework services the program relies on: the command line, the recent-file list in
// the per-user profile, the document string, file errors and GDI ownership.
#include "../../framework/handles.h"
#include "support.h"

TEST(CommandLine, StandardFormsSetTheShellCommand) {
    struct Case {
        const wchar_t* line;
        CCommandLineInfo::Shell shell;
        const wchar_t* file;
    } cases[] = {
        {L"zarp.exe", CCommandLineInfo::FileNew, L""},
        {L"zarp.exe C:\\a.txt", CCommandLineInfo::FileOpen, L"C:\\a.txt"},
        {L"zarp.exe \"C:\\with space\\b.txt\"", CCommandLineInfo::FileOpen, L"C:\\with space\\b.txt"},
        {L"zarp.exe /p C:\\a.txt", CCommandLineInfo::FilePrint, L"C:\\a.txt"},
        {L"zarp.exe /pt C:\\a.txt prn drv port", CCommandLineInfo::FilePrintTo, L"C:\\a.txt"},
        {L"zarp.exe /dde", CCommandLineInfo::FileDDE, L""},
        {L"zarp.exe -Embedding", CCommandLineInfo::FileNothing, L""},
    };
    for (const Case& c : cases) {
        CCommandLineInfo info;
        AfxGetApp()->ParseCommandLine(info, c.line);
        EXPECT_EQ(info.m_nShellCommand, c.shell) << c.line;
        EXPECT_EQ(info.m_strFileName, CString(c.file)) << c.line;
    }
    CCommandLineInfo printTo;
    AfxGetApp()->ParseCommandLine(printTo, L"zarp.exe /pt C:\\a.txt prn drv port");
    EXPECT_EQ(printTo.m_strPrinterName, CString(L"prn"));
    EXPECT_EQ(printTo.m_strPortName, CString(L"port"));
}

TEST(Profile, RecentFilesKeepFourNewestFirstAndSurviveARestart) {
    CWinApp* app = AfxGetApp();
    const CString saved = app->m_strProfilePath;
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    app->m_strProfilePath = CString(temp) + L"zarp-profile-test.ini";
    ::DeleteFileW(app->m_strProfilePath);
    app->LoadStdProfileSettings(4);
    EXPECT_TRUE(app->RecentFiles().empty());
    for (const wchar_t* f : {L"C:\\1", L"C:\\2", L"C:\\3", L"C:\\4", L"C:\\5", L"c:\\3"}) app->AddToRecentFileList(f);
    ASSERT_EQ(app->RecentFiles().size(), 4u);
    EXPECT_EQ(app->RecentFiles()[0], CString(L"c:\\3"));
    EXPECT_EQ(app->RecentFiles()[1], CString(L"C:\\5"));
    EXPECT_EQ(app->RecentFiles()[3], CString(L"C:\\2"));
    app->SaveStdProfileSettings();
    app->LoadStdProfileSettings(4);
    ASSERT_EQ(app->RecentFiles().size(), 4u);
    EXPECT_EQ(app->RecentFiles()[0], CString(L"c:\\3"));
    EXPECT_EQ(app->GetProfileString(L"Recent File List", L"File4"), CString(L"C:\\2"));
    ::DeleteFileW(app->m_strProfilePath);
    app->m_strProfilePath = saved;
    app->LoadStdProfileSettings(0);
}

TEST(DocTemplate, DocumentStringFields) {
    CSingleDocTemplate t(IDR_MAINFRAME, RUNTIME_CLASS(CZarpDoc), RUNTIME_CLASS(CMainFrame), RUNTIME_CLASS(CZarpView));
    EXPECT_EQ(t.GetDocString(0), CString(L"Zarp"));
    EXPECT_EQ(t.GetDocString(1), CString(L""));
    EXPECT_EQ(t.GetDocString(2), CString(L"Zarp"));
    EXPECT_EQ(t.GetDocString(5), CString(L"Zarp.Document"));
    EXPECT_EQ(t.GetDocString(6), CString(L"Zarp Document"));
    EXPECT_EQ(t.GetDocString(7), CString(L""));
}

TEST(FileErrors, OpenFailureNamesTheFileAndTheCause) {
    CFile f;
    CFileException e;
    EXPECT_FALSE(f.Open(L"C:\\no\\such\\folder\\file.txt", CFile::modeRead, &e));
    EXPECT_EQ(e.m_cause, CFileException::badPath);
    EXPECT_EQ(e.GetErrorMessage(), CString(L"C:\\no\\such\\folder\\file.txt のパスが正しくありません。"));
    EXPECT_FALSE(f.Open(L"C:\\no-such-file.txt", CFile::modeRead, &e));
    EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
    EXPECT_EQ(afx::LiveCount(afx::HandleKind::File), 0);
}

TEST(Gdi, OwnersReleaseOnceAndSelectionsAreUndoneByScope) {
    const int bitmaps = afx::LiveCount(afx::HandleKind::Bitmap);
    const int dcs = afx::LiveCount(afx::HandleKind::DC);
    {
        CDC screen;
        screen.CreateDC(L"DISPLAY", nullptr, nullptr, nullptr);
        CBitmap bmp;
        ASSERT_TRUE(bmp.CreateCompatibleBitmap(&screen, 8, 8));
        CDC mem;
        mem.CreateCompatibleDC(&screen);
        EXPECT_EQ(afx::LiveCount(afx::HandleKind::Bitmap), bitmaps + 1);
        {
            auto sel = mem.Select(bmp);
            EXPECT_EQ(bmp.SelectedCount(), 1);
            EXPECT_EQ(::GetCurrentObject(mem, OBJ_BITMAP), bmp.GetSafeHandle());
        }
        EXPECT_EQ(bmp.SelectedCount(), 0);
        EXPECT_NE(::GetCurrentObject(mem, OBJ_BITMAP), bmp.GetSafeHandle());
        {
            // A bitmap context holds its bitmap while it lives and lets it go with its DC.
            CBitmapDC held(&screen, bmp);
            EXPECT_EQ(::GetCurrentObject(held, OBJ_BITMAP), bmp.GetSafeHandle());
            EXPECT_EQ(bmp.SelectedCount(), 1);
            EXPECT_EQ(afx::LiveCount(afx::HandleKind::DC), dcs + 3);
        }
        EXPECT_EQ(bmp.SelectedCount(), 0);
        EXPECT_EQ(afx::LiveCount(afx::HandleKind::DC), dcs + 2);
        CBitmap moved(std::move(bmp));
        EXPECT_TRUE(bmp.IsNull());
        EXPECT_FALSE(moved.IsNull());
        EXPECT_EQ(afx::LiveCount(afx::HandleKind::Bitmap), bitmaps + 1);
        // A DC that goes away while something is selected puts the original back first.
        auto sel = mem.Select(moved);
        mem.DeleteDC();
    }
    EXPECT_EQ(afx::LiveCount(afx::HandleKind::Bitmap), bitmaps);
    EXPECT_EQ(afx::LiveCount(afx::HandleKind::DC), dcs);
    EXPECT_EQ(afx::SelectedDeleteCount(), 0);
}
