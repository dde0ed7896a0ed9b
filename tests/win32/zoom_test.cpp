// The zoomed copies: sizes, stretching quality, and what the view shows.
#include "support.h"

using zt::FakeClock;

namespace {
// Lines: a white 1-px line on black at x = 10, a black one on white at x = 30
// (columns 20..39 white), for the shrink tests.
void PaintLines(HDC dc, int, int) {
    RECT all = {0, 0, 40, 40}, white = {20, 0, 40, 40}, line1 = {10, 0, 11, 40}, line2 = {30, 0, 31, 40};
    ::FillRect(dc, &all, (HBRUSH)::GetStockObject(BLACK_BRUSH));
    ::FillRect(dc, &white, (HBRUSH)::GetStockObject(WHITE_BRUSH));
    ::FillRect(dc, &line1, (HBRUSH)::GetStockObject(WHITE_BRUSH));
    ::FillRect(dc, &line2, (HBRUSH)::GetStockObject(BLACK_BRUSH));
}

int Brightness(uint32_t p) { return ((p >> 16) & 255) + ((p >> 8) & 255) + (p & 255); }
}  // namespace

TEST(Zoom, ShrinkingKeepsThinLinesOfEitherColourVisible) {
    FakeClock clock;
    zt::PaintedWindow lines(200, 200, 40, 40, PaintLines);
    zt::ZarpWindow w;
    w.CaptureWindow(lines.hwnd);
    ASSERT_EQ(w.view->m_nImageCx, 40);
    w.view->m_nZoom = 50;
    w.Tick();
    int cx = 0, cy = 0;
    auto pic = zt::ReadPixels(w.view->m_bmpZoom, &cx, &cy);
    ASSERT_EQ(cx, 20);
    ASSERT_EQ(cy, 20);
    // Row 10: columns 0..9 come from the black half, 10..19 from the white half.
    int brightestDark = 0, darkestLight = 765;
    for (int x = 0; x < 10; ++x) brightestDark = std::max(brightestDark, Brightness(pic[10 * cx + x]));
    for (int x = 10; x < 20; ++x) darkestLight = std::min(darkestLight, Brightness(pic[10 * cx + x]));
    EXPECT_GE(brightestDark, 150) << "the white line vanished";
    EXPECT_LE(darkestLight, 615) << "the black line vanished";
}

TEST(Zoom, EnlargingMakesEachPixelAnExactBlock) {
    FakeClock clock;
    zt::PatternWindow pattern(500, 400, 30, 20);
    zt::ZarpWindow w;
    w.CaptureWindow(pattern.hwnd);
    ASSERT_EQ(w.view->m_nImageCx, 30);
    w.view->m_nZoom = 200;
    w.Tick();
    int cx = 0, cy = 0;
    auto big = zt::ReadPixels(w.view->m_bmpZoom, &cx, &cy);
    ASSERT_EQ(cx, 60);
    ASSERT_EQ(cy, 40);
    int bad = 0;
    for (int y = 0; y < cy; ++y)
        for (int x = 0; x < cx; ++x)
            if (big[(size_t)y * cx + x] != zt::Rgb(zt::PatternAt(x / 2, y / 2))) ++bad;
    EXPECT_EQ(bad, 0);
    EXPECT_EQ(zt::ReadPixels(w.view->m_bmpZoomSave), big);
    EXPECT_EQ(w.view->GetTotalSize(), CSize(60, 40));
}

TEST(Zoom, SizesTruncateWithNoMinimumPixel) {
    FakeClock clock;
    zt::PatternWindow pattern(100, 100, 9, 9);
    zt::ZarpWindow w;
    w.CaptureWindow(pattern.hwnd);
    ASSERT_EQ(w.view->m_nImageCx, 9);
    w.view->m_nZoom = 10;
    w.Tick();
    EXPECT_EQ(w.view->m_nZoomCx, 0);
    EXPECT_EQ(w.view->m_nZoomCy, 0);
}

TEST(Zoom, ViewShowsThePictureAndGreyBeyondIt) {
    FakeClock clock;
    zt::PatternWindow pattern(600, 500, 100, 80);
    zt::ZarpWindow w(640, 480);
    w.CaptureWindow(pattern.hwnd);
    ::RedrawWindow(w.view->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    HDC dc = ::GetDC(w.view->m_hWnd);
    EXPECT_EQ(::GetPixel(dc, 5, 7), zt::PatternAt(5, 7));
    EXPECT_EQ(::GetPixel(dc, 99, 79), zt::PatternAt(99, 79));
    EXPECT_EQ(::GetPixel(dc, 100, 10), RGB(128, 128, 128));
    EXPECT_EQ(::GetPixel(dc, 10, 80), RGB(128, 128, 128));
    EXPECT_EQ(::GetPixel(dc, 600, 400), RGB(128, 128, 128));
    ::ReleaseDC(w.view->m_hWnd, dc);
}
