// Soak: many cycles of capture -> zoom change -> range drag -> Copy -> Save As through
// the real handlers (the save dialog filled in by a helper thread), recording the
// framework's live-handle counters and the process's private bytes every 100 cycles.
// Usage: zarp_soak.exe [cycles] [nosave|cancel]
//   nosave: leave out Save As; cancel: open the save dialog and cancel it; direct: save
//   without the dialog (these tell the dialog's share of memory from the saving's)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include "../framework/handles.h"
#include "../tests/win32/dialog_robot.h"
#include "../tests/win32/support.h"
#include "../view/clock_source.h"
#include <psapi.h>

CZarpApp theSoakApp;

namespace {
size_t PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), (PROCESS_MEMORY_COUNTERS*)&pmc, sizeof pmc);
    return pmc.PagefileUsage;  // private committed bytes
}
}  // namespace

int main(int argc, char** argv) {
    const int cycles = argc > 1 ? std::atoi(argv[1]) : 1000;
    const bool save = !(argc > 2 && !std::strcmp(argv[2], "nosave"));
    const bool cancel = argc > 2 && !std::strcmp(argv[2], "cancel");
    const bool direct = argc > 2 && !std::strcmp(argv[2], "direct");
    theSoakApp.InitApplication(::GetModuleHandleW(nullptr), SW_SHOWNORMAL);
    zt::FakeClock clock;
    zt::PatternWindow pattern(900, 500, 320, 240);
    zt::ZarpWindow w(400, 300);
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring dir = std::wstring(temp) + L"zarp-soak";
    ::CreateDirectoryW(dir.c_str(), nullptr);
    w.view->m_strInitDir = dir.c_str();
    w.view->m_strWork = dir.c_str();
    const std::wstring target = dir + L"\\soak.bmp";
    ::DeleteFileW(target.c_str());

    // One column per kind of handle the framework counts, in the order of HandleKind.
    static const char* const kKinds[] = {"DC", "bitmap", "brush", "palette", "global", "file", "menu", "image list", "font"};
    static_assert(std::size(kKinds) == (size_t)afx::HandleKind::Count, "a column for every kind of handle");
    std::printf("| cycle |");
    for (const char* kind : kKinds) std::printf(" %s |", kind);
    std::printf(" private bytes (KB) |\n|---|");
    for (size_t k = 0; k <= std::size(kKinds); ++k) std::printf("---|");
    std::printf("\n");
    int failures = 0;
    for (int i = 0; i <= cycles; ++i) {
        if (i % 100 == 0 || i == cycles) {
            std::printf("| %d |", i);
            for (int k = 0; k < (int)afx::HandleKind::Count; ++k) std::printf(" %d |", afx::LiveCount((afx::HandleKind)k));
            std::printf(" %zu |\n", PrivateBytes() / 1024);
            std::fflush(stdout);
        }
        if (i == cycles) break;
        w.CaptureWindow(pattern.hwnd);
        w.view->m_nZoom = (i % 2) ? 150 : 75;
        w.Tick();
        if (w.view->m_nRangeMode == 0) w.Command(ID_RANGE);
        HWND v = w.view->m_hWnd;
        ::SendMessageW(v, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5 + i % 7, 5));
        ::SendMessageW(v, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(120, 90 + i % 5));
        ::SendMessageW(v, WM_LBUTTONUP, 0, MAKELPARAM(120, 90));
        w.Command(ID_EDIT_COPY);
        if (!save) continue;
        if (direct) {
            if (!w.view->SavePicture(target.c_str(), L"soak.bmp")) ++failures;
            continue;
        }
        zt::SaveRobot robot;
        robot.name = target;
        robot.answerReplace = i > 0;
        robot.cancel = cancel;
        robot.Start();
        w.Command(ID_FILE_SAVE_AS);
        robot.Join();
        if (!robot.sawDialog || !robot.warningText.empty()) ++failures;
        zt::Pump(1);
    }
    std::printf("\nSelected objects deleted: %d; cycles with a failed save: %d\n", afx::SelectedDeleteCount(), failures);
    return failures == 0 && afx::SelectedDeleteCount() == 0 ? 0 : 1;
}
