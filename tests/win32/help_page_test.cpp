// The help page is shown by the program associated with .html, as a file: URL: the start
// folder's, else the one beside the program, else a box says there is none; F1 shows
// the one beside the program, as ﾄﾋﾟｯｸの検索 does. A program named help.html is shown,
// never run; a folder of that name is refused.
#include <fstream>
#include <string>
#include <vector>
#include <direct.h>
#include "support.h"

#ifndef ZARP_TEST_SOURCE_DIR
#error "ZARP_TEST_SOURCE_DIR must name tests/win32"
#endif

namespace {
void SetRegString(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& value) {
    HKEY h;
    if (::RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr) != ERROR_SUCCESS) return;
    ::RegSetValueExW(h, name, 0, REG_SZ, (const BYTE*)value.c_str(), (DWORD)((value.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(h);
}

// What stands at a help page's place.
enum class Page { none, file, program, folder };
void Put(const std::wstring& path, Page what) {
    ::DeleteFileW(path.c_str());
    ::RemoveDirectoryW(path.c_str());
    if (what == Page::file) ::CloseHandle(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (what == Page::program) ::CopyFileW(L"C:\\windows\\system32\\notepad.exe", path.c_str(), FALSE);
    if (what == Page::folder) ::CreateDirectoryW(path.c_str(), nullptr);
}

std::vector<std::string> Lines(const wchar_t* path) {
    std::vector<std::string> out;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}
}  // namespace

TEST(HelpPage, OpensTheStartFoldersPageElseTheOneBesideTheProgram) {
    // The prefix's browser for .html files becomes a script that records its argument
    // in /tmp/zarp-browser.log.
    const wchar_t* log = L"Z:\\tmp\\zarp-browser.log";
    SetRegString(HKEY_CLASSES_ROOT, L".html", nullptr, L"htmlfile");
    std::string script = ZARP_TEST_SOURCE_DIR "/fake_browser.sh";
    SetRegString(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", L"Browsers",
                 std::wstring(script.begin(), script.end()));

    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring start = std::wstring(temp) + L"zarp-help-start";
    ::CreateDirectoryW(start.c_str(), nullptr);
    std::wstring exe(MAX_PATH * 4, L'\0');
    exe.resize(::GetModuleFileNameW(nullptr, &exe[0], (DWORD)exe.size()));
    const std::wstring besideExe = exe.substr(0, exe.find_last_of(L'\\') + 1) + L"help.html";
    struct Case {
        const char* what;
        Page inStart, besideProgram;
        const char* opened;  // the end of what the browser is given; null: nothing opens
        const wchar_t* box;  // what a box says instead
        bool f1 = false;     // F1 rather than the help-page command
    } cases[] = {
        {"neither", Page::none, Page::none, nullptr, L"help.html が見つかりません。"},
        {"only the start folder's", Page::file, Page::none, "zarp-help-start/help.html"},
        {"both: the start folder's", Page::file, Page::file, "zarp-help-start/help.html"},
        {"only the one beside the program", Page::none, Page::file, "tests/win32/help.html"},
        {"a program named help.html: shown, not run", Page::program, Page::none, "zarp-help-start/help.html"},
        {"a folder named help.html", Page::folder, Page::file, nullptr, L"help.html はファイルではないため、開けません。"},
        {"F1: the one beside the program", Page::file, Page::file, "tests/win32/help.html", nullptr, true},
        {"F1 without it", Page::file, Page::none, nullptr, L"help.html が見つかりません。", true},
    };

    wchar_t* savedCwd = _wgetcwd(nullptr, 0);
    zt::ZarpWindow w;
    w.view->m_strInitDir = start.c_str();
    ::DeleteFileW(log);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Put(start + L"\\help.html", c.inStart);
        Put(besideExe, c.besideProgram);
        _wchdir(L"C:\\");
        zt::WarningCatcher catcher;
        HELPINFO help{sizeof help, HELPINFO_WINDOW};
        if (c.f1) {
            zt::Pump(310);  // a request within 300 ms of the last is taken for the same key press
            ::SendMessageW(w.frame->m_hWnd, WM_HELP, 0, (LPARAM)&help);
        }
        else
            ::SendMessageW(w.view->m_hWnd, WM_COMMAND, ID_HELP_PAGE, 0);
        EXPECT_EQ(catcher.Stop(), c.box ? c.box : L"");
        if (!c.f1) {
            wchar_t now[MAX_PATH];
            ::GetCurrentDirectoryW(MAX_PATH, now);
            EXPECT_EQ(std::wstring(now), start);  // the start folder stays current
        }
        if (!c.opened) continue;
        // winebrowser runs the script in the background; wait for its record.
        zt::PumpUntil([&] { return !Lines(log).empty(); }, 5000);
        const auto lines = Lines(log);
        ASSERT_EQ(lines.size(), 1u);
        const std::string want = c.opened;
        EXPECT_TRUE(lines[0].size() >= want.size() && lines[0].compare(lines[0].size() - want.size(), want.size(), want) == 0)
            << lines[0];
        EXPECT_EQ(lines[0].rfind("file:///", 0), 0u) << lines[0];
        EXPECT_EQ(::FindWindowW(L"Notepad", nullptr), nullptr);  // nothing was run
        ::DeleteFileW(log);
    }
    Put(besideExe, Page::none);
    Put(start + L"\\help.html", Page::none);
    _wchdir(savedCwd);
    free(savedCwd);
}
