// The zoomed copies: sizes, stretching quality, and what the view shows.
#include "support.h"
#include <commctrl.h>

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
    const int cx = w.view->m_nZoomCx;
    auto pic = zt::ZoomedPixels(*w.view);
    ASSERT_EQ(cx, 20);
    ASSERT_EQ(w.view->m_nZoomCy, 20);
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
    const int cx = w.view->m_nZoomCx, cy = w.view->m_nZoomCy;
    auto big = zt::ZoomedPixels(*w.view);
    ASSERT_EQ(cx, 60);
    ASSERT_EQ(cy, 40);
    int bad = 0;
    for (int y = 0; y < cy; ++y)
        for (int x = 0; x < cx; ++x)
            if (big[(size_t)y * cx + x] != zt::Rgb(zt::PatternAt(x / 2, y / 2))) ++bad;
    EXPECT_EQ(bad, 0);
    EXPECT_EQ(zt::ZoomedPixels(*w.view, true), big);
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

namespace {
// The picture at zoom as a freshly made bitmap shows it: what the view's copies must
// hold, whatever memory they reuse.
std::vector<uint32_t> FreshZoom(CZarpView& v, int zoom) {
    const int cx = v.m_nImageCx * zoom / 100, cy = v.m_nImageCy * zoom / 100;
    CBitmap fresh;
    fresh.CreateCompatibleBitmap(&v.m_dcScreen, cx, cy);
    {
        CBitmapDC src(&v.m_dcScreen, v.m_bmpCapture), dst(&v.m_dcScreen, fresh);
        dst.SetStretchBltMode(zoom < 100 ? HALFTONE : COLORONCOLOR);
        dst.SetBrushOrg(0, 0);
        dst.StretchBlt(0, 0, cx, cy, &src, 0, 0, v.m_nImageCx, v.m_nImageCy, SRCCOPY);
    }
    return zt::ReadPixels(fresh);
}

// Client pixels of the view on a 10-px grid that differ from the picture (at the
// scroll position) or, beyond it, from the grey background.
int WrongOnScreen(CZarpView& v, const std::vector<uint32_t>& picture) {
    const CRect client = v.GetClientRect();
    const CPoint scroll = v.GetScrollPosition();
    HDC dc = ::GetDC(v.m_hWnd);
    int wrong = 0;
    for (int y = 0; y < client.bottom; y += 10)
        for (int x = 0; x < client.right; x += 10) {
            const int px = x + scroll.x, py = y + scroll.y;
            const uint32_t want = px < v.m_nZoomCx && py < v.m_nZoomCy ? picture[(size_t)py * v.m_nZoomCx + px] : 0x808080;
            if (zt::Rgb(::GetPixel(dc, x, y)) != want && wrong++ < 4)
                ADD_FAILURE() << "client (" << x << "," << y << ") shows " << std::hex << zt::Rgb(::GetPixel(dc, x, y))
                              << ", not " << want;
        }
    ::ReleaseDC(v.m_hWnd, dc);
    return wrong;
}

void Zoom(zt::ZarpWindow& w, int percent) { ASSERT_TRUE(w.SetZoom(percent)); }
}  // namespace

