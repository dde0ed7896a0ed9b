#include "gdi.h"
#include <commctrl.h>

bool CGdiObject::Own(HGDIOBJ h) {
    m_hObject = h;
    if (h) afx::CountCreated(m_kind);
    return h != nullptr;
}

bool CGdiObject::DeleteObject() {
    if (!m_hObject) return false;
    if (m_nSelected > 0) afx::NoteSelectedDelete();
    BOOL ok = ::DeleteObject(m_hObject);
    afx::CountReleased(m_kind);
    m_hObject = nullptr;
    m_nSelected = 0;
    return ok != FALSE;
}

bool CBitmap::CreateCompatibleBitmap(CDC* pDC, int cx, int cy) {
    DeleteObject();
    if (!pDC || !pDC->GetSafeHdc()) return false;
    if (!afx::AllocAllowed(afx::HandleKind::Bitmap, (unsigned long long)(cx > 0 ? cx : 0) * (cy > 0 ? cy : 0) * 4)) {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    return Own(::CreateCompatibleBitmap(pDC->GetSafeHdc(), cx, cy));
}

bool CBitmap::CreateMappedBitmap(HINSTANCE hInst, UINT id) {
    DeleteObject();
    return Own(::CreateMappedBitmap(hInst, (INT_PTR)id, 0, nullptr, 0));
}

int CBitmap::GetBitmap(BITMAP* pBitmap) const {
    return ::GetObjectW(GetSafeHandle(), sizeof(BITMAP), pBitmap);
}

CSize CBitmap::GetSize() const {
    BITMAP bm{};
    if (!GetSafeHandle() || !GetBitmap(&bm)) return CSize();
    return CSize(bm.bmWidth, bm.bmHeight);
}

CSelection::CSelection(CDC& dc, CGdiObject& obj) : m_dc(dc), m_obj(obj), m_hPrevious(nullptr) {
    if (!dc.m_hDC || !obj.GetSafeHandle()) return;
    m_hPrevious = ::SelectObject(dc.m_hDC, obj.GetSafeHandle());
    if (m_hPrevious && m_hPrevious != HGDI_ERROR) {
        ++obj.m_nSelected;
        dc.RememberOriginal(m_hPrevious, obj.m_kind);
    } else {
        m_hPrevious = nullptr;
    }
}

CSelection::~CSelection() {
    if (!m_hPrevious) return;
    if (m_dc.m_hDC) ::SelectObject(m_dc.m_hDC, m_hPrevious);
    if (m_obj.m_nSelected > 0) --m_obj.m_nSelected;
}

CPaletteSelection::CPaletteSelection(CDC& dc, HPALETTE hPal, bool bForceBackground)
    : m_dc(dc), m_hPrevious(nullptr) {
    if (!dc.m_hDC || !hPal) return;
    m_hPrevious = ::SelectPalette(dc.m_hDC, hPal, bForceBackground);
    if (!dc.m_hOrigPalette) dc.m_hOrigPalette = m_hPrevious;
}

CPaletteSelection::~CPaletteSelection() {
    if (m_hPrevious && m_dc.m_hDC) ::SelectPalette(m_dc.m_hDC, m_hPrevious, FALSE);
}

void CDC::RememberOriginal(HGDIOBJ previous, afx::HandleKind kind) {
    if (kind == afx::HandleKind::Bitmap && !m_hOrigBitmap) m_hOrigBitmap = previous;
    if (kind == afx::HandleKind::Brush && !m_hOrigBrush) m_hOrigBrush = previous;
}

void CDC::AttachHdc(HDC h, Origin origin, HWND hWnd) {
    DeleteDC();
    m_hDC = h;
    m_origin = h ? origin : Origin::None;
    m_hWnd = hWnd;
    if (h && origin != Origin::Borrowed) afx::CountCreated(afx::HandleKind::DC);
}

bool CDC::CreateDC(const wchar_t* driver, const wchar_t* device, const wchar_t* output, const DEVMODEW* init) {
    AttachHdc(::CreateDCW(driver, device, output, init), Origin::Created, nullptr);
    return m_hDC != nullptr;
}

bool CDC::CreateCompatibleDC(CDC* pDC) {
    AttachHdc(::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr), Origin::Created, nullptr);
    return m_hDC != nullptr;
}

void CDC::DeleteDC() {
    if (!m_hDC) return;
    // Put back what our selections displaced, so no object of ours stays selected.
    if (m_hOrigBitmap) ::SelectObject(m_hDC, m_hOrigBitmap);
    if (m_hOrigBrush) ::SelectObject(m_hDC, m_hOrigBrush);
    if (m_hOrigPalette) ::SelectPalette(m_hDC, m_hOrigPalette, FALSE);
    m_hOrigBitmap = m_hOrigBrush = nullptr;
    m_hOrigPalette = nullptr;
    switch (m_origin) {
    case Origin::Created: ::DeleteDC(m_hDC); break;
    case Origin::Window: ::ReleaseDC(m_hWnd, m_hDC); break;
    case Origin::Painted: ::EndPaint(m_hWnd, &m_ps); break;
    case Origin::None:
    case Origin::Borrowed: break;
    }
    if (m_origin != Origin::Borrowed && m_origin != Origin::None) afx::CountReleased(afx::HandleKind::DC);
    m_hDC = nullptr;
    m_origin = Origin::None;
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color) {
    COLORREF old = ::SetBkColor(m_hDC, color);
    RECT r{x, y, x + cx, y + cy};
    ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, old);
}

CClientDC::CClientDC(HWND hWnd) { AttachHdc(::GetDC(hWnd), Origin::Window, hWnd); }

CPaintDC::CPaintDC(HWND hWnd) {
    HDC h = ::BeginPaint(hWnd, &m_ps);
    AttachHdc(h, Origin::Painted, hWnd);
}

CPaintDC::~CPaintDC() { DeleteDC(); }
