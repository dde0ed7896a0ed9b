// A save that has to wait (another Zarp's save of the file, a file held by another
// program, a slow disk) leaves the window answering throughout and shows its progress
// window; it ends as the user says (Cancel, the session's end) with the old file whole,
// and a frame closed meanwhile closes after it.
#include <atomic>
#include <thread>
#include <utility>
#include "../../framework/busy.h"
#include "../../image/ImageFormats.h"
#include "../../image/SafeSave.h"
#include "support.h"

TEST(SaveWait, TheWindowAnswersWhileASaveWaitsAndItsEndIsTheUsers) {
    zt::FakeClock clock;
    zt::PatternWindow pattern{700, 300, 120, 90};
    zt::ZarpWindow w{400, 300};
    w.CaptureWindow(pattern.hwnd);
    HWND frame = w.frame->m_hWnd;
    const std::wstring target = L"C:\\windows\\temp\\zarp-wait.bmp";
    const std::wstring waiting = L"別の Zarp が同じファイルを保存しています…", saving = L"保存しています…";
    const DWORD delay = afx::CBusyJob::SetProgressDelayForTesting(300);
    enum Held { lock, file, slow };
    struct Row {  // what is held and how long; saved or not; the progress window's text; done once it shows
        const char* what;
        Held hold;
        DWORD ms;
        bool saved;
        std::wstring progress;
        void (*act)(HWND frame, HWND progress);
    } rows[] = {
        {"another Zarp's save of the file", lock, 2500, true, waiting, nullptr},
        {"the file held by another program", file, 1200, true, saving, nullptr},
        {"a slow disk", slow, 0, true, saving, nullptr},
        {"cancelled from the progress window", lock, 4000, false, waiting,
         [](HWND, HWND progress) { ::PostMessageW(progress, WM_COMMAND, IDCANCEL, 0); }},
        {"the session asked to end, then ending", lock, 4000, false, waiting, [](HWND frame, HWND) {
             DWORD_PTR r = 1;
             ::SendMessageTimeoutW(frame, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 2000, &r);
             EXPECT_EQ(r, 0u);  // the session waits for the save
             ::SendMessageTimeoutW(frame, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 5000, &r);
         }},
        {"the frame closed meanwhile (last: it closes once the save is done)", lock, 1500, true, waiting, [](HWND frame, HWND) { ::PostMessageW(frame, WM_CLOSE, 0, 0); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        zt::WriteFileBytes(target, "the old file");
        // Another program: holds the lock or the file for row.ms, asking the frame meanwhile.
        std::atomic<bool> taken{false}, running{true};
        int unanswered = 0;
        std::wstring shown;
        std::thread other([&] {
            HANDLE h = row.hold == lock ? ::CreateMutexW(nullptr, FALSE, zarp::SaveLockNameOf(target).c_str())
                       : row.hold == file ? ::CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                                          : nullptr;
            if (row.hold == lock) ::WaitForSingleObject(h, INFINITE);
            taken = true;
            for (const ULONGLONG start = ::GetTickCount64(); running; ::Sleep(100)) {
                const ULONGLONG t0 = ::GetTickCount64();
                if (h && t0 - start >= row.ms) {
                    ::ReleaseMutex(h);  // a file handle ignores this
                    ::CloseHandle(std::exchange(h, nullptr));
                }
                DWORD_PTR r = 0;
                const bool answered = ::SendMessageTimeoutW(frame, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &r);
                if (running) unanswered += answered ? 0 : 1;  // after the save the test's thread answers nothing
                HWND progress = ::FindWindowW(L"ZfwBusyProgress", nullptr);
                wchar_t text[128] = L"";
                if (progress && shown.empty() && ::GetWindowTextW(::GetDlgItem(progress, 100), text, 128)) {
                    shown = text;
                    if (row.act) row.act(frame, progress);
                }
            }
            if (h) ::ReleaseMutex(h), ::CloseHandle(h);  // a cancelled save ended first
        });
        const DWORD pause = SetWritePauseForTesting(row.hold == slow ? 400 : 0);  // about 1.6 s for the picture
        while (!taken) ::Sleep(5);
        zt::WarningCatcher catcher;
        EXPECT_EQ(w.view->SavePicture(target.c_str(), L"zarp-wait.bmp"), row.saved);
        running = false;
        EXPECT_EQ(catcher.Stop(), L"");
        other.join();
        SetWritePauseForTesting(pause);
        EXPECT_EQ(unanswered, 0);
        EXPECT_EQ(shown, row.progress);
        EXPECT_TRUE(::IsWindowEnabled(frame));
        EXPECT_EQ(::FindWindowW(L"ZfwBusyProgress", nullptr), nullptr);
        EXPECT_EQ(zt::ReadFileBytes(target).substr(0, 2), row.saved ? "BM" : "th");  // the new file, or the old
        EXPECT_EQ(::GetFileAttributesW(zarp::TempNameOf(target).c_str()), INVALID_FILE_ATTRIBUTES);
    }
    afx::CBusyJob::SetProgressDelayForTesting(delay);
    ::DeleteFileW(target.c_str());
    AfxGetApp()->m_pMainWnd = nullptr;  // no quit message for the test's loop
    EXPECT_TRUE(zt::PumpUntil([&] { return !::IsWindow(frame); }));
    w.frame = nullptr;
}
