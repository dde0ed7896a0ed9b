// Range selection, the output rectangle and the clipboard copy.
#include "../../framework/handles.h"
#include "../../image/DibUtil.h"
#include "support.h"

using zt::FakeClock;

namespace {
LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

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
    zt::PatternWindow pattern{700, 300, 400, 300};
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

    // Beyond the picture's right edge: clipped, right < left, nothing to output.
    Drag(c.w, {250, 10}, {280, 30});
    c.w.view->ScrollToPosition(CPoint(0, 0));
    EXPECT_LE(v.m_rcRange.right, 400);

    // Switching off removes the frame and outputs the whole picture again.
    c.w.Command(ID_RANGE);
    EXPECT_EQ(v.m_nRangeMode, 0);
    EXPECT_EQ(v.m_bRange, 1);
    EXPECT_TRUE(v.m_rcRange.IsRectNull());
    EXPECT_EQ(zt::ReadPixels(v.m_bmpZoomSave), zt::ReadPixels(v.m_bmpZoom));
}

TEST(Range, FrameIsDrawnIntoTheDisplayedCopyOnlyAndSurvivesRepaint) {
    Captured c;
    CZarpView& v = *c.w.view;
    c.w.Command(ID_RANGE);
    Drag(c.w, {20, 20}, {120, 80});
    auto clean = zt::ReadPixels(v.m_bmpZoom);
    auto shown = zt::ReadPixels(v.m_bmpZoomSave);
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
    EXPECT_EQ(px, zt::ReadPixels(v.m_bmpZoom));
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
}

TEST(Focus, TheFrameHandsTheKeyboardFocusToTheView) {
    zt::ZarpWindow w;
    ::SetFocus(w.frame->m_hWnd);
    EXPECT_EQ(::GetFocus(), w.view->m_hWnd);
}
