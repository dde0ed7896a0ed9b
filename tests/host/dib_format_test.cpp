// Colour tables, row strides, the header written for a captured bitmap, the fix-up of a
// header read from a clipboard block, and the 14-byte BMP file header.
#include <gtest/gtest.h>
#include <vector>

#include <array>
#include <climits>
#include <cstdint>
#include <cstring>

#include "image/dib_format.h"
#include "image/png_format.h"

namespace {

using zarp::DibHeader;

DibHeader Header(int32_t width, int32_t height, uint16_t bitCount, uint32_t sizeImage = 0,
                 uint32_t clrUsed = 0) {
    DibHeader h{};
    h.biSize = zarp::kDibHeaderSize;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = bitCount;
    h.biSizeImage = sizeImage;
    h.biClrUsed = clrUsed;
    return h;
}

bool SameBytes(const DibHeader& a, const DibHeader& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(DibFormat, ColourTableByBitCount) {
    struct Case {
        uint16_t bits, colours, bytes;
    } cases[] = {
        {1, 2, 8}, {4, 16, 64}, {8, 256, 1024}, {16, 0, 0}, {24, 0, 0}, {32, 0, 0}, {0, 0, 0}, {2, 0, 0},
    };
    for (const Case& c : cases) {
        // Only the bit count decides: a colour count in the header is not consulted.
        DibHeader h = Header(4, 4, c.bits, 0, 7);
        EXPECT_EQ(zarp::DibNumColors(h), c.colours) << c.bits << " bpp";
        EXPECT_EQ(zarp::DibPaletteSize(h), c.bytes) << c.bits << " bpp";
    }
}

TEST(DibFormat, StrideIsPaddedToFourBytes) {
    struct Case {
        int64_t width;
        uint16_t bits;
        uint64_t stride;
    } cases[] = {
        {1, 24, 4},   {101, 24, 304}, {33, 1, 8},   {32, 1, 4},  {1, 1, 4},
        {0, 24, 0},   {640, 8, 640},  {3, 8, 4},    {5, 4, 4},   {9, 4, 8},
        {1, 32, 4},   {3, 16, 8},     {-101, 24, 304},  // a negative width counts by its size
        {INT32_MAX, 32, 8589934588ull},                 // past 32 bits without wrapping
        {INT32_MAX, 65535, 17591917600772ull},
    };
    for (const Case& c : cases)
        EXPECT_EQ(zarp::DibStride(c.width, c.bits), c.stride) << c.width << " px at " << c.bits << " bpp";

    // Every row holds its pixels with less than one 32-bit word to spare.
    for (uint16_t bits : {1, 4, 8, 16, 24, 32}) {
        for (int64_t w = 0; w <= 200; ++w) {
            const uint64_t s = zarp::DibStride(w, bits);
            const uint64_t used = (uint64_t)w * bits;
            EXPECT_EQ(s % 4, 0u) << w << " px at " << bits << " bpp";
            EXPECT_GE(s * 8, used) << w << " px at " << bits << " bpp";
            EXPECT_LT(s * 8 - used, 32u) << w << " px at " << bits << " bpp";
        }
    }
}

TEST(DibFormat, LayoutOfACapturedBitmap) {
    zarp::DibLayout l = zarp::MakeDibLayout(640, 480, 1, 8);
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.header.biSize, 40u);
    EXPECT_EQ(l.header.biWidth, 640);
    EXPECT_EQ(l.header.biHeight, 480);
    EXPECT_EQ(l.header.biPlanes, 1);
    EXPECT_EQ(l.header.biBitCount, 8);
    EXPECT_EQ(l.header.biCompression, 0u);
    EXPECT_EQ(l.header.biSizeImage, 307200u);
    EXPECT_EQ(l.header.biXPelsPerMeter, 0);
    EXPECT_EQ(l.header.biYPelsPerMeter, 0);
    EXPECT_EQ(l.header.biClrUsed, 0u);
    EXPECT_EQ(l.header.biClrImportant, 0u);
    EXPECT_EQ(l.totalBytes, 308264u);  // 40 + 1024 + 307200
}

TEST(DibFormat, LayoutSizes) {
    struct Case {
        int32_t width, height;
        uint16_t planes, bits;
        uint16_t bitCount;
        uint32_t sizeImage;
        uint64_t total;
        bool ok;
    } cases[] = {
        {640, 480, 1, 8, 8, 307200, 308264, true},
        {640, 480, 2, 4, 8, 307200, 308264, true},   // planes * bits, with a 256-entry table
        {1024, 768, 1, 32, 32, 3145728, 3145768, true},
        {1, 1, 1, 24, 24, 4, 44, true},
        {33, 2, 1, 1, 1, 16, 64, true},              // 40 + 8 + 2 * 8
        {10, -3, 1, 8, 8, 36, 1100, true},           // top-down rows count by their number
        {0, 0, 1, 32, 32, 0, 40, true},
        // The total must stay within 0x7FFFFFFF: 40 + 1024 + 4 * 536870645 = 0x7FFFFFFC.
        {4, 536870645, 1, 8, 8, 2147482580u, 2147483644ull, true},
        {4, 536870646, 1, 8, 8, 0, 0, false},
        {100000, 100000, 1, 32, 32, 0, 0, false},  // the image alone past 32 bits
    };
    for (const Case& c : cases) {
        zarp::DibLayout l = zarp::MakeDibLayout(c.width, c.height, c.planes, c.bits);
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << ", " << c.planes << " x " << c.bits);
        EXPECT_EQ(l.header.biBitCount, c.bitCount);
        EXPECT_EQ(l.header.biPlanes, 1);
        EXPECT_EQ(l.ok, c.ok);
        if (c.ok) {
            EXPECT_EQ(l.header.biSizeImage, c.sizeImage);
            EXPECT_EQ(l.totalBytes, c.total);
        }
    }
}

