// Owners of GDI handles. Each owner releases its handle exactly once; owners move but
// never copy. A selection into a device context is undone by scope, and a device
// context puts back what it displaced before it goes away.
#pragma once
#include <windows.h>
#include <utility>
#include "handles.h"
#include "types.h"

class CDC;

// Owner of an icon made by LoadImage without LR_SHARED.
class CIcon {
public:
    CIcon() = default;
    CIcon(const CIcon&) = delete;
    CIcon& operator=(const CIcon&) = delete;
    ~CIcon() { Reset(nullptr); }
    void Reset(HICON h) {
        if (m_h) ::DestroyIcon(m_h);
        m_h = h;
    }
    HICON Get() const { return m_h; }

private:
    HICON m_h = nullptr;
};

class CGdiObject {
public:
    CGdiObject() = default;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    CGdiObject(CGdiObject&& o) noexcept : m_hObject(std::exchange(o.m_hObject, nullptr)), m_kind(o.m_kind) {}
    virtual ~CGdiObject() { DeleteObject(); }

    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    bool IsNull() const { return m_hObject == nullptr; }
    // Deletes the held object; nothing happens when none is held.
    bool DeleteObject();
    int SelectedCount() const { return m_nSelected; }
    // Exchanges the objects two owners of the same kind hold, so that a replacement can
    // be made in full before the object it replaces is let go. Neither may be selected.
    void Swap(CGdiObject& o) noexcept {
        std::swap(m_hObject, o.m_hObject);
        std::swap(m_nSelected, o.m_nSelected);
    }

protected:
    explicit CGdiObject(afx::HandleKind kind) : m_kind(kind) {}
    // Takes ownership of a freshly created handle (null: creation failed).
    bool Own(HGDIOBJ h);

private:
    friend class CDC;
    friend class CSelection;
    HGDIOBJ m_hObject = nullptr;
    afx::HandleKind m_kind = afx::HandleKind::Bitmap;
    int m_nSelected = 0;
};

class CBitmap : public CGdiObject {
public:
    CBitmap() : CGdiObject(afx::HandleKind::Bitmap) {}
    bool CreateCompatibleBitmap(CDC* pDC, int cx, int cy);
    bool CreateMappedBitmap(HINSTANCE hInst, UINT id);
    bool Attach(HBITMAP h) { DeleteObject(); return Own(h); }
    int GetBitmap(BITMAP* pBitmap) const;
    CSize GetSize() const;
    operator HBITMAP() const { return (HBITMAP)GetSafeHandle(); }
};

class CBrush : public CGdiObject {
public:
    CBrush() : CGdiObject(afx::HandleKind::Brush) {}
    explicit CBrush(COLORREF color) : CBrush() { CreateSolidBrush(color); }
    bool CreateSolidBrush(COLORREF color) { DeleteObject(); return Own(::CreateSolidBrush(color)); }
    operator HBRUSH() const { return (HBRUSH)GetSafeHandle(); }
};

class CFont : public CGdiObject {
public:
    CFont() : CGdiObject(afx::HandleKind::Font) {}
    bool CreateFontIndirect(const LOGFONTW* p) { DeleteObject(); return Own(::CreateFontIndirectW(p)); }
    operator HFONT() const { return (HFONT)GetSafeHandle(); }
};

class CPalette : public CGdiObject {
public:
    CPalette() : CGdiObject(afx::HandleKind::Palette) {}
    bool CreatePalette(const LOGPALETTE* p) { DeleteObject(); return Own(::CreatePalette(p)); }
    bool Attach(HPALETTE h) { DeleteObject(); return Own(h); }
    operator HPALETTE() const { return (HPALETTE)GetSafeHandle(); }
};

// Restores the object that a selection displaced when it goes out of scope.
class CSelection {
public:
    CSelection(CDC& dc, CGdiObject& obj);
    CSelection(const CSelection&) = delete;
    CSelection& operator=(const CSelection&) = delete;
    ~CSelection();

private:
    CDC& m_dc;
    CGdiObject& m_obj;
    HGDIOBJ m_hPrevious;
};

