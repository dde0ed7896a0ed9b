// Timed capture and the grab, on the real (virtual) screen with windows of known pixels.
#include "support.h"
#include "../../view/window_bounds.h"

using zt::FakeClock;
using zt::Pump;

namespace {
// Expects the picture to equal the pattern window's pixels: picture pixel (px, py)
// shows screen pixel (px + sx, py + sy), and the pattern window's top-left is (wx, wy).
void ExpectPatternRegion(const std::vector<uint32_t>& pic, int picCx, int sx, int sy, CRect region, int wx, int wy) {
    int bad = 0;
    for (int y = region.top; y < region.bottom; ++y)
        for (int x = region.left; x < region.right; ++x) {
            uint32_t want = zt::Rgb(zt::PatternAt(x - wx, y - wy));
            uint32_t got = pic[(size_t)(y - sy) * picCx + (x - sx)];
            if (got != want && bad++ < 5) ADD_FAILURE() << "screen (" << x << "," << y << ") got " << std::hex << got << " want " << want;
        }
    EXPECT_EQ(bad, 0);
}
int ScreenCx() { return ::GetSystemMetrics(SM_CXSCREEN); }
const RECT kSmall{0, 0, 800, 500};
int ScreenCy() { return ::GetSystemMetrics(SM_CYSCREEN); }
}  // namespace

TEST(Capture, FiresOnlyWhenElapsedTimeExceedsTheWait) {
    FakeClock clock;
    zt::ZarpWindow w;
    FakeClock::now = 250000;
    w.Command(ID_CAPTURE_SCREEN);
    EXPECT_FALSE(w.frame->IsWindowVisible());
    EXPECT_EQ(w.view->m_nCaptureMode, 1);
    FakeClock::now = 251000;
    w.Tick();
    EXPECT_TRUE(w.view->m_bmpCapture.IsNull());
    EXPECT_FALSE(w.frame->IsWindowVisible());
    FakeClock::now = 251001;
    w.Tick();
    EXPECT_FALSE(w.view->m_bmpCapture.IsNull());
    EXPECT_TRUE(w.frame->IsWindowVisible());
    EXPECT_EQ(w.view->m_bPending, 0);
    EXPECT_EQ(w.view->m_nStartMs, 0);
}

TEST(Capture, WrapsAtTheEndOfTheStampCycleAndAcceptsStampZero) {
    FakeClock clock;
    zt::ZarpWindow w;
    FakeClock::now = 999500;
    w.Command(ID_CAPTURE_SCREEN);
    FakeClock::now = 400;  // elapsed 900
    w.Tick();
    EXPECT_TRUE(w.view->m_bmpCapture.IsNull());
    FakeClock::now = 700;  // elapsed 1200
    w.Tick();
    EXPECT_EQ(w.view->m_nNowMs, 1000700);
    EXPECT_FALSE(w.view->m_bmpCapture.IsNull());

    // A request made in the first millisecond of a cycle is pending like any other.
    FakeClock::now = 0;
    w.Command(ID_CAPTURE_SCREEN);
    FakeClock::now = 1001;
    w.Tick();
    EXPECT_TRUE(w.frame->IsWindowVisible());
    EXPECT_EQ(w.view->m_bPending, 0);
}

TEST(Capture, CommandsDuringTheWaitActOnThePendingRequest) {
    FakeClock clock;
    zt::ZarpWindow w;
    w.Command(ID_WAIT_15);
    FakeClock::now = 100000;
    w.Command(ID_CAPTURE_SCREEN);
    // A shorter wait applies to the pending request (the frame is hidden, so the
    // command arrives at the view directly).
    ::SendMessageW(w.view->m_hWnd, WM_COMMAND, ID_WAIT_5, 0);
    FakeClock::now = 105000;
    w.Tick();
    EXPECT_FALSE(w.frame->IsWindowVisible());
    // A second capture command restarts the wait and replaces the mode.
    FakeClock::now = 105000;
    ::SendMessageW(w.view->m_hWnd, WM_COMMAND, ID_CAPTURE_ACTIVE, 0);
    FakeClock::now = 106000;
    w.Tick();
    EXPECT_FALSE(w.frame->IsWindowVisible());
    EXPECT_EQ(w.view->m_nCaptureMode, 2);
    FakeClock::now = 110001;
    zt::WarningCatcher catcher;  // no window in front to grab: the box says so
    w.Tick();
    catcher.Stop();
    EXPECT_TRUE(w.frame->IsWindowVisible());
}

TEST(Capture, WholeScreenIsTheDesktopPixelForPixel) {
    FakeClock clock;
    zt::PatternWindow pattern(300, 200, 160, 120);
    zt::ZarpWindow w;
    w.CaptureNow(ID_CAPTURE_SCREEN);
    int cx = 0, cy = 0;
    auto pic = zt::ReadPixels(w.view->m_bmpCapture, &cx, &cy);
    EXPECT_EQ(cx, ScreenCx());
    EXPECT_EQ(cy, ScreenCy());
    EXPECT_EQ(w.view->m_nImageCx, cx);
    ASSERT_FALSE(pic.empty());
    ExpectPatternRegion(pic, cx, 0, 0, CRect(300, 200, 460, 320), 300, 200);
    EXPECT_EQ(w.view->m_bRange, 1);
    // At 100 % the zoomed copies equal the capture.
    EXPECT_EQ(w.view->m_nZoomCx, cx);
    EXPECT_EQ(zt::ZoomedPixels(*w.view), pic);
    EXPECT_EQ(zt::ZoomedPixels(*w.view, true), pic);
}

