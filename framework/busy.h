// Work that could keep the UI thread from its messages for longer than a moment (a
// save that waits for another program, a long write to a slow disk) runs on a worker
// thread while the window it belongs to is disabled, as under a modal dialog. The UI
// thread goes on retrieving messages: paints, timers and sent messages are handled and
// input to the disabled windows is dropped, so Windows never marks the program as not
// responding, and no command can start a second job. After about a second a small
// progress window says what the work is doing and offers to cancel it.
#pragma once
#include <windows.h>
#include <atomic>
#include <functional>
#include <vector>

namespace afx {

class CBusyJob {
public:
    struct Texts {
        const wchar_t* caption;
        std::vector<const wchar_t*> stages;  // the progress window's line for each stage
        const wchar_t* cancel;               // the button's text
        const wchar_t* blockReason;          // why the session should wait while it runs
    };
    using Work = std::function<DWORD(CBusyJob&)>;

    // Runs work on the worker thread (with COM set up for it) and returns its result once
    // it has ended; ERROR_BUSY while another job runs. A WM_CLOSE of the owner that came
    // meanwhile is posted again then.
    static DWORD Run(HWND owner, const Texts& texts, const Work& work);
    // The job that the calling thread is running, or null.
    static CBusyJob* Running();
    // How long the work runs before the progress window shows (tests shorten it).
    static DWORD SetProgressDelayForTesting(DWORD ms);

    // For the work, on its thread: the event is signalled once the job is cancelled.
    // The flag is the cheap question, for work that asks often (a writer between pieces).
    HANDLE CancelEvent() const { return m_cancel; }
    const std::atomic<bool>& CancelFlag() const { return m_cancelled; }
    void SetStage(int stage) { m_stage = stage; }

    // For the UI thread while the job runs.
    void Cancel() {
        m_cancelled = true;
        ::SetEvent(m_cancel);
    }
    void CloseOwnerWhenDone() { m_closeAfter = true; }
    // Cancels the work and waits until the worker has stopped (the session is ending).
    void CancelAndWait();

private:
    CBusyJob() = default;
    static DWORD WINAPI ThreadMain(void* self);
    static LRESULT CALLBACK ProgressProc(HWND, UINT, WPARAM, LPARAM);
    void ShowProgress();
    void Pump();

    HWND m_owner = nullptr;
    HANDLE m_cancel = nullptr;
    HANDLE m_done = nullptr;  // signalled once the work has returned
    const Work* m_work = nullptr;
    DWORD m_result = 0;
    std::atomic<int> m_stage{0};
    std::atomic<bool> m_cancelled{false};
    int m_shownStage = -1;
    bool m_closeAfter = false;
    HWND m_hProgress = nullptr;
    HWND m_hText = nullptr;
    HFONT m_hFont = nullptr;
    const Texts* m_texts = nullptr;
};

// Waits about ms while the thread keeps answering: paints, timers and sent messages are
// handled, input stays in the queue for later. For a short wait on the UI thread (the
// clipboard held by another program) that must not keep a window from painting.
void PauseAnswering(DWORD ms);

}  // namespace afx
