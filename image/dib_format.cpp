#include "dib_format.h"

namespace zarp {

uint16_t DibNumColors(const DibHeader& h) {
    switch (h.biBitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

uint16_t DibPaletteSize(const DibHeader& h) { return (uint16_t)(DibNumColors(h) * 4); }

uint64_t DibStride(int64_t width, uint16_t bitCount) {
    if (width < 0) width = -width;
    return (((uint64_t)width * bitCount + 31) & ~(uint64_t)31) / 8;
}

DibLayout MakeDibLayout(int32_t width, int32_t height, uint16_t planes, uint16_t bitsPixel) {
    DibLayout out{};
    DibHeader& h = out.header;
    h.biSize = kDibHeaderSize;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = (uint16_t)((uint32_t)planes * bitsPixel);
    h.biCompression = 0;
    uint64_t rows = height < 0 ? (uint64_t)(-(int64_t)height) : (uint64_t)height;
    uint64_t stride = DibStride(width, h.biBitCount);
    const bool fits = rows == 0 || stride <= 0xFFFFFFFFull / rows;
    uint64_t image = stride * rows;
    h.biSizeImage = (uint32_t)image;
    out.totalBytes = kDibHeaderSize + DibPaletteSize(h) + image;
    out.ok = fits && out.totalBytes <= 0x7FFFFFFFull;
    return out;
}

DibHeader FixUpHeader(DibHeader h) {
    if (h.biSizeImage == 0) {
        uint64_t rows = h.biHeight < 0 ? (uint64_t)(-(int64_t)h.biHeight) : (uint64_t)h.biHeight;
        uint64_t stride = DibStride(h.biWidth, h.biBitCount);
        // A size past 32 bits saturates, so no block is ever long enough for it.
        h.biSizeImage = rows != 0 && stride > 0xFFFFFFFFull / rows ? 0xFFFFFFFFu : (uint32_t)(stride * rows);
    }
    if (h.biClrUsed == 0) h.biClrUsed = DibNumColors(h);
    return h;
}

uint64_t PackedDibLength(const DibHeader& fixed) {
    return (uint64_t)DibPaletteSize(fixed) + fixed.biSizeImage + fixed.biSize;
}

void MakeReservedBytesOpaque(uint8_t* rows, uint64_t bytes) {
    for (uint64_t i = 3; i < bytes; i += 4) rows[i] = 0xFF;
}

std::array<uint8_t, 14> MakeBmpFileHeader(const DibHeader& stored, const DibHeader& fixed) {
    const uint32_t fileSize = (uint32_t)(PackedDibLength(fixed) + kBmpFileHeaderSize);
    const uint32_t offBits = DibPaletteSize(stored) + stored.biSize + kBmpFileHeaderSize;
    std::array<uint8_t, 14> b{};
    b[0] = 'B';
    b[1] = 'M';
    for (int i = 0; i < 4; ++i) b[2 + i] = (uint8_t)(fileSize >> (8 * i));
    for (int i = 0; i < 4; ++i) b[10 + i] = (uint8_t)(offBits >> (8 * i));
    return b;
}

bool BeginsAsBmpFile(const uint8_t* head, size_t headBytes) {
    return (headBytes < 1 || head[0] == 'B') && (headBytes < 2 || head[1] == 'M');
}

bool IsCompleteBmpFile(const uint8_t* head, size_t headBytes, uint64_t size) {
    if (headBytes < 6 || head[0] != 'B' || head[1] != 'M') return false;
    const uint32_t declared = head[2] | (uint32_t)head[3] << 8 | (uint32_t)head[4] << 16 | (uint32_t)head[5] << 24;
    return declared == size && size >= kBmpFileHeaderSize + kDibHeaderSize;
}

}  // namespace zarp
