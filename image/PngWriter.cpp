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

// The encoder's output stream: the open file itself, from the position it had, through
// WriteAll (so a full disk and a cancelled save read as they do for the BMP writer).
class CFileStream : public IStream {
public:
    explicit CFileStream(HANDLE h) : m_h(h) {
        LARGE_INTEGER zero{};
        ::SetFilePointerEx(h, zero, &m_base, FILE_CURRENT);
    }
    DWORD Error() const { return m_error; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IStream) || IsEqualIID(riid, IID_ISequentialStream)) {
            *out = static_cast<IStream*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // Lives on the writer's stack for as long as the encoder does.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Read(void* p, ULONG n, ULONG* got) override {
        DWORD read = 0;
        const BOOL ok = ::ReadFile(m_h, p, n, &read, nullptr);
        if (got) *got = read;
        return ok ? (read == n ? S_OK : S_FALSE) : Fail(::GetLastError());
    }
    HRESULT STDMETHODCALLTYPE Write(const void* p, ULONG n, ULONG* written) override {
        if (DWORD err = WriteAll(m_h, p, n)) return Fail(err);
        if (written) *written = n;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* pos) override {
        LARGE_INTEGER to = move, now{};
        if (origin == STREAM_SEEK_SET) to.QuadPart += m_base.QuadPart;
        const DWORD method = origin == STREAM_SEEK_SET ? FILE_BEGIN : origin == STREAM_SEEK_CUR ? FILE_CURRENT : FILE_END;
        if (!::SetFilePointerEx(m_h, to, &now, method)) return Fail(::GetLastError());
        if (pos) pos->QuadPart = (ULONGLONG)(now.QuadPart - m_base.QuadPart);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override {
        LARGE_INTEGER now{}, zero{}, end{};
        end.QuadPart = m_base.QuadPart + (LONGLONG)size.QuadPart;
        if (!::SetFilePointerEx(m_h, zero, &now, FILE_CURRENT) || !::SetFilePointerEx(m_h, end, nullptr, FILE_BEGIN) ||
            !::SetEndOfFile(m_h) || !::SetFilePointerEx(m_h, now, nullptr, FILE_BEGIN))
            return Fail(::GetLastError());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override {
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(m_h, &size)) return Fail(::GetLastError());
        *stat = STATSTG{};
        stat->type = STGTY_STREAM;
        stat->cbSize.QuadPart = (ULONGLONG)(size.QuadPart - m_base.QuadPart);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }

private:
    HRESULT Fail(DWORD err) {
        m_error = err ? err : ERROR_WRITE_FAULT;
        return HRESULT_FROM_WIN32(m_error);
    }
    HANDLE m_h;
    LARGE_INTEGER m_base{};
    DWORD m_error = 0;
};
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
    CComPtr<IWICBitmapEncoder> encoder;
    CComPtr<IWICBitmapFrameEncode> frame;
    CComPtr<IPropertyBag2> properties;
    CFileStream stream(hFile);
    CGlobalLock pixels(m_pixels.Get());
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    HRESULT hr = pixels.Get() ? MakeFactory(factory) : E_OUTOFMEMORY;
    if (FAILED(hr) && hr != E_OUTOFMEMORY) return kErrorNoImagingComponent;
    if (SUCCEEDED(hr)) hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder);
    if (SUCCEEDED(hr)) hr = encoder->Initialize(&stream, WICBitmapEncoderNoCache);
    if (SUCCEEDED(hr)) hr = encoder->CreateNewFrame(&frame, &properties);
    if (SUCCEEDED(hr)) hr = frame->Initialize(properties.Get());
    if (SUCCEEDED(hr)) hr = frame->SetSize((UINT)m_cx, (UINT)m_cy);
    if (SUCCEEDED(hr)) hr = frame->SetPixelFormat(&format);
    if (SUCCEEDED(hr) && !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) hr = WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
    if (SUCCEEDED(hr))
        hr = frame->WritePixels((UINT)m_cy, m_stride, m_stride * (UINT)m_cy, static_cast<BYTE*>(pixels.Get()));
    if (SUCCEEDED(hr)) hr = frame->Commit();
    if (SUCCEEDED(hr)) hr = encoder->Commit();
    // The file's own error (a full disk, a cancel) rather than the encoder's version of it.
    if (FAILED(hr)) return stream.Error() ? stream.Error() : ErrorOf(hr);
    return 0;
}
