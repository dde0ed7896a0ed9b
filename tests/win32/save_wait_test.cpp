// A save that has to wait (another Zarp's save of the file, a file held by another
// program, a slow disk) leaves the window answering throughout, shows its progress
// window, can be cancelled from it or by the session's end with the old file whole, and
// makes the session wait while it runs.
#include <atomic>
#include <thread>
#include "../../framework/busy.h"
#include "../../image/ImageFormats.h"
#include "../../image/SafeSave.h"
#include "../../image/path_rules.h"
#include "support.h"

namespace {
// Another program meanwhile: asks the frame for an answer every 100 ms and notes the
// slowest; once the progress window shows, notes its text and does what the row says.
struct Prober {
    HWND frame;
    std::function<void(HWND progress)> onProgress;
    std::atomic<bool> stop{false}, saving{true};
    DWORD worstMs = 0;
    int unanswered = 0;
    std::wstring progressText;
    std::thread thread;

    void Start() {
        thread = std::thread([this] {
            for (bool acted = false; !stop;) {
                const ULONGLONG t0 = ::GetTickCount64();
                DWORD_PTR r = 0;
                // Only while the save runs: the test's thread answers nothing after it.
                if (!::SendMessageTimeoutW(frame, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &r) && saving) ++unanswered;
                if (saving) worstMs = std::max<DWORD>(worstMs, (DWORD)(::GetTickCount64() - t0));
                HWND progress = ::FindWindowW(L"ZfwBusyProgress", nullptr);
                wchar_t text[128] = L"";
                if (progress && !acted && ::GetWindowTextW(::GetDlgItem(progress, 100), text, 128)) {
                    progressText = text;
                    if (onProgress) onProgress(progress);
                    acted = true;
                }
                ::Sleep(100);
            }
        });
    }
    void Stop() {
        stop = true;
        thread.join();
    }
};

// Holds something for ms on a thread of its own: the target without sharing, or the
// save lock of the target as another Zarp's save would.
std::thread Hold(std::function<HANDLE()> take, DWORD ms, std::atomic<bool>& taken) {
    return std::thread([=, &taken] {
        HANDLE h = take();
        taken = true;
        ::Sleep(ms);
        ::ReleaseMutex(h);  // a file handle ignores this
        ::CloseHandle(h);
    });
}

std::wstring LockNameOf(const std::wstring& path) {
    std::wstring upper = path;
    ::CharUpperBuffW(&upper[0], (DWORD)upper.size());
    return zarp::SaveLockName(zarp::PathKey(upper));
}
}  // namespace

TEST(SaveWait, TheWindowAnswersWhileASaveWaitsAndItsEndIsTheUsers) {
    zt::FakeClock clock;
    zt::PatternWindow pattern{700, 300, 120, 90};
    zt::ZarpWindow w{400, 300};
    w.CaptureWindow(pattern.hwnd);
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring target = std::wstring(temp) + L"zarp-wait.bmp";
    const std::wstring waiting = L"別の Zarp が同じファイルを保存しています…";
    const DWORD delay = afx::CBusyJob::SetProgressDelayForTesting(300);
    enum Held { lock, file, slow };
    struct Row {
        const char* what;
        Held hold;
        DWORD ms;
        bool saved;
        std::wstring progress;  // what the progress window said
        std::function<void(HWND frame, HWND progress)> act;
        LRESULT queryEndSession = 0;  // the answer to WM_QUERYENDSESSION during the save
    } rows[] = {
        {"another Zarp's save of the file", lock, 2500, true, waiting},
        {"the file held by another program", file, 1200, true, L"保存しています…"},
        {"a slow disk", slow, 0, true, L"保存しています…"},
        {"cancelled from the progress window", lock, 4000, false, waiting,
         [](HWND, HWND progress) { ::PostMessageW(progress, WM_COMMAND, IDCANCEL, 0); }},
        {"the session asked to end, then ending", lock, 4000, false, waiting, [](HWND frame, HWND) {
             DWORD_PTR r = 1;
             ::SendMessageTimeoutW(frame, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 2000, &r);
             EXPECT_EQ(r, 0u);  // the session waits for the save
             ::SendMessageTimeoutW(frame, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 5000, &r);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        zt::WriteFileBytes(target, "the old file");
        std::atomic<bool> taken{false};
        std::thread holder;
        if (row.hold == lock)
            holder = Hold([&] {
                HANDLE m = ::CreateMutexW(nullptr, FALSE, LockNameOf(target).c_str());
                ::WaitForSingleObject(m, INFINITE);
                return m;
            }, row.ms, taken);
        if (row.hold == file)
            holder = Hold([&] { return ::CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr); },
                          row.ms, taken);
        const DWORD pause = SetWritePauseForTesting(row.hold == slow ? 400 : 0);  // about 1.6 s for the picture
        while (row.hold != slow && !taken) ::Sleep(5);
        Prober prober;
        prober.frame = w.frame->m_hWnd;
        HWND frame = w.frame->m_hWnd;
        if (row.act) prober.onProgress = [&](HWND progress) { row.act(frame, progress); };
        prober.Start();
        zt::WarningCatcher catcher;
        EXPECT_EQ(w.view->SavePicture(target.c_str(), L"zarp-wait.bmp"), row.saved);
        prober.saving = false;
        EXPECT_EQ(catcher.Stop(), L"");
        EXPECT_EQ(catcher.question, L"");
        prober.Stop();
        SetWritePauseForTesting(pause);
        if (holder.joinable()) holder.join();
        EXPECT_EQ(prober.unanswered, 0);
        EXPECT_EQ(prober.progressText, row.progress);
        EXPECT_TRUE(::IsWindowEnabled(frame));
        EXPECT_EQ(::FindWindowW(L"ZfwBusyProgress", nullptr), nullptr);
        const std::string now = zt::ReadFileBytes(target);
        if (row.saved)
            EXPECT_EQ(now.substr(0, 2), "BM");
        else
            EXPECT_EQ(now, "the old file");
        EXPECT_EQ(::GetFileAttributesW(zarp::TempNameOf(target).c_str()), INVALID_FILE_ATTRIBUTES);
        printf("  %s: slowest answer %lu ms\n", row.what, prober.worstMs);
    }
    afx::CBusyJob::SetProgressDelayForTesting(delay);
    ::DeleteFileW(target.c_str());
}

// A WM_CLOSE that comes while work runs beside the window closes it once the work is done.
TEST(SaveWait, AFrameClosedDuringTheWorkClosesAfterIt) {
    zt::ZarpWindow w{400, 300};
    HWND frame = w.frame->m_hWnd;
    bool doneBeforeClose = false;
    const DWORD result = afx::CBusyJob::Run(frame, {L"Zarp", {L"…"}, L"ｷｬﾝｾﾙ", L"…"}, [&](afx::CBusyJob&) {
        ::PostMessageW(frame, WM_CLOSE, 0, 0);
        ::Sleep(300);
        doneBeforeClose = ::IsWindow(frame) != FALSE;
        return DWORD(7);
    });
    EXPECT_EQ(result, 7u);
    EXPECT_TRUE(doneBeforeClose);
    AfxGetApp()->m_pMainWnd = nullptr;  // no quit message for the test's loop
    EXPECT_TRUE(zt::PumpUntil([&] { return !::IsWindow(frame); }));
    w.frame = nullptr;
}
