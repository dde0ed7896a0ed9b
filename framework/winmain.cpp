// The program's entry point: makes the process safe to start from any folder, sets up
// COM for the shell and the imaging component, and runs the application object that
// the program defines.
#include <objbase.h>
#include "app.h"

namespace {
// Libraries that the program or the system load later by name (uxtheme, propsys, the
// dependencies of dwmapi...) come from the system folder only, never from the folder
// the program was started from (Downloads, as a rule) or the current one. The call is
// looked up by name: Windows 7 without KB2533623 lacks it, and there SetDllDirectory
// at least takes the current folder out of the search.
void LimitLibrarySearch() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (!setDefault || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) ::SetDllDirectoryW(L"");
}
}  // namespace

int WINAPI wWinMain(HINSTANCE hInst, HINSTANCE, LPWSTR cmdLine, int nCmdShow) {
    LimitLibrarySearch();
    // One apartment for the program's one thread; OLE 1 DDE would only wait on
    // broadcasts. Without COM the program still runs (what needs it says so).
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const int result = AfxWinMain(hInst, cmdLine, nCmdShow);
    if (SUCCEEDED(com)) ::CoUninitialize();
    return result;
}