// The copies keep their memory across zooms that fit it and give it back below a
// quarter; nothing of a larger earlier size shows in the view, the clipboard or a file.
TEST(Zoom, ReusedMemoryNeverShowsThroughAnywhere) {
    FakeClock clock;
    zt::PatternWindow pattern(1700, 900, 151, 97);  // away from the view: it stays on top
    zt::ZarpWindow w(400, 300);
    w.CaptureWindow(pattern.hwnd);
    CZarpView& v = *w.view;
    struct Step {
        int zoom;
        CSize held;  // the copies' memory afterwards
    } steps[] = {{200, {302, 194}}, {100, {302, 194}}, {150, {302, 194}}, {50, {75, 48}}, {200, {302, 194}}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.zoom);
        Zoom(w, step.zoom);
        const auto fresh = FreshZoom(v, step.zoom);
        EXPECT_EQ(zt::ZoomedPixels(v), fresh);
        EXPECT_EQ(zt::ZoomedPixels(v, true), fresh);
        EXPECT_EQ(v.m_bmpZoom.GetSize(), step.held);
        EXPECT_EQ(v.GetTotalSize(), CSize(v.m_nZoomCx, v.m_nZoomCy));
        zt::Pump(20);
        EXPECT_EQ(WrongOnScreen(v, fresh), 0);
    }
    // Back at 100 % in the memory of 200 %: a range, Copy and Save As.
    Zoom(w, 100);
    const auto fresh = FreshZoom(v, 100);
    w.Command(ID_RANGE);
    ::SendMessageW(v.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 50));
    ::SendMessageW(v.m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(300, 200));
    ::SendMessageW(v.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(300, 200));
    ASSERT_EQ(v.OutputRect(), CRect(100, 50, 151, 97));  // clipped to the picture
    std::vector<uint32_t> want;
    for (int y = 50; y < 97; ++y)
        for (int x = 100; x < 151; ++x) want.push_back(fresh[(size_t)y * 151 + x]);
    w.Command(ID_EDIT_COPY);
    int cx = 0, cy = 0;
    EXPECT_EQ(zt::DibPixels(zt::ClipboardDib(), &cx, &cy), want);
    EXPECT_EQ(cx, 51);
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"zarp-reuse.bmp";
    ::DeleteFileW(path.c_str());
    ASSERT_TRUE(v.SavePicture(path.c_str(), L"zarp-reuse.bmp"));
    const std::string bytes = zt::ReadFileBytes(path);
    ::DeleteFileW(path.c_str());
    ASSERT_GT(bytes.size(), 14u);
    EXPECT_EQ(zt::DibPixels(std::vector<uint8_t>(bytes.begin() + 14, bytes.end()), &cx, &cy), want);
}

// Right after a zoom change in a scrolled view the screen shows the new picture at the
// scroll position and grey beyond it, with no band of the old picture.
TEST(Zoom, AZoomChangeInAScrolledViewLeavesNoOldPixels) {
    FakeClock clock;
    zt::PatternWindow pattern(1500, 700, 400, 300);
    zt::ZarpWindow w(300, 200);
    w.CaptureWindow(pattern.hwnd);
    CZarpView& v = *w.view;
    v.ScrollToPosition(CPoint(100, 100));
    zt::Pump(20);
    ASSERT_EQ(v.GetScrollPosition(), CPoint(100, 100));
    // Straight to the view, with no message handled in between: what is on the screen
    // right after the re-render, before any repaint could mend it. The frame has passed
    // the slider's first position on already, so it cannot undo this.
    ASSERT_TRUE(zt::PumpUntil([&] { return w.frame->m_nSliderPos == 100; }));
    v.m_nZoom = 60;  // 240 x 180: smaller than the view, so it scrolls back to 0, 0
    w.Tick();
    EXPECT_EQ(WrongOnScreen(v, FreshZoom(v, 60)), 0);
}

// Without memory for a larger zoom the picture, its zoom, the slider and the percent
// box stay as they were, and one box says why.
TEST(Zoom, WithoutMemoryForTheNewZoomEverythingStaysAndOneBoxSaysWhy) {
    FakeClock clock;
    zt::PatternWindow pattern(600, 500, 200, 150);
    zt::ZarpWindow w(400, 300);
    w.CaptureWindow(pattern.hwnd);
    CZarpView& v = *w.view;
    const auto before = zt::ZoomedPixels(v);
    HWND slider = w.frame->m_wndZoomBar.GetDlgItem(IDC_ZOOM_SLIDER);
    HWND box = w.frame->m_wndZoomBar.GetDlgItem(IDC_ZOOM_EDIT);
    zt::AllocLimit limit(200ull * 150 * 4);  // room for 100 %, not for 200 %
    zt::WarningCatcher catcher;
    ::SendMessageW(slider, TBM_SETPOS, TRUE, 200);
    zt::PumpUntil([&] { return catcher.count > 0; });
    zt::Pump(300);  // the frame's timer runs at least twice more
    EXPECT_EQ(catcher.Stop(), L"メモリが不足しているため、200% で表示できません。");
    EXPECT_EQ(catcher.count, 1);
    EXPECT_EQ(v.m_nZoomShown, 100);
    EXPECT_EQ(v.m_nZoom, 100);
    EXPECT_EQ(::SendMessageW(slider, TBM_GETPOS, 0, 0), 100);
    wchar_t text[16];
    ::GetWindowTextW(box, text, 16);
    EXPECT_STREQ(text, L"100");
    EXPECT_EQ(zt::ZoomedPixels(v), before);
    EXPECT_TRUE(w.frame->IsCommandEnabled(ID_EDIT_COPY));
}
