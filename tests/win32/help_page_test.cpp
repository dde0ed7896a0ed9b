// The help page goes to the shell's default action for .html, by its path: the start
// folder's, else the one beside the program, else a box says there is none; F1 shows
// the one beside the program, as ﾄﾋﾟｯｸの検索 does. A program named help.html and a
// folder of that name are refused.
#include <string>
#include <direct.h>
#include "support.h"

namespace {
void SetRegString(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& value) {
    HKEY h;
    if (::RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr) != ERROR_SUCCESS) return;
    ::RegSetValueExW(h, name, 0, REG_SZ, (const BYTE*)value.c_str(), (DWORD)((value.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(h);
}

// What stands at a help page's place.
enum class Page { none, file, empty, program, folder };
void Put(const std::wstring& path, Page what) {
    ::DeleteFileW(path.c_str());
    ::RemoveDirectoryW(path.c_str());
    if (what == Page::file || what == Page::empty) zt::WriteFileBytes(path, what == Page::file ? "<p>Zarp</p>" : "");
    if (what == Page::program) ::CopyFileW(L"C:\\windows\\system32\\notepad.exe", path.c_str(), FALSE);
    if (what == Page::folder) ::CreateDirectoryW(path.c_str(), nullptr);
}
}  // namespace

TEST(HelpPage, OpensTheStartFoldersPageElseTheOneBesideTheProgram) {
    // .html pages are opened by the end-to-end tests' page recorder, which records the
    // page's path in /tmp/zarp-page.log. Wine's shell reads HKCR, not HKCU's classes.
    const wchar_t* log = L"Z:\\tmp\\zarp-page.log";
    const std::wstring recorder = zt::Widen(ZARP_PAGE_RECORDER);  // forward slashes serve Windows too
    wchar_t temp[MAX_PATH], oldType[MAX_PATH];
    DWORD size = sizeof oldType;
    const bool hadType = !::RegGetValueW(HKEY_CLASSES_ROOT, L".html", nullptr, RRF_RT_REG_SZ, nullptr, oldType, &size);
    SetRegString(HKEY_CLASSES_ROOT, L".html", nullptr, L"ZarpTestPage");
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring start = std::wstring(temp) + L"zarp help #1 %20 & 日本語", startPage = start + L"\\help.html";
    ::CreateDirectoryW(start.c_str(), nullptr);
    std::wstring exe(MAX_PATH * 4, L'\0');
    exe.resize(::GetModuleFileNameW(nullptr, &exe[0], (DWORD)exe.size()));
    const std::wstring besideExe = exe.substr(0, exe.find_last_of(L'\\') + 1) + L"help.html";
    struct Case {
        const char* what;
        Page inStart, besideProgram;
        const std::wstring* opened;        // the path the shell is given; null: nothing opens
        const wchar_t* box;                // what a box says instead
        bool f1 = false;                   // F1 rather than the help-page command
        const wchar_t* command = nullptr;  // the program for .html pages; null: the recorder
    } cases[] = {
        {"neither", Page::none, Page::none, nullptr, L"help.html が見つかりません。"},
        {"only the start folder's", Page::file, Page::none, &startPage},
        {"both: the start folder's", Page::file, Page::file, &startPage},
        {"only the one beside the program", Page::none, Page::file, &besideExe},
        {"a program named help.html", Page::program, Page::file, nullptr, L"help.html はプログラムのため、表示できません。"},
        {"an empty help.html is a page", Page::empty, Page::none, &startPage},
        {"a folder named help.html", Page::folder, Page::file, nullptr, L"help.html はファイルではないため、開けません。"},
        {"no program for .html", Page::file, Page::none, nullptr,
         L"help.html を表示できません。Web ページを表示するプログラムがありません。", false, L""},
        {"the program for .html is gone", Page::file, Page::none, nullptr,
         L"help.html を表示できません。Web ページを表示するプログラムを起動できません。", false, L"C:\\gone.exe \"%1\""},
        {"F1: the one beside the program", Page::file, Page::file, &besideExe, nullptr, true},
        {"F1 without it", Page::file, Page::none, nullptr, L"help.html が見つかりません。", true},
    };

    wchar_t* savedCwd = _wgetcwd(nullptr, 0);
    zt::ZarpWindow w;
    w.view->m_strInitDir = start.c_str();
    ::DeleteFileW(log);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetRegString(HKEY_CLASSES_ROOT, L"ZarpTestPage\\shell\\open\\command", nullptr,
                     c.command ? c.command : L"\"" + recorder + L"\" \"" + log + L"\" \"%1\"");
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
        if (c.opened) zt::PumpUntil([&] { return !zt::ReadFileBytes(log).empty(); }, 5000);  // it runs apart
        EXPECT_EQ(zt::Widen(zt::ReadFileBytes(log).c_str()), c.opened ? *c.opened + L"\n" : L"");
        EXPECT_EQ(::FindWindowW(L"Notepad", nullptr), nullptr);  // nothing was run
        ::DeleteFileW(log);
    }
    Put(besideExe, Page::none);
    Put(startPage, Page::none);
    ::RemoveDirectoryW(start.c_str());
    if (hadType) SetRegString(HKEY_CLASSES_ROOT, L".html", nullptr, oldType);
    else ::RegDeleteKeyW(HKEY_CLASSES_ROOT, L".html");
    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, L"ZarpTestPage");
    _wchdir(savedCwd);
    free(savedCwd);
}