// Sizes whose true image size passes 2^64 must not wrap round to a small, valid-looking total.
TEST(DibFormat, LayoutNeverWrapsForExtremeSizes) {
    struct Case {
        int32_t width, height;
        uint16_t planes, bits;
    } cases[] = {
        {INT32_MIN, INT32_MIN, 1, 32},  // 2^33-byte rows times 2^31 rows is exactly 2^64
        {1 << 30, INT32_MIN, 2, 32},
        {INT32_MIN, 1 << 30, 1, 128},
        {1 << 30, 1 << 30, 1, 1024},    // positive sizes: 2^37-byte rows times 2^30 rows
    };
    for (const Case& c : cases)
        EXPECT_FALSE(zarp::MakeDibLayout(c.width, c.height, c.planes, c.bits).ok)
            << c.width << "x" << c.height << ", " << c.planes << " x " << c.bits;
}

// planes * bits is kept to its low 16 bits (65535 * 65535 = 0xFFFE0001), without
// overflowing the int the two 16-bit values are promoted to.
TEST(DibFormat, LayoutBitCountKeepsTheLow16Bits) {
    zarp::DibLayout l = zarp::MakeDibLayout(8, 8, 65535, 65535);
    EXPECT_EQ(l.header.biBitCount, 1);
}

TEST(DibFormat, FixUpFillsZeroSizeAndColourCount) {
    struct Case {
        int32_t width, height;
        uint16_t bits;
        uint32_t sizeImage, clrUsed;
    } cases[] = {
        {10, 3, 8, 36, 256},
        {33, 2, 1, 16, 2},
        {5, 1, 4, 4, 16},
        {101, 2, 24, 608, 0},
        {1, 1, 32, 4, 0},
        {640, 480, 16, 614400, 0},
        {0, 5, 24, 0, 0},
    };
    for (const Case& c : cases) {
        DibHeader in = Header(c.width, c.height, c.bits);
        in.biXPelsPerMeter = 3780;
        in.biCompression = 0;
        DibHeader out = zarp::FixUpHeader(in);
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.bits);
        EXPECT_EQ(out.biSizeImage, c.sizeImage);
        EXPECT_EQ(out.biClrUsed, c.clrUsed);
        // Nothing else changes.
        out.biSizeImage = in.biSizeImage;
        out.biClrUsed = in.biClrUsed;
        EXPECT_TRUE(SameBytes(out, in));
    }
}

