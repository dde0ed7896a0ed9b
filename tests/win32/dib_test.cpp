// Packed DIBs from bitmaps of known pixels, compared byte for byte, and the BMP writer.
#include <cstring>
#include "../../framework/memory.h"
#include "../../image/DibUtil.h"
#include "support.h"

namespace {
std::vector<uint8_t> BlockBytes(HGLOBAL h) {
    CGlobalLock lock(h);
    auto* p = static_cast<const uint8_t*>(lock.Get());
    return p ? std::vector<uint8_t>(p, p + lock.Size()) : std::vector<uint8_t>();
}
uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | ((uint32_t)b[at + 3] << 24);
}
uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return (uint16_t)(b[at] | (b[at + 1] << 8)); }

// A display-compatible bitmap with the given pixels (0x00RRGGBB, top row first).
HBITMAP MakeBitmap(int cx, int cy, const std::vector<uint32_t>& px) {
    HDC screen = ::GetDC(nullptr);
    HBITMAP bmp = ::CreateCompatibleBitmap(screen, cx, cy);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), cx, -cy, 1, 32, BI_RGB};
    ::SetDIBits(screen, bmp, 0, cy, px.data(), &bi, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    return bmp;
}
}  // namespace

TEST(Dib, DisplayBitmapBecomesHeaderAndBottomUpRows) {
    zt::ZarpWindow w;
    const std::vector<uint32_t> px = {0x112233, 0x445566, 0x778899,  // top row
                                      0xAABBCC, 0xDDEEFF, 0x010203};
    HBITMAP bmp = MakeBitmap(3, 2, px);
    BITMAP bm{};
    ::GetObjectW(bmp, sizeof bm, &bm);
    CDibUtil util;
    CGlobalMem h = util.BitmapToDib(bmp, w.view->m_hWnd);
    ASSERT_NE(h.Get(), nullptr);
    auto b = BlockBytes(h.Get());
    const int bpp = bm.bmBitsPixel * bm.bmPlanes;
    const uint32_t stride = ((3 * bpp + 31) & ~31) / 8;
    EXPECT_EQ(U32(b, 0), 40u);
    EXPECT_EQ((int32_t)U32(b, 4), 3);
    EXPECT_EQ((int32_t)U32(b, 8), 2);
    EXPECT_EQ(U16(b, 12), 1);
    EXPECT_EQ(U16(b, 14), bpp);
    EXPECT_EQ(U32(b, 16), 0u);
    EXPECT_EQ(U32(b, 20), stride * 2);
    EXPECT_EQ(U32(b, 32), 0u);  // colour counts stay zero
    EXPECT_EQ(b.size(), 40 + stride * 2);
    ASSERT_EQ(bpp, 32) << "the virtual display is 24-bit; Wine reports 32 bits per pixel";
    // Bottom row first, each pixel blue, green, red, padding.
    const uint8_t expectRows[] = {0xCC, 0xBB, 0xAA, 0, 0xFF, 0xEE, 0xDD, 0, 0x03, 0x02, 0x01, 0,
                                  0x33, 0x22, 0x11, 0, 0x66, 0x55, 0x44, 0, 0x99, 0x88, 0x77, 0};
    for (size_t i = 0; i < sizeof expectRows; ++i) {
        if (i % 4 == 3) continue;
        EXPECT_EQ(b[40 + i], expectRows[i]) << "byte " << i;
    }
    ::DeleteObject(bmp);
}

TEST(Dib, MonochromeAndTwentyFourBitBitmapsGetTheirTablesAndPadding) {
    zt::ZarpWindow w;
    CDibUtil util;
    // 1 bit per pixel: a two-entry colour table, rows padded to 4 bytes.
    const uint8_t mono[] = {0xA0, 0, 0x50, 0};  // 3 x 2, word-aligned rows
    HBITMAP m = ::CreateBitmap(3, 2, 1, 1, mono);
    CGlobalMem h = util.BitmapToDib(m, w.view->m_hWnd);
    ASSERT_NE(h.Get(), nullptr);
    auto b = BlockBytes(h.Get());
    EXPECT_EQ(U16(b, 14), 1);
    EXPECT_EQ(b.size(), 40u + 8u + 4u * 2u);
    EXPECT_EQ(U32(b, 20), 8u);
    EXPECT_EQ(U32(b, 40) & 0xFFFFFF, 0x000000u);  // black
    EXPECT_EQ(U32(b, 44) & 0xFFFFFF, 0xFFFFFFu);  // white
    EXPECT_EQ(b[48] & 0xE0, 0x40);  // bottom row first: 0 1 0
    EXPECT_EQ(b[52] & 0xE0, 0xA0);  // then the top row: 1 0 1
    ::DeleteObject(m);

    BITMAPINFOHEADER fixed{};
    EXPECT_FALSE(CDibUtil::ReadDibHeader(nullptr, &fixed));
    EXPECT_EQ(util.BitmapToDib(nullptr, w.view->m_hWnd).Get(), nullptr);
}