struct WindowCase {
    int x, y, cx, cy;
};

class ActiveWindowCapture : public ::testing::TestWithParam<WindowCase> {};

TEST_P(ActiveWindowCapture, TakesTheVisiblePartOfTheForegroundWindow) {
    const WindowCase c = GetParam();
    FakeClock clock;
    zt::ZarpWindow w;
    w.Command(ID_CAPTURE_ACTIVE);
    zt::PatternWindow pattern(c.x, c.y, c.cx, c.cy);
    pattern.BringToFront();
    ASSERT_EQ(::GetForegroundWindow(), pattern.hwnd);
    FakeClock::now += w.view->m_nWaitMs + 1;
    w.Tick();

    CRect visible(std::max(c.x, 0), std::max(c.y, 0), std::min(c.x + c.cx, ScreenCx()), std::min(c.y + c.cy, ScreenCy()));
    int cx = 0, cy = 0;
    auto pic = zt::ReadPixels(w.view->m_bmpCapture, &cx, &cy);
    EXPECT_EQ(cx, visible.Width());
    EXPECT_EQ(cy, visible.Height());
    ASSERT_EQ(pic.size(), (size_t)visible.Width() * visible.Height());
    ExpectPatternRegion(pic, cx, visible.left, visible.top, visible, c.x, c.y);
}

INSTANTIATE_TEST_SUITE_P(Edges, ActiveWindowCapture,
                         ::testing::Values(WindowCase{400, 300, 200, 150},      // inside
                                           WindowCase{-100, 50, 400, 200},      // past the left edge
                                           WindowCase{50, -60, 300, 200},       // past the top edge
                                           WindowCase{1800, 1000, 300, 200},    // past right and bottom
                                           WindowCase{-4, -4, 1928, 1088}));    // past every edge

