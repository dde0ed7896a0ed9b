// Zoomed sizes, drag rectangles and the clipping of ranges and captured windows.
#include <gtest/gtest.h>

#include <climits>
#include <ostream>

#include "frame/zoombar_layout.h"
#include "view/zoom_math.h"

namespace zarp {
// Readable failure messages for rectangles.
void PrintTo(const IRect& r, std::ostream* os) {
    *os << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")";
}
}  // namespace zarp

namespace {

using zarp::ClipToScreen;
using zarp::ClipToPicture;
using zarp::IPoint;
using zarp::IRect;
using zarp::NormaliseDrag;
using zarp::ZoomedLength;

TEST(ZoomMath, ZoomedLengthTruncatesTheProduct) {
    struct Case {
        int length, percent, zoomed;
    } cases[] = {
        {1023, 33, 337},
        {9, 10, 0},                  // no one-pixel minimum
        {1024, 10, 102},
        {768, 10, 76},
        {99, 1, 0},
        {100, 1, 1},
        {7, 50, 3},
        {1024, 25, 256},
        {640, 100, 640},
        {640, 200, 1280},
        {0, 500, 0},
        {30000000, 100, 30000000},   // percent * length passes INT_MAX
        {20000000, 200, 40000000},
        {INT_MAX, 100, INT_MAX},
        {INT_MAX, 50, INT_MAX / 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ZoomedLength(c.length, c.percent), c.zoomed) << c.length << " px at " << c.percent << " %";
}

TEST(ZoomMath, DragGivesTheSameRectangleInEveryDirection) {
    struct Case {
        IPoint a, b;
        IRect r;
    } cases[] = {
        {{10, 10}, {20, 15}, {10, 10, 20, 15}},
        {{20, 10}, {10, 15}, {10, 10, 20, 15}},  // the diagonal the other way
        {{0, 0}, {0, 40}, {0, 0, 0, 40}},        // a line has no width
        {{5, 5}, {5, 5}, {5, 5, 5, 5}},
        {{-3, 7}, {4, -2}, {-3, -2, 4, 7}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NormaliseDrag(c.a, c.b), c.r);
        EXPECT_EQ(NormaliseDrag(c.b, c.a), c.r);
        EXPECT_EQ(NormaliseDrag({c.a.x, c.b.y}, {c.b.x, c.a.y}), c.r);
        EXPECT_EQ(NormaliseDrag({c.b.x, c.a.y}, {c.a.x, c.b.y}), c.r);
    }
}

TEST(ZoomMath, ClipToPictureKeepsTheRangeOnTheZoomedPicture) {
    struct Case {
        const char* what;
        IRect r;
        int sx, sy, cx, cy;
        IRect clipped;
    } cases[] = {
        {"inside, not scrolled", {10, 10, 20, 15}, 0, 0, 100, 80, {10, 10, 20, 15}},
        {"past right and bottom", {50, 40, 150, 120}, 0, 0, 100, 80, {50, 40, 100, 80}},
        {"scrolled: right edge at cx - sx", {10, 10, 90, 70}, 30, 25, 100, 80, {10, 10, 70, 55}},
        {"picture smaller than the window", {10, 10, 300, 200}, 0, 0, 50, 40, {10, 10, 50, 40}},
        {"above and left of the picture", {-5, -8, 20, 20}, 0, 0, 100, 80, {0, 0, 20, 20}},
        {"left bound follows the scroll", {-20, -30, 20, 20}, 10, 15, 100, 80, {-10, -15, 20, 20}},
        {"exactly the picture", {0, 0, 100, 80}, 0, 0, 100, 80, {0, 0, 100, 80}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClipToPicture(c.r, c.sx, c.sy, c.cx, c.cy), c.clipped) << c.what;
    }
}

TEST(ZoomMath, DragWhollyPastThePictureStaysEmpty) {
    // Only the far sides are pulled in, so the near side stays beyond them.
    IRect right = ClipToPicture({150, 10, 200, 20}, 0, 0, 100, 80);
    EXPECT_EQ(right, (IRect{150, 10, 100, 20}));
    EXPECT_LT(right.right, right.left);
    EXPECT_TRUE(right.IsEmpty());

    IRect below = ClipToPicture({10, 90, 20, 120}, 0, 0, 100, 80);
    EXPECT_EQ(below, (IRect{10, 90, 20, 80}));
    EXPECT_TRUE(below.IsEmpty());

    IRect scrolledPast = ClipToPicture({80, 10, 95, 20}, 30, 0, 100, 80);  // picture ends at x = 70
    EXPECT_TRUE(scrolledPast.IsEmpty());

    EXPECT_FALSE(ClipToPicture({10, 10, 11, 11}, 0, 0, 100, 80).IsEmpty());
    EXPECT_TRUE(ClipToPicture({10, 10, 10, 11}, 0, 0, 100, 80).IsEmpty());
}

TEST(ZoomMath, ClipToScreen) {
    const IRect one{0, 0, 1024, 768};
    // A 1920 x 1080 monitor left of a 1024 x 768 primary, its top 300 px higher; and a
    // 2560 x 1440 monitor above the primary.
    const IRect left{-1920, -300, 1024, 780}, above{0, -1440, 2560, 768};
    struct Case {
        const char* what;
        IRect screen, window, clipped;  // an empty clipped: nothing to grab
    } cases[] = {
        {"maximised with its frame outside", one, {-4, -4, 1028, 772}, {0, 0, 1024, 768}},
        {"past the left edge", one, {-100, 50, 300, 250}, {0, 50, 300, 250}},
        {"past the bottom right", one, {900, 700, 1200, 900}, {900, 700, 1024, 768}},
        {"inside", one, {100, 100, 200, 200}, {100, 100, 200, 200}},
        {"wholly past the right edge", one, {1100, 100, 1300, 300}, {}},
        {"wholly above and left", one, {-300, -300, -10, -10}, {}},
        {"wholly on the monitor to the left", left, {-1500, -200, -700, 400}, {-1500, -200, -700, 400}},
        {"straddling both monitors", left, {-400, 100, 400, 500}, {-400, 100, 400, 500}},
        {"maximised on the left monitor", left, {-1928, -308, 8, 788}, {-1920, -300, 8, 780}},
        {"on the monitor above", above, {200, -1000, 2700, -100}, {200, -1000, 2560, -100}},
        {"outside every monitor", left, {2000, 100, 2400, 300}, {}},
    };
    for (const Case& c : cases) {
        const IRect r = ClipToScreen(c.window, c.screen);
        EXPECT_EQ(r, c.clipped) << c.what;
        EXPECT_EQ(r.IsEmpty(), c.clipped.IsEmpty()) << c.what;
    }
}

TEST(ZoomMath, KeyboardMenuOpensAtTheRangeCornerInsideTheView) {
    struct Case {
        const char* what;
        IRect range;
        IPoint scroll;
        int cx, cy;
        IPoint at;
    } cases[] = {
        {"no range: the view's corner", {0, 0, 0, 0}, {50, 60}, 400, 300, {0, 0}},
        {"an empty range counts as none", {120, 80, 120, 200}, {0, 0}, 400, 300, {0, 0}},
        {"range in sight", {120, 80, 200, 150}, {0, 0}, 400, 300, {120, 80}},
        {"scrolled: less the scroll position", {520, 380, 600, 450}, {400, 300}, 400, 300, {120, 80}},
        {"corner scrolled off above and left", {10, 20, 200, 150}, {50, 60}, 400, 300, {0, 0}},
        {"corner beyond the right and bottom", {900, 700, 950, 750}, {0, 0}, 400, 300, {399, 299}},
        {"no client area", {120, 80, 200, 150}, {0, 0}, 0, 0, {0, 0}},
        {"extreme values", {INT_MAX - 1, INT_MIN, INT_MAX, INT_MIN + 5}, {INT_MIN, INT_MAX}, 400, 300, {399, 0}},
    };
    for (const Case& c : cases) {
        IPoint p = zarp::KeyboardMenuPoint(c.range, c.scroll, c.cx, c.cy);
        EXPECT_EQ(p.x, c.at.x) << c.what;
        EXPECT_EQ(p.y, c.at.y) << c.what;
    }
}

}  // namespace

TEST(ZoomBarLayout, SliderKeepsItsBottomMarginAtEveryDpi) {
    struct Case {
        const char* label;
        int client, top, dpi, height;
    } cases[] = {
        {"96 DPI: client less 100, wherever the top is", 600, 97, 96, 500},
        {"96 DPI, other top", 600, 40, 96, 500},
        {"144 DPI: top scaled back gives the same margin", 600, 145, 144, 600 - 145 - 4},
        {"192 DPI", 1000, 194, 192, 1000 - 194 - 3},
        {"tiny client clamps at 0", 80, 97, 96, 0},
        {"top past 100 px at 96 DPI: no negative margin", 600, 130, 96, 470},
        {"unknown DPI counts as 96", 600, 97, 0, 500},
    };
    for (const auto& c : cases)
        EXPECT_EQ(zarp::SliderHeight(c.client, c.top, c.dpi), c.height) << c.label;
}
