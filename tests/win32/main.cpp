// Runs the in-process tests with one application object, as Zarp.exe has.
#include <gtest/gtest.h>
#include <objbase.h>
#include "../../app/ZarpApp.h"

CZarpApp theTestApp;

int main(int argc, char** argv) {
    theTestApp.InitApplication(::GetModuleHandleW(nullptr), SW_SHOWNORMAL);
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);  // as Zarp.exe starts
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
