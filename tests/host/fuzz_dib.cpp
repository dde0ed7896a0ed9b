// Fuzzes the DIB size rules with arbitrary 40-byte headers: the header of a clipboard
// block can come from any program. Sizes are checked against 128-bit arithmetic.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "image/dib_format.h"

#include "tests/host/fuzz_check.h"

namespace {

using u128 = unsigned __int128;
using zarp::DibHeader;

uint64_t Magnitude(int32_t v) { return v < 0 ? (uint64_t)(-(int64_t)v) : (uint64_t)v; }

// Bytes per row: the least multiple of 4 that holds the pixels.
u128 RowBytes(int32_t width, uint16_t bits) { return ((u128)Magnitude(width) * bits + 31) / 32 * 4; }

void CheckStride(int32_t width, uint16_t bits) {
    const uint64_t stride = zarp::DibStride(width, bits);
    const uint64_t used = Magnitude(width) * bits;
    CHECK(stride % 4 == 0);
    CHECK(stride * 8 >= used);
    CHECK(stride * 8 - used < 32);
}

void CheckColours(const DibHeader& h) {
    const uint16_t n = zarp::DibNumColors(h);
    const uint16_t bits = h.biBitCount;
    CHECK(n == ((bits == 1 || bits == 4 || bits == 8) ? (1u << bits) : 0u));
    CHECK(zarp::DibPaletteSize(h) == 4u * n);
}

bool SameOutside(DibHeader a, DibHeader b) {
    a.biSizeImage = b.biSizeImage = 0;
    a.biClrUsed = b.biClrUsed = 0;
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void CheckFileHeader(const DibHeader& stored, const DibHeader& fixed) {
    const auto b = zarp::MakeBmpFileHeader(stored, fixed);
    auto le32 = [&](int at) {
        return (uint32_t)b[at] | (uint32_t)b[at + 1] << 8 | (uint32_t)b[at + 2] << 16 | (uint32_t)b[at + 3] << 24;
    };
    CHECK(b[0] == 'B' && b[1] == 'M');
    CHECK(b[6] == 0 && b[7] == 0 && b[8] == 0 && b[9] == 0);
    const uint64_t packed = zarp::PackedDibLength(fixed);
    CHECK(packed == (uint64_t)fixed.biSize + zarp::DibPaletteSize(fixed) + fixed.biSizeImage);
    CHECK(le32(2) == (uint32_t)(packed + zarp::kBmpFileHeaderSize));
    // Pixels start after the file header, the block's own header and its colour table.
    CHECK(le32(10) == (uint32_t)(zarp::kBmpFileHeaderSize + stored.biSize + zarp::DibPaletteSize(stored)));
    // What follows the offset is exactly the image.
    CHECK(le32(2) - le32(10) == fixed.biSizeImage);
}

void CheckFixUp(const DibHeader& h) {
    const u128 image = RowBytes(h.biWidth, h.biBitCount) * Magnitude(h.biHeight);
    const DibHeader f = zarp::FixUpHeader(h);
    CHECK(SameOutside(f, h));
    CHECK(f.biClrUsed == (h.biClrUsed != 0 ? h.biClrUsed : zarp::DibNumColors(h)));
    if (h.biSizeImage != 0)
        CHECK(f.biSizeImage == h.biSizeImage);
    else  // a size past 32 bits saturates, so no block is ever long enough for it
        CHECK(f.biSizeImage == (image > 0xFFFFFFFFu ? 0xFFFFFFFFu : (uint32_t)image));
    CHECK(zarp::FixUpHeader(f).biSizeImage == f.biSizeImage);
    CheckFileHeader(h, f);
}

void CheckLayout(int32_t width, int32_t height, uint16_t planes, uint16_t bitsPixel) {
    const uint32_t product = (uint32_t)planes * bitsPixel;
    const uint16_t bits = (uint16_t)product;
    const u128 image = RowBytes(width, bits) * Magnitude(height);

    const zarp::DibLayout l = zarp::MakeDibLayout(width, height, planes, bitsPixel);
    const DibHeader& h = l.header;
    CHECK(h.biSize == 40 && h.biWidth == width && h.biHeight == height && h.biPlanes == 1);
    CHECK(h.biBitCount == bits && h.biCompression == 0);
    CHECK(h.biXPelsPerMeter == 0 && h.biYPelsPerMeter == 0 && h.biClrUsed == 0 && h.biClrImportant == 0);
    const u128 total = 40 + zarp::DibPaletteSize(h) + image;
    CHECK(l.ok == (total <= 0x7FFFFFFF));
    if (!l.ok) return;
    CHECK(h.biSizeImage == image);
    CHECK(l.totalBytes == total);

    // Written and then saved: the file holds the whole block after the 14-byte header.
    const DibHeader fixed = zarp::FixUpHeader(h);
    CHECK(fixed.biSizeImage == h.biSizeImage);
    const auto b = zarp::MakeBmpFileHeader(h, fixed);
    CHECK(((uint32_t)b[2] | (uint32_t)b[3] << 8 | (uint32_t)b[4] << 16 | (uint32_t)b[5] << 24) == total + 14);

    // A block whose image size was left zero is fixed up to the same size.
    {
        DibHeader zeroSize = h;
        zeroSize.biSizeImage = 0;
        CHECK(zarp::FixUpHeader(zeroSize).biSizeImage == h.biSizeImage);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DibHeader h{};
    std::memcpy(&h, data, size < sizeof h ? size : sizeof h);
    CheckStride(h.biWidth, h.biBitCount);
    CheckColours(h);
    CheckFixUp(h);
    CheckLayout(h.biWidth, h.biHeight, h.biPlanes, h.biBitCount);
    return 0;
}
