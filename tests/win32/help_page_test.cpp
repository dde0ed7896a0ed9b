// The help page opens with the shell's default action: the start folder's, else the
// one beside the program, else none.
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

void Put(const std::wstring& path, bool present) {
    if (present) {
        ::CloseHandle(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    } else {
        ::DeleteFileW(path.c_str());
    }
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
        bool inStart, besideProgram;
        const char* opened;  // the end of what the browser is given; null: nothing opens
    } cases[] = {
        {"neither", false, false, nullptr},  // seen with the next case: its record is the only one
        {"only the start folder's", true, false, "zarp-help-start/help.html"},
        {"both: the start folder's", true, true, "zarp-help-start/help.html"},
        {"only the one beside the program", false, true, "tests/win32/help.html"},
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
        ::SendMessageW(w.view->m_hWnd, WM_COMMAND, ID_HELP_PAGE, 0);
        wchar_t now[MAX_PATH];
        ::GetCurrentDirectoryW(MAX_PATH, now);
        EXPECT_EQ(std::wstring(now), start);  // the start folder stays current
        if (!c.opened) continue;
        // winebrowser runs the script in the background; wait for its record.
        zt::PumpUntil([&] { return !Lines(log).empty(); }, 5000);
        const auto lines = Lines(log);
        ASSERT_EQ(lines.size(), 1u);
        const std::string want = c.opened;
        EXPECT_TRUE(lines[0].size() >= want.size() && lines[0].compare(lines[0].size() - want.size(), want.size(), want) == 0)
            << lines[0];
        ::DeleteFileW(log);
    }
    Put(besideExe, false);
    _wchdir(savedCwd);
    free(savedCwd);
}
