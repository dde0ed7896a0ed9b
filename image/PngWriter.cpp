#include "PngWriter.h"
#include <initguid.h>  // the component's class and interface identifiers, defined here
#include <wincodec.h>
#include "DibUtil.h"
#include "dib_format.h"

namespace {
HRESULT g_factoryFailure = S_OK, g_encodeFailure = S_OK;

// A component's result as the save reports it: its system error where it has one.
DWORD ErrorOf(HRESULT hr) {
    if (hr == E_OUTOFMEMORY) return ERROR_NOT_ENOUGH_MEMORY;
    if (HRESULT_FACILITY(hr) == FACILITY_WIN32) return HRESULT_CODE(hr);
    return (DWORD)hr;
}

HRESULT MakeFactory(CComPtr<IWICImagingFactory>& factory) {
    if (FAILED(g_factoryFailure)) return g_factoryFailure;
    return ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(&factory));
}
}  // namespace

CPngWriter::CPngWriter() = default;
CPngWriter::~CPngWriter() = default;

void CPngWriter::SetFailureForTesting(HRESULT factory, HRESULT encode) {
    g_factoryFailure = factory;
    g_encodeFailure = encode;
}

DWORD CPngWriter::Prepare(HBITMAP hBitmap, int cx, int cy, HWND hWnd) {
    BITMAP bm{};
    if (!hBitmap || !::GetObjectW(hBitmap, sizeof bm, &bm) || cx <= 0 || cy <= 0 || cx != bm.bmWidth ||
        cy != bm.bmHeight)
        return ERROR_INVALID_PARAMETER;
    const uint64_t stride = zarp::DibStride(cx, 24);
    if (stride * (uint64_t)cy > 0x7FFFFFFFull) return ERROR_FILE_TOO_LARGE;
    if (!m_pixels.Alloc(GMEM_MOVEABLE, (SIZE_T)(stride * cy))) return ERROR_NOT_ENOUGH_MEMORY;
    CComPtr<IWICImagingFactory> factory;
    const HRESULT hr = MakeFactory(factory);
    if (FAILED(hr)) return hr == E_OUTOFMEMORY ? ERROR_NOT_ENOUGH_MEMORY : kErrorNoImagingComponent;

    // Top row first, three bytes a pixel (blue, green, red), as the encoder takes them;
    // read through the window with the system palette, as the BMP's are.
    CSystemPaletteDC dc(hWnd);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), cx, -cy, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    CGlobalLock lock(m_pixels.Get());
    if (!lock.Get()) return ERROR_NOT_ENOUGH_MEMORY;
    ::SetLastError(0);
    if (::GetDIBits(dc, hBitmap, 0, (UINT)cy, lock.Get(), &bi, DIB_RGB_COLORS) != cy) {
        const DWORD err = ::GetLastError();
        return err ? err : ERROR_INVALID_DATA;
    }
    m_cx = cx;
    m_cy = cy;
    m_stride = (UINT)stride;
    return 0;
}

DWORD CPngWriter::Write(HANDLE hFile) {
    if (!m_pixels.Get()) return ERROR_INVALID_PARAMETER;
    if (FAILED(g_encodeFailure)) return ErrorOf(g_encodeFailure);
    CComPtr<IWICImagingFactory> factory;
    CComPtr<IStream> stream;
    CComPtr<IWICBitmapEncoder> encoder;
    CComPtr<IWICBitmapFrameEncode> frame;
    CComPtr<IPropertyBag2> properties;
    CGlobalLock pixels(m_pixels.Get());
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    HRESULT hr = pixels.Get() ? MakeFactory(factory) : E_OUTOFMEMORY;
    if (FAILED(hr) && hr != E_OUTOFMEMORY) return kErrorNoImagingComponent;
    // Into memory first: Wine's encoder runs a third slower into a stream of any other kind.
    if (SUCCEEDED(hr)) hr = ::CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    if (SUCCEEDED(hr)) hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder);
    if (SUCCEEDED(hr)) hr = encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache);
    if (SUCCEEDED(hr)) hr = encoder->CreateNewFrame(&frame, &properties);
    if (SUCCEEDED(hr)) hr = frame->Initialize(properties.Get());
    if (SUCCEEDED(hr)) hr = frame->SetSize((UINT)m_cx, (UINT)m_cy);
    if (SUCCEEDED(hr)) hr = frame->SetPixelFormat(&format);
    if (SUCCEEDED(hr) && !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) hr = WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
    if (SUCCEEDED(hr))
        hr = frame->WritePixels((UINT)m_cy, m_stride, m_stride * (UINT)m_cy, static_cast<BYTE*>(pixels.Get()));
    if (SUCCEEDED(hr)) hr = frame->Commit();
    if (SUCCEEDED(hr)) hr = encoder->Commit();
    HGLOBAL encoded = nullptr;
    STATSTG stat{};
    if (SUCCEEDED(hr)) hr = ::GetHGlobalFromStream(stream.Get(), &encoded);
    if (SUCCEEDED(hr)) hr = stream->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr)) return ErrorOf(hr);
    // The stream's memory holds the whole file; it goes with the stream.
    CGlobalLock bytes(encoded);
    if (!bytes.Get()) return ERROR_NOT_ENOUGH_MEMORY;
    return WriteAll(hFile, bytes.Get(), stat.cbSize.QuadPart);
}
