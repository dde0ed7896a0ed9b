// Writes a display bitmap as a BMP file in bands of rows through one buffer that is
// reused for every band. The bytes are those of BitmapToDib followed by WriteBmpFile
// (the pixels read with GetDIBits under the system palette), but no packed DIB of the
// whole picture is ever made.
#pragma once
#include "../framework/afxwin.h"
#include "../framework/memory.h"
#include "dib_format.h"

class CBmpBandWriter {
public:
    // About a quarter of a megabyte a band: large enough that the per-call cost of
    // GetDIBits and WriteFile disappears, small enough that the band stays in the
    // processor's cache between being filled and being written.
    static constexpr SIZE_T kBandBytes = 256 * 1024;

    // Takes the top-left cx x cy pixels of the bitmap (which must not be selected into
    // a device context) and allocates the band buffer: bandBytes, but at least one row.
    // False, with the reason as the last error, when the picture is too large for a BMP
    // file (ERROR_FILE_TOO_LARGE) or the buffer cannot be had (ERROR_NOT_ENOUGH_MEMORY).
    bool Prepare(HBITMAP hBitmap, int cx, int cy, HWND hWnd, SIZE_T bandBytes = kBandBytes);
    // Writes the whole file at the handle's position, reading the pixels through the
    // window's device context with the system palette realised. 0, or the system's
    // error code for what failed.
    DWORD Write(HANDLE hFile);

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
