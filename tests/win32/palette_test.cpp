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

// Four bands of colours the default system palette holds exactly.
const COLORREF kBands[] = {RGB(255, 0, 0), RGB(0, 128, 0), RGB(0, 0, 255), RGB(255, 255, 255)};
void PaintBands(HDC dc, int, int) {
    for (int i = 0; i < 4; ++i) {
        RECT r{i * 10, 0, i * 10 + 10, 20};
        HBRUSH b = ::CreateSolidBrush(kBands[i]);
        ::FillRect(dc, &r, b);
        ::DeleteObject(b);
    }
}
}  // namespace

TEST(PaletteDisplay, CopyGivesAnEightBitDibWithTheScreenColours) {
    if (!OnPaletteDisplay()) GTEST_SKIP() << "not a palette display";
    FakeClock clock;
    zt::PaintedWindow bands(300, 300, 40, 20, PaintBands);
    zt::ZarpWindow w(300, 200);
    w.CaptureWindow(bands.hwnd);
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
}