// A grab that takes nothing (the window in front minimised, on no monitor, or no
// window in front) leaves the previous picture and its state, brings the frame back
// and says why in one box.
TEST(Capture, AGrabThatTakesNothingKeepsThePictureAndSaysWhy) {
    FakeClock clock;
    zt::ZarpWindow w;
    w.CaptureNow(ID_CAPTURE_SCREEN);
    HBITMAP before = (HBITMAP)w.view->m_bmpCapture.GetSafeHandle();
    const RECT screen{0, 0, ScreenCx(), ScreenCy()};
    struct Row {
        const char* what;
        RECT window;
        bool minimise;
        std::wstring text;
    } rows[] = {
        {"minimised", {100, 100, 300, 200}, true, L"アクティブウィンドウが最小化されているため、取り込めませんでした。"},
        {"off every monitor", {screen.right + 50, 100, screen.right + 250, 200}, false,
         L"アクティブウィンドウが画面の外にあるため、取り込めませんでした。"},
        {"on no monitor of a smaller virtual screen", {900, 600, 1100, 700}, false,
         L"アクティブウィンドウが画面の外にあるため、取り込めませんでした。"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        zt::PatternWindow pattern(r.window.left, r.window.top, 200, 100, r.minimise ? WS_OVERLAPPEDWINDOW : WS_POPUP);
        zarp::SetVirtualScreenForTesting(r.window.left == 900 ? &kSmall : nullptr);
        w.Command(ID_CAPTURE_ACTIVE);
        pattern.BringToFront();
        if (r.minimise) ::ShowWindow(pattern.hwnd, SW_MINIMIZE);
        ::SetForegroundWindow(pattern.hwnd);
        Pump(20);
        if (::GetForegroundWindow() != pattern.hwnd) continue;  // no minimised foreground window here
        FakeClock::now += w.view->m_nWaitMs + 1;
        zt::WarningCatcher catcher;
        w.Tick();
        EXPECT_EQ(catcher.Stop(), r.text);
        EXPECT_EQ(catcher.count, 1);
        EXPECT_EQ((HBITMAP)w.view->m_bmpCapture.GetSafeHandle(), before);
        EXPECT_EQ(w.view->m_nImageCx, ScreenCx());
        EXPECT_EQ(w.view->m_nCaptureMode, CZarpView::kCaptureActive);
        EXPECT_EQ(w.view->m_bRange, 1);
        EXPECT_TRUE(w.frame->IsWindowVisible());
        EXPECT_EQ(w.view->m_bPending, 0);
    }
    zarp::SetVirtualScreenForTesting(nullptr);
}

// A grab of a new size makes its memory before the old picture goes: without it the
// old picture stays, the frame comes back, and a box says why.
TEST(Capture, WithoutMemoryForANewPictureTheOldOneStays) {
    FakeClock clock;
    zt::PatternWindow small(700, 300, 120, 90), big(600, 200, 300, 200);
    zt::ZarpWindow w;
    w.CaptureWindow(small.hwnd);
    const auto before = zt::ZoomedPixels(*w.view);
    zt::AllocLimit limit(120ull * 90 * 4);
    zt::WarningCatcher catcher;
    w.CaptureWindow(big.hwnd);
    EXPECT_EQ(catcher.Stop(), L"メモリが不足しているため、画面を取り込めません。");
    EXPECT_EQ(catcher.count, 1);
    EXPECT_EQ(w.view->m_nImageCx, 120);
    EXPECT_EQ(zt::ZoomedPixels(*w.view), before);
    EXPECT_EQ(w.view->m_bRange, 1);
    EXPECT_TRUE(w.frame->IsWindowVisible());
    EXPECT_EQ(w.view->m_bPending, 0);
}

TEST(Capture, NoPictureYetZoomChangeRendersEmptyAndGrey) {
    zt::ZarpWindow w;
    w.view->m_nZoom = 50;
    w.Tick();
    EXPECT_EQ(w.view->m_nZoomShown, 50);
    EXPECT_EQ(w.view->m_nZoomCx, 0);
    EXPECT_EQ(w.view->m_nZoomCy, 0);
    EXPECT_EQ(w.view->GetTotalSize(), CSize(0, 0));
    EXPECT_EQ(w.view->m_bRange, 0);
    w.view->Invalidate();
    w.view->UpdateWindow();
    HDC dc = ::GetDC(w.view->m_hWnd);
    EXPECT_EQ(::GetPixel(dc, 10, 10), RGB(128, 128, 128));
    EXPECT_EQ(::GetPixel(dc, 300, 200), RGB(128, 128, 128));
    ::ReleaseDC(w.view->m_hWnd, dc);
}

namespace {
// Stands in for the desktop window manager: answers hr and, on success, the window
// rectangle less the inset on each side (Windows 10 hides about 7 pixels of resize
// border on the left, right and bottom).
struct FrameStandIn {
    static HRESULT hr;
    static RECT inset;
    static HRESULT Query(HWND hWnd, RECT* pBounds) {
        RECT r;
        ::GetWindowRect(hWnd, &r);
        *pBounds = {r.left + inset.left, r.top + inset.top, r.right - inset.right, r.bottom - inset.bottom};
        return hr;
    }
    FrameStandIn() { zarp::SetFrameBoundsQueryForTesting(&Query); }
    ~FrameStandIn() { zarp::SetFrameBoundsQueryForTesting(nullptr); }
};
HRESULT FrameStandIn::hr = S_OK;
RECT FrameStandIn::inset{};
}  // namespace

TEST(Capture, ActiveWindowIsItsVisibleFrameWhenTheDesktopManagerKnowsIt) {
    struct Case {
        const char* label;
        WindowCase window;
        HRESULT hr;
        RECT inset;
        CRect want;  // screen rectangle of the picture
        const RECT* screen = nullptr;  // a virtual screen of the test's, or the real one
    } cases[] = {
        {"visible frame inside the window", {400, 300, 200, 150}, S_OK, {7, 0, 7, 7}, {407, 300, 593, 443}},
        {"visible frame past the left edge", {-100, 50, 400, 200}, S_OK, {7, 0, 7, 7}, {0, 50, 293, 243}},
        {"visible frame past right and bottom", {ScreenCx() - 120, ScreenCy() - 80, 300, 200}, S_OK, {7, 0, 7, 7},
         {ScreenCx() - 113, ScreenCy() - 80, ScreenCx(), ScreenCy()}},
        {"the query fails: the window rectangle", {400, 300, 200, 150}, E_NOTIMPL, {7, 0, 7, 7}, {400, 300, 600, 450}},
        {"an empty answer: the window rectangle", {400, 300, 200, 150}, S_OK, {100, 0, 100, 0}, {400, 300, 600, 450}},
        {"cut to the virtual screen, not the desktop", {700, 400, 200, 200}, E_NOTIMPL, {}, {700, 400, 800, 500}, &kSmall},
    };
    FakeClock clock;
    FrameStandIn standIn;
    zt::ZarpWindow w;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        FrameStandIn::hr = c.hr;
        FrameStandIn::inset = c.inset;
        zarp::SetVirtualScreenForTesting(c.screen);
        zt::PatternWindow pattern(c.window.x, c.window.y, c.window.cx, c.window.cy);
        w.CaptureWindow(pattern.hwnd);
        int cx = 0, cy = 0;
        auto pic = zt::ReadPixels(w.view->m_bmpCapture, &cx, &cy);
        EXPECT_EQ(cx, c.want.Width());
        EXPECT_EQ(cy, c.want.Height());
        zarp::SetVirtualScreenForTesting(nullptr);
        if (pic.size() != (size_t)c.want.Width() * c.want.Height()) continue;
        ExpectPatternRegion(pic, cx, c.want.left, c.want.top, c.want, c.window.x, c.window.y);
    }
}
