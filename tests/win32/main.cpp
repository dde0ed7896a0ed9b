// Runs the in-process tests with one application object, as Zarp.exe has.
#include <gtest/gtest.h>
#include <objbase.h>
#include <shellapi.h>
#include <cstdio>
#include "../../app/ZarpApp.h"

CZarpApp theTestApp;

int main(int argc, char** argv) {
    // Started by the shell as the help test's program for .html pages: records the page.
    int n = 0;
    wchar_t** args = ::CommandLineToArgvW(::GetCommandLineW(), &n);
    if (n == 3 && !wcscmp(args[1], L"--record-page")) {
        char line[32768 * 3] = "";
        ::WideCharToMultiByte(CP_UTF8, 0, args[2], -1, line, sizeof line, nullptr, nullptr);
        FILE* log = fopen("Z:\\tmp\\zarp-page.log", "ab");
        return log && fprintf(log, "%s\n", line) > 0 && fclose(log) == 0 ? 0 : 1;
    }
    theTestApp.InitApplication(::GetModuleHandleW(nullptr), SW_SHOWNORMAL);
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);  // as Zarp.exe starts
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