// Selects a palette for the scope and puts the previous one back.
class CPaletteSelection {
public:
    CPaletteSelection(CDC& dc, HPALETTE hPal, bool bForceBackground);
    CPaletteSelection(const CPaletteSelection&) = delete;
    CPaletteSelection& operator=(const CPaletteSelection&) = delete;
    ~CPaletteSelection();

private:
    CDC& m_dc;
    HPALETTE m_hPrevious;
};

class CDC {
public:
    CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;
    virtual ~CDC() { DeleteDC(); }

    bool CreateDC(const wchar_t* driver, const wchar_t* device, const wchar_t* output, const DEVMODEW* init);
    bool CreateCompatibleDC(CDC* pDC);
    // Releases the device context the way it was obtained. Safe to call twice.
    void DeleteDC();
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    [[nodiscard]] CSelection Select(CGdiObject& obj) { return CSelection(*this, obj); }

    BOOL BitBlt(int x, int y, int cx, int cy, CDC* pSrc, int xSrc, int ySrc, DWORD rop) {
        return ::BitBlt(m_hDC, x, y, cx, cy, pSrc ? pSrc->m_hDC : nullptr, xSrc, ySrc, rop);
    }
    BOOL StretchBlt(int x, int y, int cx, int cy, CDC* pSrc, int xs, int ys, int cxs, int cys, DWORD rop) {
        return ::StretchBlt(m_hDC, x, y, cx, cy, pSrc->m_hDC, xs, ys, cxs, cys, rop);
    }
    BOOL PatBlt(int x, int y, int cx, int cy, DWORD rop) { return ::PatBlt(m_hDC, x, y, cx, cy, rop); }
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
    int GetClipBox(LPRECT r) const { return ::GetClipBox(m_hDC, r); }
    void DrawFocusRect(LPCRECT r) { ::DrawFocusRect(m_hDC, r); }
    int SetStretchBltMode(int mode) { return ::SetStretchBltMode(m_hDC, mode); }
    CPoint SetBrushOrg(int x, int y) { POINT p{}; ::SetBrushOrgEx(m_hDC, x, y, &p); return p; }
    UINT RealizePalette() { return ::RealizePalette(m_hDC); }
    int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }
    int SetMapMode(int mode) { return ::SetMapMode(m_hDC, mode); }
    CPoint SetViewportOrg(int x, int y) { POINT p{}; ::SetViewportOrgEx(m_hDC, x, y, &p); return p; }
    COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }

protected:
    enum class Origin { None, Created, Window, Painted, Borrowed };
    void AttachHdc(HDC h, Origin origin, HWND hWnd);
    HDC m_hDC = nullptr;
    Origin m_origin = Origin::None;
    HWND m_hWnd = nullptr;
    PAINTSTRUCT m_ps{};

private:
    friend class CSelection;
    friend class CPaletteSelection;
    // Objects this context held before its first selection of each kind, put back
    // before the context is released.
    HGDIOBJ m_hOrigBitmap = nullptr, m_hOrigBrush = nullptr;
    HPALETTE m_hOrigPalette = nullptr;
    void RememberOriginal(HGDIOBJ previous, afx::HandleKind kind);
};

// A device context that someone else owns (for example the one a message carries):
// selections made through it are undone, the context itself is left alone.
class CBorrowedDC : public CDC {
public:
    explicit CBorrowedDC(HDC h) { AttachHdc(h, Origin::Borrowed, nullptr); }
};

// A memory device context compatible with another one that holds one bitmap for as
// long as it lives; the bitmap is taken out again before the context is deleted.
class CBitmapDC : public CDC {
public:
    CBitmapDC(CDC* pCompatible, CBitmap& bitmap) : m_sel(Created(*this, pCompatible), bitmap) {}

private:
    static CDC& Created(CDC& dc, CDC* pCompatible) {
        dc.CreateCompatibleDC(pCompatible);
        return dc;
    }
    CSelection m_sel;
};

// Device context of a window's client area for the scope.
class CClientDC : public CDC {
public:
    explicit CClientDC(HWND hWnd);
};

// Device context of a paint message for the scope (BeginPaint / EndPaint).
class CPaintDC : public CDC {
public:
    explicit CPaintDC(HWND hWnd);
    ~CPaintDC() override;
    const PAINTSTRUCT& Paint() const { return m_ps; }
};
