#include "imagelist.h"
#include <cstring>
#include "gdi.h"

namespace {
// A copy of a 32-bit picture strip for disabled buttons: each pixel becomes a light
// grey of its own brightness, at a little under half its opacity.
bool MakeFaded(const DIBSECTION& ds, CBitmap& out) {
    BITMAPINFOHEADER bih = ds.dsBmih;
    bih.biSize = sizeof bih;
    bih.biCompression = BI_RGB;
    void* bits = nullptr;
    if (!out.Attach(::CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bih), DIB_RGB_COLORS, &bits,
                                       nullptr, 0)) ||
        !bits)
        return false;
    const size_t pixels = (size_t)ds.dsBm.bmWidth * (size_t)(ds.dsBm.bmHeight);
    std::memcpy(bits, ds.dsBm.bmBits, pixels * 4);
    auto* p = static_cast<BYTE*>(bits);
    for (size_t i = 0; i < pixels; ++i, p += 4) {
        const int luma = (p[2] * 30 + p[1] * 59 + p[0] * 11) / 100;
        const BYTE grey = (BYTE)(112 + luma * 112 / 255);
        p[0] = p[1] = p[2] = grey;
        p[3] = (BYTE)(p[3] * 45 / 100);
    }
    return true;
}
}  // namespace

bool CImageList::Create(int cx, int cy, UINT flags, int nInitial, int nGrow) {
    DeleteImageList();
    m_hImageList = ::ImageList_Create(cx, cy, flags, nInitial, nGrow);
    if (m_hImageList) afx::CountCreated(afx::HandleKind::ImageList);
    return m_hImageList != nullptr;
}

bool CImageList::DeleteImageList() {
    if (!m_hImageList) return false;
    BOOL ok = ::ImageList_Destroy(m_hImageList);
    afx::CountReleased(afx::HandleKind::ImageList);
    m_hImageList = nullptr;
    return ok != FALSE;
}

bool CImageList::CreateFromStrip(HINSTANCE hInst, UINT nIDBitmap, int cx, int cy, CImageList* pDisabled) {
    DeleteImageList();
    if (pDisabled) pDisabled->DeleteImageList();
    if (cx <= 0 || cy <= 0) return false;

    CBitmap strip;
    if (!strip.Attach(static_cast<HBITMAP>(
            ::LoadImageW(hInst, MAKEINTRESOURCEW(nIDBitmap), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))))
        return false;
    DIBSECTION ds{};
    if (::GetObjectW(strip, sizeof ds, &ds) != sizeof ds || ds.dsBm.bmHeight < cy) return false;
    const int count = ds.dsBm.bmWidth / cx;
    if (count <= 0) return false;

    if (ds.dsBm.bmBitsPixel == 32 && ds.dsBm.bmBits) {
        if (!Create(cx, cy, ILC_COLOR32, count, 0) || ::ImageList_Add(m_hImageList, strip, nullptr) < 0) {
            DeleteImageList();
            return false;
        }
        CBitmap faded;
        if (pDisabled && MakeFaded(ds, faded) &&
            (!pDisabled->Create(cx, cy, ILC_COLOR32, count, 0) ||
             ::ImageList_Add(pDisabled->m_hImageList, faded, nullptr) < 0))
            pDisabled->DeleteImageList();  // the control then greys the pictures itself
        return true;
    }

    strip.DeleteObject();
    CBitmap mapped;
    if (!mapped.CreateMappedBitmap(hInst, nIDBitmap)) return false;
    if (!Create(cx, cy, ILC_COLORDDB | ILC_MASK, count, 0) ||
        ::ImageList_AddMasked(m_hImageList, mapped, ::GetSysColor(COLOR_BTNFACE)) < 0) {
        DeleteImageList();
        return false;
    }
    return true;
}
