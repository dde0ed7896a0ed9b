#include "DibUtil.h"
#include <cstring>
#include <vector>
#include "../framework/memory.h"
#include "path_split.h"

BEGIN_MESSAGE_MAP(CDibUtil, CWnd)
END_MESSAGE_MAP()

static_assert(sizeof(BITMAPINFOHEADER) == sizeof(zarp::DibHeader), "header layouts differ");

namespace {
zarp::DibHeader ToDib(const BITMAPINFOHEADER& h) {
    zarp::DibHeader d;
    std::memcpy(&d, &h, sizeof d);
    return d;
}
}  // namespace

WORD CDibUtil::DibNumColors(const BITMAPINFOHEADER* p) { return zarp::DibNumColors(ToDib(*p)); }
WORD CDibUtil::DibPaletteSize(const BITMAPINFOHEADER* p) { return zarp::DibPaletteSize(ToDib(*p)); }

HPALETTE CDibUtil::CreateSystemPalette() {
    CDC screen;
    screen.CreateDC(L"DISPLAY", nullptr, nullptr, nullptr);
    int n = screen.GetDeviceCaps(SIZEPALETTE);
    if (n == 0) n = screen.GetDeviceCaps(NUMCOLORS);
    if (n < 1) n = 0;
    if (n > 256) n = 256;
    std::vector<BYTE> block(sizeof(LOGPALETTE) + n * sizeof(PALETTEENTRY), 0);
    auto* pal = reinterpret_cast<LOGPALETTE*>(block.data());
    pal->palVersion = 0x300;
    pal->palNumEntries = (WORD)n;
    if (n >= 1) ::GetSystemPaletteEntries(screen, 0, n, pal->palPalEntry);
    return ::CreatePalette(pal);
}

namespace {
HPALETTE TakeSystemPalette(CPalette& palette) {
    palette.Attach(CDibUtil().CreateSystemPalette());
    return palette;
}
}  // namespace

CSystemPaletteDC::CSystemPaletteDC(HWND hWnd)
    : m_dc(hWnd), m_selection(m_dc, TakeSystemPalette(m_palette), false) {
    m_dc.RealizePalette();
}

CGlobalMem CDibUtil::BitmapToDib(HBITMAP hBitmap, HWND hWnd) {
    BITMAP bm{};
    if (!hBitmap || !::GetObjectW(hBitmap, sizeof bm, &bm)) return CGlobalMem();
    zarp::DibLayout layout = zarp::MakeDibLayout(bm.bmWidth, bm.bmHeight, bm.bmPlanes, bm.bmBitsPixel);
    if (!layout.ok || bm.bmWidth <= 0 || bm.bmHeight <= 0) return CGlobalMem();

    CSystemPaletteDC dc(hWnd);
    CGlobalMem block;
    if (!block.Alloc(GMEM_MOVEABLE, (SIZE_T)layout.totalBytes)) return CGlobalMem();
    {
        CGlobalLock lock(block.Get());
        auto* p = static_cast<BYTE*>(lock.Get());
        if (!p) return CGlobalMem();
        std::memcpy(p, &layout.header, sizeof layout.header);
        BYTE* bits = p + layout.header.biSize + zarp::DibPaletteSize(layout.header);
        if (!::GetDIBits(dc, hBitmap, 0, (UINT)bm.bmHeight, bits, reinterpret_cast<BITMAPINFO*>(p),
                         DIB_RGB_COLORS))
            return CGlobalMem();
        if (layout.header.biBitCount == 32) zarp::MakeReservedBytesOpaque(bits, layout.header.biSizeImage);
    }
    return block;
}

bool CDibUtil::ReadDibHeader(HGLOBAL hDib, BITMAPINFOHEADER* p) {
    if (!hDib) return false;
    CGlobalLock lock(hDib);
    if (!lock.Get() || lock.Size() < sizeof(BITMAPINFOHEADER)) return false;
    zarp::DibHeader h;
    std::memcpy(&h, lock.Get(), sizeof h);
    h = zarp::FixUpHeader(h);
    std::memcpy(p, &h, sizeof h);
    return true;
}

void CDibUtil::SplitPath(CString path) {
    zarp::PathParts parts = zarp::SplitPath(path.str());
    m_strDir = parts.dir;
    m_strName = parts.name;
    m_strExt = parts.ext;
}
