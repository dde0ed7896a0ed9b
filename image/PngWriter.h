// Writes the output bitmap as a PNG file through the Windows Imaging Component: 24-bit
// RGB, read from the bitmap as the BMP writer reads it, so the pixels are the BMP's.
#pragma once
#include "../framework/comptr.h"
#include "../framework/memory.h"
#include "ImageFormats.h"

struct IWICImagingFactory;

class CPngWriter : public CImageWriter {
public:
    CPngWriter();
    ~CPngWriter() override;
    // Reads the picture into one buffer of 24-bit rows and checks that the imaging
    // component can be had:
    // ERROR_NOT_ENOUGH_MEMORY without the buffer, kErrorNoImagingComponent without COM
    // or the component.
    DWORD Prepare(HBITMAP hBitmap, int cx, int cy, HWND hWnd) override;
    // Encodes the picture into memory with an imaging factory of the calling thread's own
    // (the save's worker), and writes it out: 0, or the component's error (a system error
    // code where it carries one).
    DWORD Write(HANDLE hFile) override;

    // Makes the component's creation, or every encoding, fail with that result, as the
    // system would (S_OK: as it is).
    static void SetFailureForTesting(HRESULT factory, HRESULT encode);

private:
    CGlobalMem m_pixels;
    int m_cx = 0, m_cy = 0;
    UINT m_stride = 0;
};
