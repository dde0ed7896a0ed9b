#include "ImageFormats.h"
#include "BmpBandWriter.h"
#include "PngWriter.h"
#include "dib_format.h"
#include "png_format.h"

namespace {
const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

zarp::SaveOptions BmpOptions() {
    zarp::SaveOptions options;
    options.isLeftover = [](const std::string& head) { return zarp::BeginsAsBmpFile(Bytes(head), head.size()); };
    options.isComplete = [](const std::string& head, const std::string&, uint64_t size) {
        return zarp::IsCompleteBmpFile(Bytes(head), head.size(), size);
    };
    return options;
}

zarp::SaveOptions PngOptions() {
    zarp::SaveOptions options;
    options.isLeftover = zarp::BeginsAsPngFile;
    options.isComplete = [](const std::string& head, const std::string& tail, uint64_t) {
        return zarp::IsCompletePngFile(head, tail);
    };
    return options;
}
}  // namespace

namespace {
DWORD g_pausePerPiece = 0;
}  // namespace

DWORD SetWritePauseForTesting(DWORD msPerPiece) {
    const DWORD previous = g_pausePerPiece;
    g_pausePerPiece = msPerPiece;
    return previous;
}

DWORD WriteAll(HANDLE hFile, const void* p, uint64_t bytes) {
    // A mebibyte at a time: a cancelled save stops within one piece.
    constexpr uint64_t kPiece = 1 << 20;
    const auto* b = static_cast<const BYTE*>(p);
    while (bytes > 0) {
        if (zarp::SaveCancelled()) return ERROR_CANCELLED;
        if (g_pausePerPiece) ::Sleep(g_pausePerPiece);
        const DWORD chunk = (DWORD)(bytes > kPiece ? kPiece : bytes);
        DWORD written = 0;
        if (!::WriteFile(hFile, b, chunk, &written, nullptr)) return ::GetLastError();
        if (written != chunk) return ERROR_DISK_FULL;
        b += chunk;
        bytes -= chunk;
    }
    return 0;
}

const std::vector<ImageFormat>& ImageFormats() {
    static const std::vector<ImageFormat> formats = {
        {L"ﾋﾞｯﾄﾏｯﾌﾟｲﾒｰｼﾞ (*.bmp)", L"bmp", &BmpOptions,
         [] { return std::unique_ptr<CImageWriter>(new CBmpBandWriter); }},
        {L"PNG ｲﾒｰｼﾞ (*.png)", L"png", &PngOptions, [] { return std::unique_ptr<CImageWriter>(new CPngWriter); }},
    };
    return formats;
}

std::vector<std::wstring> ImageExtensions() {
    std::vector<std::wstring> out;
    for (const ImageFormat& f : ImageFormats()) out.push_back(f.extension);
    return out;
}