TEST(DibFormat, FixUpKeepsNonZeroFields) {
    DibHeader in = Header(10, 3, 8, 999, 7);
    EXPECT_TRUE(SameBytes(zarp::FixUpHeader(in), in));

    // Only the zero field is filled in.
    DibHeader sizeOnly = zarp::FixUpHeader(Header(10, 3, 8, 0, 7));
    EXPECT_EQ(sizeOnly.biSizeImage, 36u);
    EXPECT_EQ(sizeOnly.biClrUsed, 7u);
    DibHeader coloursOnly = zarp::FixUpHeader(Header(10, 3, 8, 999, 0));
    EXPECT_EQ(coloursOnly.biSizeImage, 999u);
    EXPECT_EQ(coloursOnly.biClrUsed, 256u);
}

TEST(DibFormat, FixUpComputesTheSizeTheLayoutWrites) {
    for (int32_t w : {1, 2, 3, 7, 31, 33, 640, 1023})
        for (int32_t h : {1, 2, 480})
            for (uint16_t bits : {1, 4, 8, 16, 24, 32}) {
                zarp::DibLayout l = zarp::MakeDibLayout(w, h, 1, bits);
                DibHeader stored = l.header;
                stored.biSizeImage = 0;
                EXPECT_EQ(zarp::FixUpHeader(stored).biSizeImage, l.header.biSizeImage)
                    << w << "x" << h << "x" << bits;
            }
}

// A top-down block (negative height) with no image size holds |height| rows; its size
// must not come out negative and wrap to about 4 GB, which makes the save refuse it.
TEST(DibFormat, FixUpOfTopDownBlock) {
    EXPECT_EQ(zarp::FixUpHeader(Header(10, -3, 8)).biSizeImage, 36u);
    EXPECT_EQ(zarp::FixUpHeader(Header(640, -480, 24)).biSizeImage, 921600u);
}

// A header from another program can claim any size. One past 32 bits must not be
// computed with a signed 64-bit overflow nor truncated to a small plausible size:
// it saturates, so no block is ever long enough for it.
TEST(DibFormat, FixUpOfOversizedHeaderSaturates) {
    EXPECT_EQ(zarp::FixUpHeader(Header(INT32_MAX, INT32_MAX, 32)).biSizeImage, 0xFFFFFFFFu);
    EXPECT_EQ(zarp::FixUpHeader(Header(65536, 65537, 8)).biSizeImage, 0xFFFFFFFFu);  // 2^32 + 65536
}

TEST(DibFormat, PackedDibLength) {
    EXPECT_EQ(zarp::PackedDibLength(zarp::FixUpHeader(Header(10, 3, 8))), 1100u);
    EXPECT_EQ(zarp::PackedDibLength(Header(1, 1, 24, 4)), 44u);
    DibHeader v5 = Header(2, 2, 32, 16);
    v5.biSize = 124;
    EXPECT_EQ(zarp::PackedDibLength(v5), 140u);
    EXPECT_EQ(zarp::PackedDibLength(Header(1, 1, 8, 0xFFFFFFFFu)), 40u + 1024u + 0xFFFFFFFFull);
}

std::array<uint8_t, 14> FileHeaderBytes(uint32_t fileSize, uint32_t offBits) {
    std::array<uint8_t, 14> b{};
    b[0] = 0x42;
    b[1] = 0x4D;
    for (int i = 0; i < 4; ++i) {
        b[2 + i] = (uint8_t)(fileSize >> (8 * i));
        b[10 + i] = (uint8_t)(offBits >> (8 * i));
    }
    return b;
}

