// Range selection, the output rectangle and the clipboard copy.
#include "../../framework/handles.h"
#include "../../image/DibUtil.h"
#include <functional>
#include "support.h"

using zt::FakeClock;

namespace {
LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

void Press(zt::ZarpWindow& w, int x, int y) { ::SendMessageW(w.view->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, At(x, y)); }
void Move(zt::ZarpWindow& w, int x, int y, WPARAM keys = MK_LBUTTON) {
    ::SendMessageW(w.view->m_hWnd, WM_MOUSEMOVE, keys, At(x, y));
}
void Release(zt::ZarpWindow& w, int x, int y) { ::SendMessageW(w.view->m_hWnd, WM_LBUTTONUP, 0, At(x, y)); }

void Drag(zt::ZarpWindow& w, POINT from, POINT to) {
    HWND v = w.view->m_hWnd;
    ::SendMessageW(v, WM_LBUTTONDOWN, MK_LBUTTON, At(from.x, from.y));
    ::SendMessageW(v, WM_MOUSEMOVE, MK_LBUTTON, At((from.x + to.x) / 2, (from.y + to.y) / 2));
    ::SendMessageW(v, WM_MOUSEMOVE, MK_LBUTTON, At(to.x, to.y));
    ::SendMessageW(v, WM_LBUTTONUP, 0, At(to.x, to.y));
}

struct Counts {
    int n[(int)afx::HandleKind::Count];
    Counts() {
        for (int i = 0; i < (int)afx::HandleKind::Count; ++i) n[i] = afx::LiveCount((afx::HandleKind)i);
    }
    bool operator==(const Counts& o) const { return std::equal(std::begin(n), std::end(n), std::begin(o.n)); }
};

// A Zarp window that has captured a known pattern (the whole 400x300 pattern window).
struct Captured {
    FakeClock clock;
    zt::PatternWindow pattern{1400, 700, 400, 300};  // clear of the view: it stays on top
    zt::ZarpWindow w{300, 200};
    Captured() { w.CaptureWindow(pattern.hwnd); }
};
}  // namespace

TEST(Range, ToggleFollowsTheStateTable) {
    Captured c;
    CZarpView& v = *c.w.view;
    EXPECT_EQ(v.m_bRange, 1);
    EXPECT_TRUE(c.w.frame->IsCommandEnabled(ID_RANGE));
    c.w.Command(ID_RANGE);
    EXPECT_EQ(v.m_nRangeMode, 1);
    EXPECT_EQ(v.m_bRange, 0);
    EXPECT_FALSE(c.w.frame->IsCommandEnabled(ID_EDIT_COPY));

    Drag(c.w, {10, 10}, {20, 15});
    EXPECT_EQ(v.m_rcRange, CRect(10, 10, 20, 15));
    EXPECT_EQ(v.m_bRange, 1);
    EXPECT_EQ(v.m_bDrag, 0);
    EXPECT_TRUE(c.w.frame->IsCommandEnabled(ID_FILE_SAVE_AS));

    // Reverse drag gives the same rectangle; a click without movement is empty.
    Drag(c.w, {20, 15}, {10, 10});
    EXPECT_EQ(v.m_rcRange, CRect(10, 10, 20, 15));
    Drag(c.w, {40, 40}, {40, 40});
    EXPECT_EQ(v.m_bRange, 0);

    // Wholly beyond the picture's right edge (200 px wide at 50 %): clipped to
    // right < left, an empty range, nothing to output.
    ASSERT_TRUE(c.w.SetZoom(50));
    ASSERT_EQ(v.m_nZoomCx, 200);
    Drag(c.w, {250, 10}, {280, 30});
    EXPECT_EQ(v.m_rcRange.right, 200);
    EXPECT_EQ(v.m_rcRange.left, 250);
    EXPECT_EQ(v.m_bRange, 0);
    EXPECT_FALSE(c.w.frame->IsCommandEnabled(ID_EDIT_COPY));

    // Switching off removes the frame and outputs the whole picture again.
    c.w.Command(ID_RANGE);
    EXPECT_EQ(v.m_nRangeMode, 0);
    EXPECT_EQ(v.m_bRange, 1);
    EXPECT_TRUE(v.m_rcRange.IsRectNull());
    EXPECT_EQ(zt::ZoomedPixels(v, true), zt::ZoomedPixels(v));
}

