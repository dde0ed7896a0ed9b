// The help page opens from the start folder with the shell's default action.
#include <fstream>
#include <string>
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
}  // namespace

TEST(HelpPage, OpensHelpHtmlFromTheStartFolder) {
    // The prefix's browser for .html files becomes a script that records its argument
    // in /tmp/zarp-browser.log.
    const wchar_t* log = L"Z:\\tmp\\zarp-browser.log";
    ::DeleteFileW(log);
    SetRegString(HKEY_CLASSES_ROOT, L".html", nullptr, L"htmlfile");
    std::string script = ZARP_TEST_SOURCE_DIR "/fake_browser.sh";
    SetRegString(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", L"Browsers",
                 std::wstring(script.begin(), script.end()));

    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring start = std::wstring(temp) + L"zarp-help-start";
    ::CreateDirectoryW(start.c_str(), nullptr);
    HANDLE f = ::CreateFileW((start + L"\\help.html").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ::CloseHandle(f);

    wchar_t* savedCwd = _wgetcwd(nullptr, 0);
    zt::ZarpWindow w;
    w.view->m_strInitDir = start.c_str();
    _wchdir(L"C:\\");
    ::SendMessageW(w.view->m_hWnd, WM_COMMAND, ID_HELP_PAGE, 0);
    wchar_t now[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, now);
    EXPECT_EQ(std::wstring(now), start);  // the start folder stays current

    // winebrowser runs the script in the background; wait for its record.
    std::string opened;
    zt::PumpUntil([&] {
        std::ifstream in(log);
        return std::getline(in, opened) && !opened.empty();
    }, 5000);
    EXPECT_NE(opened.find("zarp-help-start/help.html"), std::string::npos) << opened;
    _wchdir(savedCwd);
    free(savedCwd);
}
