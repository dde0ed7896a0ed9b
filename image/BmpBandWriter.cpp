#include "BmpBandWriter.h"
#include <cstring>
#include <vector>
#include "DibUtil.h"

namespace {
DWORD LastErrorOr(DWORD fallback) {
    const DWORD err = ::GetLastError();
    return err ? err : fallback;
}
}  // namespace

DWORD CBmpBandWriter::PrepareBands(HBITMAP hBitmap, int cx, int cy, HWND hWnd, SIZE_T bandBytes) {
    m_band.Free();
    BITMAP bm{};
    if (!hBitmap || !::GetObjectW(hBitmap, sizeof bm, &bm) || cx <= 0 || cy <= 0 || cx > bm.bmWidth ||
        cy > bm.bmHeight)
        return ERROR_INVALID_PARAMETER;
    m_layout = zarp::MakeDibLayout(cx, cy, bm.bmPlanes, bm.bmBitsPixel);
    if (!m_layout.ok) return ERROR_FILE_TOO_LARGE;  // larger than a BMP file's header can describe
    m_hBitmap = hBitmap;
    m_hWnd = hWnd;
    m_nBitmapCy = bm.bmHeight;
    m_nStride = zarp::DibStride(cx, m_layout.header.biBitCount);
    uint64_t rows = m_nStride ? bandBytes / m_nStride : 0;
    if (rows < 1) rows = 1;
    if (rows > (uint64_t)cy) rows = (uint64_t)cy;
    m_nBandRows = (int)rows;
    return m_band.Alloc(GMEM_MOVEABLE, (SIZE_T)(rows * m_nStride)) ? 0 : ERROR_NOT_ENOUGH_MEMORY;
}

DWORD CBmpBandWriter::Write(HANDLE hFile) {
    if (!m_band.Get()) return ERROR_INVALID_PARAMETER;
    const int cy = m_layout.header.biHeight;
    CSystemPaletteDC dc(m_hWnd);
    CGlobalLock lock(m_band.Get());
    auto* band = static_cast<BYTE*>(lock.Get());
    if (!band) return ERROR_NOT_ENOUGH_MEMORY;

    // GetDIBits reads the rows in the format the header asks for and fills the colour
    // table; the file's headers come from the picture's size alone.
    std::vector<BYTE> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    auto* bmi = reinterpret_cast<BITMAPINFO*>(info.data());
    // Rows go to the file bottom row first. Scan line 0 is the bitmap's bottom row, so
    // the picture's (its top-left cx x cy) bottom row is scan line bitmap height - cy.
    const int firstScan = m_nBitmapCy - cy;
    for (int done = 0; done < cy; done += m_nBandRows) {
        const int rows = cy - done < m_nBandRows ? cy - done : m_nBandRows;
        std::memcpy(info.data(), &m_layout.header, sizeof m_layout.header);
        ::SetLastError(0);
        if (::GetDIBits(dc, m_hBitmap, (UINT)(firstScan + done), (UINT)rows, band, bmi, DIB_RGB_COLORS) != rows)
            return LastErrorOr(ERROR_INVALID_DATA);
        const uint64_t bytes = (uint64_t)rows * m_nStride;
        if (m_layout.header.biBitCount == 32) zarp::MakeReservedBytesOpaque(band, bytes);
        if (done == 0) {
            const zarp::DibHeader& header = m_layout.header;
            const auto fileHeader = zarp::MakeBmpFileHeader(header, zarp::FixUpHeader(header));
            if (DWORD err = WriteAll(hFile, fileHeader.data(), fileHeader.size())) return err;
            if (DWORD err = WriteAll(hFile, &header, sizeof header)) return err;
            if (DWORD err = WriteAll(hFile, bmi->bmiColors, zarp::DibPaletteSize(header))) return err;
        }
        if (DWORD err = WriteAll(hFile, band, bytes)) return err;
    }
    return 0;
}
