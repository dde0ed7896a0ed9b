// Sizes and headers of packed DIBs and BMP files. Platform-free: the header struct
// mirrors the platform's 40-byte bitmap information header byte for byte.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace zarp {

#pragma pack(push, 1)
struct DibHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
#pragma pack(pop)
static_assert(sizeof(DibHeader) == 40, "DibHeader must match the 40-byte bitmap information header");

constexpr uint32_t kDibHeaderSize = 40;
constexpr uint32_t kBmpFileHeaderSize = 14;

// Colour-table entries by bit count: 2, 16, 256 for 1, 4, 8 bits; none otherwise.
uint16_t DibNumColors(const DibHeader& h);
// Colour-table bytes: four per entry.
uint16_t DibPaletteSize(const DibHeader& h);
// Bytes per row, padded to 4 bytes, computed in 64 bits.
uint64_t DibStride(int64_t width, uint16_t bitCount);

// The header BitmapToDib writes for a bitmap of this shape. bitCount = planes * bits,
// kept to 16 bits. ok is false when the image would not fit a 32-bit size field.
struct DibLayout {
    DibHeader header;
    uint64_t totalBytes;  // header + colour table + pixel rows
    bool ok;
};
DibLayout MakeDibLayout(int32_t width, int32_t height, uint16_t planes, uint16_t bitsPixel);

// The fix-up of a header read from a block: a zero image size is computed from width,
// height and bit count; a zero colour count becomes DibNumColors.
DibHeader FixUpHeader(DibHeader h);

// Length of the packed DIB that a fixed-up header describes.
uint64_t PackedDibLength(const DibHeader& fixed);

// In 32-bit rows without compression the fourth byte of each pixel is reserved; a
// display bitmap may leave anything there, and programs that read it as alpha (WPF's
// clipboard, some paint programs) show 0 as transparent. Sets it to 0xFF, opaque to
// every reader, in `bytes` bytes of such rows.
void MakeReservedBytesOpaque(uint8_t* rows, uint64_t bytes);

// The 14-byte BMP file header: "BM", file size, two zero words, offset of the pixels.
// 'stored' is the block's own header, 'fixed' its fixed-up copy.
std::array<uint8_t, 14> MakeBmpFileHeader(const DibHeader& stored, const DibHeader& fixed);

// True when the bytes begin as a BMP file does ("BM"), or with a part of that.
bool BeginsAsBmpFile(const uint8_t* head, size_t headBytes);
// True when a file of `size` bytes that begins with `head` is a whole BMP file: "BM",
// a file size field equal to its size, room for both headers. What a save interrupted
// after its last byte leaves in its temporary file; one stopped earlier is shorter.
bool IsCompleteBmpFile(const uint8_t* head, size_t headBytes, uint64_t size);

}  // namespace zarp
