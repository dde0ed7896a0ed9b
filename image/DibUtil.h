// Conversion of display bitmaps to packed DIBs under the display's palette, the device
// context every reader of the output bitmap takes, and path splitting, used by Copy and
// Save As for the length of one command.
#pragma once
#include "../framework/afxwin.h"
#include "../framework/memory.h"
#include "dib_format.h"

// The window's device context with the display's system palette selected and realised,
// for its scope: how every reader of the output bitmap (Copy, both writers) takes it.
class CSystemPaletteDC {
public:
    explicit CSystemPaletteDC(HWND hWnd);
    CSystemPaletteDC(const CSystemPaletteDC&) = delete;
    CSystemPaletteDC& operator=(const CSystemPaletteDC&) = delete;
    operator HDC() const { return m_dc; }

private:
    CPalette m_palette;
    CClientDC m_dc;
    CPaletteSelection m_selection;
};

class CDibUtil : public CWnd {
    DECLARE_MESSAGE_MAP()
public:
    CString m_strDir;
    CString m_strName;
    CString m_strExt;

    // A logical palette with the display's system palette entries (none on a display
    // without a palette). The caller owns it.
    HPALETTE CreateSystemPalette();
    // A packed DIB of the bitmap, read through the window's device context with the
    // system palette realised; an empty owner when the bitmap cannot be read or the
    // block cannot be allocated.
    CGlobalMem BitmapToDib(HBITMAP hBitmap, HWND hWnd);
    static WORD DibNumColors(const BITMAPINFOHEADER* p);
    static WORD DibPaletteSize(const BITMAPINFOHEADER* p);
    // Copies the block's header into *p and fixes the copy up; false for a null block.
    static bool ReadDibHeader(HGLOBAL hDib, BITMAPINFOHEADER* p);
    void SplitPath(CString path);
};
