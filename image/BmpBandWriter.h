// Writes a display bitmap as a BMP file in bands of rows through one buffer that is
// reused for every band. The bytes are a BMP file header (zarp::MakeBmpFileHeader)
// followed by what BitmapToDib would give (the pixels read with GetDIBits under the
// system palette), but no packed DIB of the whole picture is ever made.
#pragma once
#include "../framework/afxwin.h"
#include "../framework/memory.h"
#include "ImageFormats.h"
#include "dib_format.h"

class CBmpBandWriter : public CImageWriter {
public:
    // About a quarter of a megabyte a band: large enough that the per-call cost of
    // GetDIBits and WriteFile disappears, small enough that the band stays in the
    // processor's cache between being filled and being written.
    static constexpr SIZE_T kBandBytes = 256 * 1024;

    // Takes the picture and allocates the band buffer of kBandBytes, but at least one
    // row: ERROR_FILE_TOO_LARGE for a picture too large for a BMP file's header,
    // ERROR_NOT_ENOUGH_MEMORY when the buffer cannot be had.
    DWORD Prepare(HBITMAP hBitmap, int cx, int cy, HWND hWnd) override {
        return PrepareBands(hBitmap, cx, cy, hWnd, kBandBytes);
    }
    DWORD PrepareBands(HBITMAP hBitmap, int cx, int cy, HWND hWnd, SIZE_T bandBytes);
    // Writes the whole file at the handle's position, reading the pixels band by band.
    DWORD Write(HANDLE hFile) override;

    int BandRows() const { return m_nBandRows; }

private:
    HBITMAP m_hBitmap = nullptr;
    HWND m_hWnd = nullptr;
    int m_nBitmapCy = 0;
    zarp::DibLayout m_layout{};
    uint64_t m_nStride = 0;
    int m_nBandRows = 0;
    CGlobalMem m_band;
};
