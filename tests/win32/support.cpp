#include "support.h"
#include <commctrl.h>
#include <cstring>
#include "../../framework/handles.h"
#include "../../view/clock_source.h"

namespace zt {

void Pump(int ms) {
    DWORD start = ::GetTickCount();
    MSG msg;
    do {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            if (!AfxGetApp()->PreTranslateMessage(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
        AfxGetApp()->OnIdle(0);
        if ((int)(::GetTickCount() - start) < ms) ::Sleep(1);
    } while ((int)(::GetTickCount() - start) < ms);
}

int FakeClock::now = 0;
static int FakeStamp() { return FakeClock::now; }
// The monotonic clock moves on by as much as the stamp did since it was last read (a
// stamp that wrapped counts the way round the cycle).
static unsigned long long FakeTick() {
    static int last = 0;
    static unsigned long long tick = 1u << 20;
    tick += (unsigned)((FakeClock::now - last + 1000000) % 1000000);
    last = FakeClock::now;
    return tick;
}
FakeClock::FakeClock() {
    now = 500000;
    FakeTick();
    zarp::SetStampSourceForTesting(&FakeStamp);
    zarp::SetTickSourceForTesting(&FakeTick);
}
FakeClock::~FakeClock() {
    zarp::SetStampSourceForTesting(nullptr);
    zarp::SetTickSourceForTesting(nullptr);
}

ZarpWindow::ZarpWindow(int clientCx, int clientCy) {
    m_template = std::make_unique<CSingleDocTemplate>(IDR_MAINFRAME, RUNTIME_CLASS(CZarpDoc),
                                                      RUNTIME_CLASS(CMainFrame), RUNTIME_CLASS(CZarpView));
    AfxGetApp()->m_pMainWnd = nullptr;
    doc = dynamic_cast<CZarpDoc*>(m_template->OpenDocumentFile(nullptr, true));
    frame = dynamic_cast<CMainFrame*>(AfxGetMainWnd());
    view = frame ? dynamic_cast<CZarpView*>(frame->GetActiveView()) : nullptr;
    if (frame) {
        // Size the frame so the view's client area is clientCx x clientCy.
        CRect viewClient = view->GetClientRect();
        CRect frameRect = frame->GetWindowRect();
        ::SetWindowPos(frame->m_hWnd, HWND_TOP, 0, 0, frameRect.Width() + clientCx - viewClient.Width(),
                       frameRect.Height() + clientCy - viewClient.Height(), SWP_NOMOVE);
        ::SetForegroundWindow(frame->m_hWnd);
    }
    Pump(20);
}

ZarpWindow::~ZarpWindow() {
    if (frame && frame->m_hWnd) {
        AfxGetApp()->m_pMainWnd = nullptr;  // no quit message for the test's loop
        frame->DestroyWindow();
    }
    m_template.reset();
    Pump(10);
}

bool ZarpWindow::SetZoom(int percent) {
    ::SendMessageW(frame->m_wndZoomBar.GetDlgItem(IDC_ZOOM_SLIDER), TBM_SETPOS, TRUE, percent);
    return PumpUntil([&] { return view->m_nZoomShown == percent && view->m_nZoom == percent; });
}

void ZarpWindow::CaptureNow(UINT commandId) {
    Command(commandId);
    // What the hidden frame covered repaints during the wait.
    Pump(50);
    FakeClock::now += view->m_nWaitMs + 1;
    Tick();
}

void ZarpWindow::CaptureWindow(HWND target) {
    Command(ID_CAPTURE_ACTIVE);
    ::SetForegroundWindow(target);
    ::SetWindowPos(target, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ::RedrawWindow(target, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Pump(30);
    FakeClock::now += view->m_nWaitMs + 1;
    Tick();
    ::SetForegroundWindow(frame->m_hWnd);
    Pump(10);
}

LRESULT CALLBACK PaintedWindow::Proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(h, &ps);
        RECT r;
        ::GetClientRect(h, &r);
        if (auto* self = reinterpret_cast<PaintedWindow*>(::GetWindowLongPtrW(h, GWLP_USERDATA)))
            self->m_paint(dc, r.right, r.bottom);
        ::EndPaint(h, &ps);
        return 0;
    }
    if (msg == WM_ERASEBKGND) return 1;
    return ::DefWindowProcW(h, msg, w, l);
}

PaintedWindow::PaintedWindow(int x, int y, int cx, int cy, Painter paint, DWORD style) : m_paint(std::move(paint)) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &PaintedWindow::Proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZarpTestPainted";
    ::RegisterClassW(&wc);
    hwnd = ::CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"painted", style, x, y, cx, cy, nullptr, nullptr,
                             wc.hInstance, nullptr);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, (LONG_PTR)this);
    ::ShowWindow(hwnd, SW_SHOWNORMAL);
    ::UpdateWindow(hwnd);
    Pump(30);
}

