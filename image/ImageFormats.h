// The formats Save As writes, one row each: what the save dialog's type list shows, the
// extension, how an interrupted save's leftover looks, and the writer. A new format is
// a new row and a writer; Save As itself does not change.
#pragma once
#include <windows.h>
#include <memory>
#include <string>
#include <vector>
#include "SafeSave.h"

// Writes the output bitmap as a file of one format. Prepare takes the picture and makes
// every allocation the write needs, before any file is touched; Write then writes the
// whole file at the handle's position.
class CImageWriter {
public:
    virtual ~CImageWriter() = default;
    // The top-left cx x cy pixels of the bitmap (which must not be selected into a
    // device context), read through the window's device context with the system palette
    // realised. 0, or the error that stops the save.
    virtual DWORD Prepare(HBITMAP hBitmap, int cx, int cy, HWND hWnd) = 0;
    virtual DWORD Write(HANDLE hFile) = 0;
};

// Writes all the bytes for a writer, or says why not; a short write means the disk is
// full, and a cancelled save (zarp::SaveCancelled) stops between pieces.
DWORD WriteAll(HANDLE hFile, const void* p, uint64_t bytes);
// Slows every writer by ms for each piece it writes (a mebibyte at most), for tests of
// a slow disk; returns the old pause.
DWORD SetWritePauseForTesting(DWORD msPerPiece);

struct ImageFormat {
    const wchar_t* typeText;   // in the save dialog's type list
    const wchar_t* extension;  // without the dot
    zarp::SaveOptions (*saveOptions)();
    std::unique_ptr<CImageWriter> (*makeWriter)();
};

// BMP first: the type the dialog offers first, and the default extension.
const std::vector<ImageFormat>& ImageFormats();
// The extensions of ImageFormats, in its order.
std::vector<std::wstring> ImageExtensions();

// Errors of the image writers that the system has no code for (the application bit set).
constexpr DWORD kErrorNoImagingComponent = 0x20000000u | 0x5A02u;  // no COM, or no WIC PNG encoder
