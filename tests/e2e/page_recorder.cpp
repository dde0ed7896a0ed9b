// page_recorder LOG PAGE: stands in for the program that shows .html pages; adds PAGE to
// the file LOG as one UTF-8 line. A window program, as a browser is: no console comes up
// for it, and it takes nobody's foreground.
#include <windows.h>
#include <cstdlib>
#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    if (__argc != 3) return 2;
    const int n = WideCharToMultiByte(CP_UTF8, 0, __wargv[2], -1, nullptr, 0, nullptr, nullptr);
    std::string line(n > 0 ? n : 1, '\n');
    WideCharToMultiByte(CP_UTF8, 0, __wargv[2], -1, &line[0], n, nullptr, nullptr);
    line.back() = '\n';
    HANDLE h = CreateFileW(__wargv[1], FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
    DWORD put = 0;
    const bool ok = h != INVALID_HANDLE_VALUE && WriteFile(h, line.data(), (DWORD)line.size(), &put, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return ok ? 0 : 1;
}