PaintedWindow::~PaintedWindow() {
    if (hwnd) ::DestroyWindow(hwnd);
    Pump(10);
}

void PaintedWindow::BringToFront() {
    ::SetForegroundWindow(hwnd);
    ::SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Pump(30);
}

PatternWindow::PatternWindow(int x, int y, int cx, int cy, DWORD style)
    : PaintedWindow(
          x, y, cx, cy,
          [](HDC dc, int w, int h) {
              // Painted through a DIB so every pixel is exact.
              BITMAPINFO bi{};
              bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB};
              std::vector<uint32_t> px((size_t)w * h);
              for (int y = 0; y < h; ++y)
                  for (int x = 0; x < w; ++x) px[(size_t)y * w + x] = Rgb(PatternAt(x, y));
              ::SetDIBitsToDevice(dc, 0, 0, w, h, 0, 0, 0, h, px.data(), &bi, DIB_RGB_COLORS);
          },
          style) {}

std::vector<uint32_t> ReadPixels(HBITMAP hBitmap, int* pCx, int* pCy) {
    BITMAP bm{};
    if (!hBitmap || !::GetObjectW(hBitmap, sizeof bm, &bm)) return {};
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), bm.bmWidth, -bm.bmHeight, 1, 32, BI_RGB};
    std::vector<uint32_t> px((size_t)bm.bmWidth * bm.bmHeight);
    HDC dc = ::GetDC(nullptr);
    ::GetDIBits(dc, hBitmap, 0, bm.bmHeight, px.data(), &bi, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, dc);
    for (auto& p : px) p &= 0xFFFFFF;
    if (pCx) *pCx = bm.bmWidth;
    if (pCy) *pCy = bm.bmHeight;
    return px;
}

std::vector<uint32_t> ZoomedPixels(const CZarpView& v, bool shown) {
    int cx = 0, cy = 0;
    auto all = ReadPixels(shown ? v.m_bmpZoomSave : v.m_bmpZoom, &cx, &cy);
    std::vector<uint32_t> part;
    for (int y = 0; y < v.m_nZoomCy && y < cy; ++y)
        for (int x = 0; x < v.m_nZoomCx && x < cx; ++x) part.push_back(all[(size_t)y * cx + x]);
    return part;
}

std::string ReadFileBytes(const std::wstring& path) {
    HANDLE f = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return {};
    std::string out(::GetFileSize(f, nullptr), '\0');
    DWORD got = 0;
    if (!out.empty() && !::ReadFile(f, &out[0], (DWORD)out.size(), &got, nullptr)) got = 0;
    ::CloseHandle(f);
    out.resize(got);
    return out;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE f = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD put = 0;
    ::WriteFile(f, bytes.data(), (DWORD)bytes.size(), &put, nullptr);
    ::CloseHandle(f);
}

std::wstring Widen(const char* utf8) {
    std::wstring out(strlen(utf8), L'\0');
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &out[0], (int)out.size() + 1);
    out.resize(n > 0 ? n - 1 : 0);  // a UTF-8 text never needs more UTF-16 units than it has bytes
    return out;
}

std::vector<uint8_t> ClipboardDib() {
    std::vector<uint8_t> out;
    if (!::OpenClipboard(nullptr)) return out;
    if (HANDLE h = ::GetClipboardData(CF_DIB)) {
        if (auto* p = static_cast<const uint8_t*>(::GlobalLock(h))) {
            out.assign(p, p + ::GlobalSize(h));
            ::GlobalUnlock(h);
        }
    }
    ::CloseClipboard();
    return out;
}

