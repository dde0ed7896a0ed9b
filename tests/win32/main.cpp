// Runs the in-process tests with one application object, as Zarp.exe has.
#include <gtest/gtest.h>
#include "../../app/ZarpApp.h"

CZarpApp theTestApp;

int main(int argc, char** argv) {
    theTestApp.InitApplication(::GetModuleHandleW(nullptr), SW_SHOWNORMAL);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