TEST(Range, FrameIsDrawnIntoTheDisplayedCopyOnlyAndSurvivesRepaint) {
    Captured c;
    CZarpView& v = *c.w.view;
    c.w.Command(ID_RANGE);
    Drag(c.w, {20, 20}, {120, 80});
    auto clean = zt::ZoomedPixels(v);
    auto shown = zt::ZoomedPixels(v, true);
    int cx = v.m_nZoomCx;
    // The dotted frame changes pixels on the rectangle's border and nowhere else.
    int onBorder = 0, elsewhere = 0;
    for (int y = 0; y < v.m_nZoomCy; ++y)
        for (int x = 0; x < cx; ++x) {
            if (shown[(size_t)y * cx + x] == clean[(size_t)y * cx + x]) continue;
            bool border = (x >= 20 && x < 120 && (y == 20 || y == 79)) || (y >= 20 && y < 80 && (x == 20 || x == 119));
            ++(border ? onBorder : elsewhere);
        }
    EXPECT_GT(onBorder, 100);
    EXPECT_EQ(elsewhere, 0);
    // A repaint shows the displayed copy, frame included.
    ::RedrawWindow(v.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    HDC dc = ::GetDC(v.m_hWnd);
    for (int x = 20; x < 40; ++x) EXPECT_EQ(zt::Rgb(::GetPixel(dc, x, 20)), shown[20 * cx + x]);
    ::ReleaseDC(v.m_hWnd, dc);
    // A zoom change forgets the range and, in range mode, leaves nothing to output.
    v.m_nZoom = 50;
    c.w.Tick();
    EXPECT_TRUE(v.m_rcRange.IsRectNull());
    EXPECT_EQ(v.m_bRange, 0);
    EXPECT_FALSE(c.w.frame->IsCommandEnabled(ID_EDIT_COPY));
}

TEST(Range, GrabWhileRangeModeIsOnKeepsTheModeWithoutRange) {
    Captured c;
    CZarpView& v = *c.w.view;
    c.w.Command(ID_RANGE);
    Drag(c.w, {20, 20}, {120, 80});
    c.w.CaptureNow(ID_CAPTURE_SCREEN);
    EXPECT_EQ(v.m_nRangeMode, 1);
    EXPECT_EQ(v.m_bRange, 0);
    EXPECT_TRUE(v.m_rcRange.IsRectNull());
}

TEST(Copy, WholePictureAtZoomGoesToTheClipboardAsDib) {
    Captured c;
    CZarpView& v = *c.w.view;
    zt::SetClipboardText(L"old");
    c.w.Command(ID_EDIT_COPY);
    int cx = 0, cy = 0;
    auto px = zt::DibPixels(zt::ClipboardDib(), &cx, &cy);
    ASSERT_EQ(cx, 400);
    ASSERT_EQ(cy, 300);
    EXPECT_EQ(px, zt::ReadPixels(v.m_bmpCapture));

    v.m_nZoom = 50;
    c.w.Tick();
    c.w.Command(ID_EDIT_COPY);
    px = zt::DibPixels(zt::ClipboardDib(), &cx, &cy);
    EXPECT_EQ(cx, v.m_nZoomCx);
    EXPECT_EQ(cx, 200);
    EXPECT_EQ(px, zt::ZoomedPixels(v));
}

TEST(Copy, ScrolledRangeIsTakenFromWhereItWasMarked) {
    Captured c;
    CZarpView& v = *c.w.view;
    c.w.Command(ID_RANGE);
    v.ScrollToPosition(CPoint(30, 40));
    ASSERT_EQ(v.GetScrollPosition(), CPoint(30, 40));
    Drag(c.w, {10, 20}, {110, 70});
    EXPECT_EQ(v.m_rcRange, CRect(10, 20, 110, 70));
    // Scrolling after marking does not move what is exported.
    v.ScrollToPosition(CPoint(0, 0));
    c.w.Command(ID_EDIT_COPY);
    int cx = 0, cy = 0;
    auto px = zt::DibPixels(zt::ClipboardDib(), &cx, &cy);
    ASSERT_EQ(cx, 100);
    ASSERT_EQ(cy, 50);
    int bad = 0;
    for (int y = 0; y < cy; ++y)
        for (int x = 0; x < cx; ++x)
            if (px[(size_t)y * cx + x] != zt::Rgb(zt::PatternAt(40 + x, 60 + y))) ++bad;
    EXPECT_EQ(bad, 0);
}

TEST(Copy, LeavesNoHandleBehindAndNeverDeletesASelectedObject) {
    Captured c;
    c.w.Command(ID_EDIT_COPY);  // the first copy makes the output bitmap, which stays
    Counts before;
    for (int i = 0; i < 5; ++i) c.w.Command(ID_EDIT_COPY);
    c.w.Command(ID_RANGE);
    Drag(c.w, {5, 5}, {60, 60});
    c.w.Command(ID_EDIT_COPY);
    EXPECT_TRUE(Counts() == before);
    EXPECT_EQ(afx::SelectedDeleteCount(), 0);
}

TEST(Copy, NothingToOutputLeavesTheClipboardAlone) {
    FakeClock clock;
    zt::ZarpWindow w;
    zt::SetClipboardText(L"keep");
    w.Command(ID_EDIT_COPY);
    EXPECT_TRUE(zt::ClipboardDib().empty());
    // An abandoned grab gives no picture: range mode on and off still outputs nothing.
    w.view->m_nCaptureMode = 2;
    w.Command(ID_RANGE);
    w.Command(ID_RANGE);
    EXPECT_EQ(w.view->m_bRange, 0);
    EXPECT_FALSE(w.frame->IsCommandEnabled(ID_EDIT_COPY));
    w.view->OnEditCopy();  // even called directly
    EXPECT_TRUE(zt::ClipboardDib().empty());
}

TEST(Scrolling, TheWheelScrollsTheViewWithinThePicture) {
    Captured c;
    CZarpView& v = *c.w.view;
    ASSERT_EQ(v.GetScrollPosition(), CPoint(0, 0));
    ::SendMessageW(v.m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    EXPECT_GT(v.GetScrollPosition().y, 0);
    for (int i = 0; i < 50; ++i) ::SendMessageW(v.m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    CRect client = v.GetClientRect();
    EXPECT_EQ(v.GetScrollPosition().y, 300 - client.Height());  // stops at the picture's end
    ::SendMessageW(v.m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, -WHEEL_DELTA), 0);
    EXPECT_GT(v.GetScrollPosition().x, 0);
    for (int i = 0; i < 50; ++i) ::SendMessageW(v.m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(v.GetScrollPosition().y, 0);
    // "One screen at a time" in the mouse settings: a notch scrolls a page, downwards.
    UINT lines = 3;
    ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    ::SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, WHEEL_PAGESCROLL, nullptr, 0);
    ::SendMessageW(v.m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    ::SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, lines, nullptr, 0);
    EXPECT_EQ(v.GetScrollPosition().y, v.GetTotalSize().cy / 10);
}

TEST(Focus, TheFrameAndAClickHandTheKeyboardFocusToTheView) {
    zt::ZarpWindow w;
    ::SetFocus(w.frame->m_hWnd);
    EXPECT_EQ(::GetFocus(), w.view->m_hWnd);
    ::SetFocus(w.frame->m_wndZoomBar.GetDlgItem(IDC_ZOOM_SLIDER));
    ::SendMessageW(w.view->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
    ::SendMessageW(w.view->m_hWnd, WM_LBUTTONUP, 0, At(10, 10));
    EXPECT_EQ(::GetFocus(), w.view->m_hWnd);
}

// Copy and Save As are enabled exactly when the rectangle they would output is not
// empty and lies inside the picture, through every grab, zoom and range change.
TEST(Output, CopyAndSaveAsFollowWhetherThereIsSomethingToOutput) {
    FakeClock clock;
    zt::PatternWindow narrow(700, 300, 5, 40);
    zt::PatternWindow wide(700, 400, 400, 300);
    zt::ZarpWindow w{300, 200};
    auto zoom = [&](int percent) { ASSERT_TRUE(w.SetZoom(percent)); };
    struct Step {
        const char* label;
        std::function<void()> act;
        bool enabled;
    } steps[] = {
        {"nothing captured", [] {}, false},
        {"a 5-px window captured at 10 %: a 0-px picture", [&] { zoom(10); w.CaptureWindow(narrow.hwnd); }, false},
        {"the same picture back at 100 %", [&] { zoom(100); }, true},
        {"zoomed down to 0 px", [&] { zoom(10); }, false},
        {"a grab at 100 %", [&] { zoom(100); w.CaptureWindow(wide.hwnd); }, true},
        {"range mode on, no range", [&] { w.Command(ID_RANGE); }, false},
        {"a drag in progress", [&] { Press(w, 10, 10); Move(w, 60, 50); }, false},
        {"the drag released", [&] { Release(w, 60, 50); }, true},
        {"a zoom change forgets the range", [&] { zoom(50); }, false},
        {"a drag wholly right of the picture", [&] { Drag(w, {250, 10}, {280, 30}); }, false},
        {"range mode off: the whole picture", [&] { w.Command(ID_RANGE); }, true},
        {"range mode on again, then a new grab", [&] { w.Command(ID_RANGE); w.CaptureWindow(wide.hwnd); }, false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.label);
        step.act();
        EXPECT_EQ(w.frame->IsCommandEnabled(ID_EDIT_COPY), step.enabled);
        EXPECT_EQ(w.frame->IsCommandEnabled(ID_FILE_SAVE_AS), step.enabled);
    }
}

// The view holds the mouse while a range is dragged: a release outside it, a lost
// capture, a zoom change or switching the mode off all end the drag.
TEST(Range, TheDragHoldsTheMouseUntilItEnds) {
    Captured c;
    CZarpView& v = *c.w.view;
    c.w.Command(ID_RANGE);

    // Released beyond the view's client area (280 x 180 or so): the range runs to the
    // last position, clipped to the 400 x 300 picture only.
    Press(c.w, 100, 50);
    EXPECT_EQ(::GetCapture(), v.m_hWnd);
    Move(c.w, 350, 250);
    Release(c.w, 350, 250);
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_EQ(v.m_bDrag, 0);
    EXPECT_EQ(v.m_rcPicture, CRect(100, 50, 350, 250));
    c.w.Command(ID_EDIT_COPY);
    int cx = 0, cy = 0;
    auto px = zt::DibPixels(zt::ClipboardDib(), &cx, &cy);
    ASSERT_EQ(cx, 250);
    ASSERT_EQ(cy, 200);
    EXPECT_EQ(px[0], zt::Rgb(zt::PatternAt(100, 50)));
    EXPECT_EQ(px.back(), zt::Rgb(zt::PatternAt(349, 249)));

    // Moving afterwards with the button up changes nothing.
    auto shown = zt::ZoomedPixels(v, true);
    Move(c.w, 20, 20, 0);
    EXPECT_EQ(v.m_rcPicture, CRect(100, 50, 350, 250));
    EXPECT_EQ(zt::ZoomedPixels(v, true), shown);

    // A repaint during a drag and the wheel leave one band: after the release only the
    // fixed frame shows (none of the band of the first move), at the pressed pixel.
    Press(c.w, 10, 10);
    Move(c.w, 60, 50);
    ::RedrawWindow(v.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    ::SendMessageW(v.m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    EXPECT_EQ(v.GetScrollPosition(), CPoint(0, 0));
    Move(c.w, 100, 80);
    Release(c.w, 100, 80);
    EXPECT_EQ(v.m_rcPicture, CRect(10, 10, 100, 80));
    {
        const auto shownNow = zt::ZoomedPixels(v, true);
        HDC dc = ::GetDC(v.m_hWnd);
        int stray = 0;
        for (int x = 11; x < 59; ++x) stray += zt::Rgb(::GetPixel(dc, x, 49)) != shownNow[49 * 400 + x];
        for (int y = 11; y < 49; ++y) stray += zt::Rgb(::GetPixel(dc, 59, y)) != shownNow[y * 400 + 59];
        ::ReleaseDC(v.m_hWnd, dc);
        EXPECT_EQ(stray, 0);
    }

    // A quick second press (a double-click to the system) starts a drag like any press.
    ::SendMessageW(v.m_hWnd, WM_LBUTTONDBLCLK, MK_LBUTTON, At(30, 30));
    Move(c.w, 50, 40);
    Release(c.w, 50, 40);
    EXPECT_EQ(v.m_rcPicture, CRect(30, 30, 50, 40));

    // Another window takes the mouse: the drag ends where it stood.
    Press(c.w, 10, 10);
    Move(c.w, 40, 30);
    ::SetCapture(c.pattern.hwnd);
    EXPECT_EQ(v.m_bDrag, 0);
    EXPECT_EQ(v.m_rcPicture, CRect(10, 10, 40, 30));
    EXPECT_EQ(v.m_bRange, 1);
    ::ReleaseCapture();

    // A zoom change (and switching the mode off) ends a drag without a range, and the
    // old start point is not carried over to the new picture.
    for (bool byZoom : {true, false}) {
        SCOPED_TRACE(byZoom ? "zoom change" : "range mode off");
        if (!byZoom) c.w.Command(ID_RANGE);
        Press(c.w, 10, 10);
        Move(c.w, 30, 30);
        if (byZoom) {
            ASSERT_TRUE(c.w.SetZoom(v.m_nZoomShown == 100 ? 50 : 100));
        } else {
            c.w.Command(ID_RANGE);
        }
        EXPECT_EQ(v.m_bDrag, 0);
        EXPECT_NE(::GetCapture(), v.m_hWnd);
        Move(c.w, 60, 60);
        EXPECT_TRUE(v.m_rcRange.IsRectNull());
        EXPECT_TRUE(v.m_rcPicture.IsRectNull());
    }
}

TEST(Copy, WithoutMemoryForTheOutputItSaysSoAndLeavesTheClipboard) {
    Captured c;
    struct Case {
        const char* label;
        unsigned long long limit;
    } cases[] = {
        {"no output bitmap", 1000},
        {"an output bitmap but no block for the clipboard", 400ull * 300 * 4},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.label);
        zt::SetClipboardText(L"keep");
        zt::AllocLimit limit(k.limit);
        zt::WarningCatcher catcher;
        c.w.Command(ID_EDIT_COPY);
        EXPECT_EQ(catcher.Stop(), L"メモリが不足しているため、コピーできません。");
        EXPECT_EQ(catcher.count, 1);
        EXPECT_GT(zt::AllocLimit::refused, 0);
        EXPECT_TRUE(zt::ClipboardDib().empty());
    }
    c.w.Command(ID_EDIT_COPY);
    EXPECT_FALSE(zt::ClipboardDib().empty());
}