void SetClipboardText(const wchar_t* text) {
    if (!::OpenClipboard(nullptr)) return;
    ::EmptyClipboard();
    size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    std::memcpy(::GlobalLock(h), text, bytes);
    ::GlobalUnlock(h);
    ::SetClipboardData(CF_UNICODETEXT, h);
    ::CloseClipboard();
}

std::vector<uint32_t> DibPixels(const std::vector<uint8_t>& dib, int* pCx, int* pCy) {
    if (dib.size() < 40) return {};
    BITMAPINFOHEADER h;
    std::memcpy(&h, dib.data(), sizeof h);
    const int cx = h.biWidth, cy = h.biHeight, bpp = h.biBitCount;
    if (bpp != 24 && bpp != 32) return {};
    const size_t stride = ((size_t)cx * bpp + 31) / 32 * 4;
    std::vector<uint32_t> px((size_t)cx * cy);
    for (int y = 0; y < cy; ++y) {
        const uint8_t* row = dib.data() + 40 + stride * (size_t)(cy - 1 - y);
        for (int x = 0; x < cx; ++x) {
            const uint8_t* p = row + (size_t)x * (bpp / 8);
            px[(size_t)y * cx + x] = (p[2] << 16) | (p[1] << 8) | p[0];
        }
    }
    *pCx = cx;
    *pCy = cy;
    return px;
}

unsigned long long AllocLimit::limit = 0;
int AllocLimit::refused = 0;
static bool LimitedGate(afx::HandleKind, unsigned long long bytes) {
    if (bytes <= AllocLimit::limit) return true;
    ++AllocLimit::refused;
    return false;
}
AllocLimit::AllocLimit(unsigned long long maxBytes) {
    limit = maxBytes;
    refused = 0;
    afx::SetAllocGateForTesting(&LimitedGate);
}
AllocLimit::~AllocLimit() { afx::SetAllocGateForTesting(nullptr); }

namespace {
struct FoundBox {
    DWORD pid;
    HWND found;
};
BOOL CALLBACK FindWarningBox(HWND h, LPARAM lp) {
    auto* f = reinterpret_cast<FoundBox*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(h, &pid);
    wchar_t cls[16] = L"", caption[16] = L"";
    ::GetClassNameW(h, cls, 16);
    // Not GetWindowTextW: for a window of this process it sends WM_GETTEXT, which waits
    // for the test's thread, itself waiting in Stop for this one.
    ::InternalGetWindowText(h, caption, 16);
    // Zarp's own boxes and the framework's (captioned with the program's name).
    if (pid != f->pid || wcscmp(cls, L"#32770") ||
        (wcscmp(caption, L"警告") && wcscmp(caption, L"Zarp") && wcscmp(caption, L"名前を付けて保存")) ||
        !::IsWindowVisible(h))
        return TRUE;
    f->found = h;
    return FALSE;
}
}  // namespace

WarningCatcher::WarningCatcher() {
    m_thread = std::thread([this] {
        while (!m_stop) {
            FoundBox f{::GetCurrentProcessId(), nullptr};
            ::EnumWindows(FindWarningBox, (LPARAM)&f);
            if (f.found) {
                wchar_t buf[512] = L"";
                ::GetDlgItemTextW(f.found, 0xFFFF, buf, 512);
                const bool asks = ::GetDlgItem(f.found, IDYES) != nullptr;
                const int button = asks ? (answerYes ? IDYES : IDNO) : IDOK;
                (asks ? question : text) = buf;
                count += asks ? 0 : 1;
                ::PostMessageW(f.found, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), (LPARAM)::GetDlgItem(f.found, button));
                // Wait for this box to go before looking for another one.
                while (::IsWindow(f.found) && !m_stop) ::Sleep(5);
            }
            ::Sleep(10);
        }
    });
}

std::wstring WarningCatcher::Stop() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    return text;
}

WarningCatcher::~WarningCatcher() { Stop(); }

}  // namespace zt
