// Plays the user at the platform's save dialog from a second thread: types a name
// and presses Save (or Cancel), answers the replace question, reads and closes a
// warning box.
#pragma once
#include <windows.h>
#include <atomic>
#include <string>
#include <thread>

namespace zt {

struct SaveRobot {
    std::wstring name;
    bool cancel = false;
    bool answerReplace = false;
    std::wstring warningText, warningCaption;
    bool sawDialog = false, sawReplace = false;
    std::thread thread;
    std::atomic<bool> commandDone{false};

    void Start();
    // Call once the command has returned: a warning can no longer appear after that.
    void Join() {
        commandDone = true;
        if (thread.joinable()) thread.join();
    }
};

}  // namespace zt