TEST(DibFormat, BmpFileHeaderBytes) {
    // One header spelt out byte by byte: 58-byte file, pixels at 54.
    const DibHeader one = zarp::MakeDibLayout(1, 1, 1, 24).header;
    const std::array<uint8_t, 14> expected{0x42, 0x4D, 0x3A, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0};
    EXPECT_EQ(zarp::MakeBmpFileHeader(one, zarp::FixUpHeader(one)), expected);

    struct Case {
        int32_t width, height;
        uint16_t bits;
        uint32_t fileSize, offBits;
    } cases[] = {
        {1, 1, 24, 58, 54},
        {1, 1, 1, 66, 62},
        {640, 480, 8, 308278, 1078},
        {640, 480, 16, 614454, 54},
        {4096, 4096, 32, 0x04000036, 54},  // a size with its top byte set
    };
    for (const Case& c : cases) {
        const DibHeader stored = zarp::MakeDibLayout(c.width, c.height, 1, c.bits).header;
        const auto head = zarp::MakeBmpFileHeader(stored, zarp::FixUpHeader(stored));
        EXPECT_EQ(head, FileHeaderBytes(c.fileSize, c.offBits)) << c.width << "x" << c.height << "x" << c.bits;
        // Whole only at the size the header gives; any start of it begins as a BMP file.
        EXPECT_TRUE(zarp::IsCompleteBmpFile(head.data(), 14, c.fileSize));
        EXPECT_FALSE(zarp::IsCompleteBmpFile(head.data(), 14, c.fileSize - 1));
        EXPECT_FALSE(zarp::IsCompleteBmpFile(head.data(), 5, c.fileSize));
        for (size_t n : {0, 1, 2, 14}) EXPECT_TRUE(zarp::BeginsAsBmpFile(head.data(), n));
    }
    const uint8_t other[] = {'B', 'A', 0x3A, 0, 0, 0};
    EXPECT_FALSE(zarp::BeginsAsBmpFile(other, 2));
    EXPECT_FALSE(zarp::IsCompleteBmpFile(other, 6, 58));
}

TEST(DibFormat, BmpFileHeaderOfABlockWithoutImageSize) {
    // Size from the fixed-up copy, pixel offset from the block's own header.
    const DibHeader stored = Header(10, 3, 8);
    EXPECT_EQ(zarp::MakeBmpFileHeader(stored, zarp::FixUpHeader(stored)), FileHeaderBytes(1114, 1078));

    DibHeader v4 = Header(3, 2, 24);  // a 108-byte header: the pixels follow it
    v4.biSize = 108;
    EXPECT_EQ(zarp::MakeBmpFileHeader(v4, zarp::FixUpHeader(v4)), FileHeaderBytes(14 + 108 + 24, 14 + 108));
}

// The fourth byte of 32-bit rows becomes opaque, nothing else changes; a PNG is whole
// from its signature to its closing chunk, and any start of the signature is a leftover's.
TEST(DibFormat, OpaqueRowsAndWholePngFiles) {
    uint8_t rows[] = {1, 2, 3, 0, 5, 6, 7, 0x40, 9};
    zarp::MakeReservedBytesOpaque(rows, 8);
    EXPECT_EQ(std::vector<uint8_t>(rows, rows + 9), (std::vector<uint8_t>{1, 2, 3, 0xFF, 5, 6, 7, 0xFF, 9}));
    const std::string signature("\x89PNG\r\n\x1a\n", 8), end("\0\0\0\0IEND\xAE\x42\x60\x82", 12);
    for (size_t n : {0, 1, 4, 8}) EXPECT_TRUE(zarp::BeginsAsPngFile(signature.substr(0, n) + (n == 8 ? "IHDR" : "")));
    EXPECT_FALSE(zarp::BeginsAsPngFile("BM"));
    EXPECT_TRUE(zarp::IsCompletePngFile(signature + "IHDR", "IDAT" + end));
    EXPECT_FALSE(zarp::IsCompletePngFile(signature + "IHDR", "IDAT" + end.substr(0, 11)));  // cut short
    EXPECT_FALSE(zarp::IsCompletePngFile("BM" + signature, end));
}

}  // namespace
