// Shared helpers for the in-process tests: a real frame and view made by the real
// document template, a test clock, a window of known pixels on the real screen, and
// pixel readers.
#pragma once
#include <gtest/gtest.h>
#include <cstdint>
#include <functional>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>
#include "../../app/ZarpApp.h"
#include "../../app/ZarpDoc.h"
#include "../../frame/MainFrm.h"
#include "../../res/resource.h"
#include "../../view/ZarpView.h"

namespace zt {

// Handles pending messages (and the idle update) for about ms milliseconds.
void Pump(int ms);
// Pumps until pred() is true or the timeout passes; returns pred().
template <class Pred> bool PumpUntil(Pred pred, int timeoutMs = 3000) {
    for (int t = 0; t < timeoutMs; t += 5) {
        if (pred()) return true;
        Pump(5);
    }
    return pred();
}

// The time behind the capture's millisecond stamp, set by the test.
struct FakeClock {
    FakeClock();
    ~FakeClock();
    static int now;
};

// Zarp's document, frame and view, created as at start-up; destroyed afterwards.
class ZarpWindow {
public:
    explicit ZarpWindow(int clientCx = 800, int clientCy = 600);
    ~ZarpWindow();
    CMainFrame* frame = nullptr;
    CZarpView* view = nullptr;
    CZarpDoc* doc = nullptr;
    // Sends a command as a menu item would (through the frame's routing and update check).
    void Command(UINT id, int code = 0) { ::SendMessageW(frame->m_hWnd, WM_COMMAND, MAKEWPARAM(id, code), 0); }
    void Tick() { ::SendMessageW(view->m_hWnd, WM_TIMER, 1, 0); }
    // Moves the zoom slider as a user would and waits until the view shows that zoom
    // (the frame passes the slider on within 100 ms); false if it never does.
    bool SetZoom(int percent);
    // Requests a capture and fires it at once through the test clock.
    void CaptureNow(UINT commandId);
    // Captures a window as the active window (brought to the front during the wait),
    // then gives Zarp the foreground back.
    void CaptureWindow(HWND target);

private:
    std::unique_ptr<CSingleDocTemplate> m_template;
};

// The colour the pattern window shows at screen pixel (x, y).
inline COLORREF PatternAt(int x, int y) { return RGB((x * 7) & 255, (y * 5) & 255, ((x ^ y) * 3) & 255); }

// A topmost window whose client area a function paints (given the DC and the size).
class PaintedWindow {
public:
    using Painter = std::function<void(HDC, int, int)>;
    PaintedWindow(int x, int y, int cx, int cy, Painter paint, DWORD style = WS_POPUP);
    PaintedWindow(const PaintedWindow&) = delete;
    PaintedWindow& operator=(const PaintedWindow&) = delete;
    ~PaintedWindow();
    HWND hwnd = nullptr;
    void BringToFront();

private:
    Painter m_paint;
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
};

// A window of known pixels: PatternAt of each client pixel.
class PatternWindow : public PaintedWindow {
public:
    PatternWindow(int x, int y, int cx, int cy, DWORD style = WS_POPUP);
};

// Pixels of a bitmap as 0x00RRGGBB, top row first.
std::vector<uint32_t> ReadPixels(HBITMAP hBitmap, int* pCx = nullptr, int* pCy = nullptr);
// The part of a zoomed copy that is the picture (m_nZoomCx x m_nZoomCy at its top
// left): the copies may hold more memory than the zoom shown needs. shown: the
// displayed copy, else the clean one.
std::vector<uint32_t> ZoomedPixels(const CZarpView& v, bool shown = false);
inline uint32_t Rgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

// A file's bytes, shared with other readers and writers; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);
// Makes the file hold exactly these bytes (a read-only attribute is cleared first).
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
// A UTF-8 text as UTF-16; empty if it is not valid UTF-8.
std::wstring Widen(const char* utf8);

// The packed DIB on the clipboard (CF_DIB), empty if there is none.
std::vector<uint8_t> ClipboardDib();
// Puts a text on the clipboard, to see whether a command replaced it.
void SetClipboardText(const wchar_t* text);
// Pixels of a 32- or 24-bpp packed DIB as 0x00RRGGBB, top row first.
std::vector<uint32_t> DibPixels(const std::vector<uint8_t>& dib, int* pCx, int* pCy);

// Refuses every bitmap and memory block of more than maxBytes for its scope, through
// the framework's allocation gate: memory running out, without exhausting the machine.
struct AllocLimit {
    explicit AllocLimit(unsigned long long maxBytes);
    ~AllocLimit();
    static unsigned long long limit;
    static int refused;  // allocations refused so far
};

// Reads and closes the warning box ("警告", or the framework's, captioned "Zarp") the
// program shows while a command runs on this thread. Start it, run the command, then Stop: text is what the box said.
struct WarningCatcher {
    WarningCatcher();
    ~WarningCatcher();
    // Waits for the catcher to finish; returns the text of the box, empty if none.
    std::wstring Stop();
    std::wstring text;
    int count = 0;
    std::atomic<bool> answerYes{false};  // how a question of Save As (Yes, No) is answered
    std::wstring question;

private:
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

}  // namespace zt
