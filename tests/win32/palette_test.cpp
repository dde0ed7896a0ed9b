// On a palette display (8 bits per pixel), Copy gives an 8-bit DIB whose colour table,
// read under the system palette, shows the colours that were on the screen. These
// tests run only on such a display (tests/win32/palette_display.sh starts one).
#include <cstring>
#include "support.h"

using zt::FakeClock;

namespace {
bool OnPaletteDisplay() {
    HDC dc = ::GetDC(nullptr);
    bool palette = (::GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) != 0;
    ::ReleaseDC(nullptr, dc);
    return palette;
}

LRESULT CALLBACK SolidProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(h, &ps);
        // Four bands of colours the default system palette holds exactly.
        const COLORREF colours[] = {RGB(255, 0, 0), RGB(0, 128, 0), RGB(0, 0, 255), RGB(255, 255, 255)};
        for (int i = 0; i < 4; ++i) {
            RECT r{i * 10, 0, i * 10 + 10, 20};
            HBRUSH b = ::CreateSolidBrush(colours[i]);
            ::FillRect(dc, &r, b);
            ::DeleteObject(b);
        }
        ::EndPaint(h, &ps);
        return 0;
    }
    return ::DefWindowProcW(h, msg, w, l);
}
}  // namespace

TEST(PaletteDisplay, CopyGivesAnEightBitDibWithTheScreenColours) {
    if (!OnPaletteDisplay()) GTEST_SKIP() << "not a palette display";
    FakeClock clock;
    WNDCLASSW wc{};
    wc.lpfnWndProc = SolidProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZarpTestSolid";
    ::RegisterClassW(&wc);
    HWND solid = ::CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 300, 300, 40, 20,
                                   nullptr, nullptr, wc.hInstance, nullptr);
    ::UpdateWindow(solid);
    zt::ZarpWindow w(300, 200);
    w.CaptureWindow(solid);
    ASSERT_EQ(w.view->m_nImageCx, 40);

    // What the screen shows, read back through the display itself.
    COLORREF screen[4];
    HDC sdc = ::GetDC(nullptr);
    for (int i = 0; i < 4; ++i) screen[i] = ::GetPixel(sdc, 300 + i * 10 + 5, 310);
    ::ReleaseDC(nullptr, sdc);

    w.Command(ID_EDIT_COPY);
    auto dib = zt::ClipboardDib();
    ASSERT_GE(dib.size(), 40u + 1024u);
    BITMAPINFOHEADER h;
    memcpy(&h, dib.data(), sizeof h);
    EXPECT_EQ(h.biBitCount, 8);
    EXPECT_EQ(h.biWidth, 40);
    EXPECT_EQ(dib.size(), 40u + 1024u + 40u * 20u);
    const RGBQUAD* table = reinterpret_cast<const RGBQUAD*>(dib.data() + 40);
    const uint8_t* rows = dib.data() + 40 + 1024;
    for (int i = 0; i < 4; ++i) {
        uint8_t index = rows[10 * 40 + i * 10 + 5];  // row 10 from the bottom, band i
        const RGBQUAD& q = table[index];
        EXPECT_EQ(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue), screen[i]) << "band " << i;
    }
    ::DestroyWindow(solid);
}
