// Times the grab, the zoomed re-render, Copy and Save As on the real (virtual) screen,
// each as a ratio to a plain memory copy of the same number of bytes measured in the
// same run. Prints one markdown table row per measurement.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>
#include "../app/ZarpApp.h"
#include "../app/ZarpDoc.h"
#include "../frame/MainFrm.h"
#include "../image/DibUtil.h"
#include "../res/resource.h"
#include "../view/ZarpView.h"
#include "../view/clock_source.h"
#include <psapi.h>

namespace {
CZarpApp theBenchApp;
int g_now = 500000;
int FakeStamp() { return g_now; }

using Clock = std::chrono::steady_clock;
template <class F> double BestMs(int reps, F&& f) {
    double best = 1e30;
    for (int i = 0; i < reps; ++i) {
        auto t0 = Clock::now();
        f();
        best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    return best;
}

double MemcpyMs(size_t bytes) {
    std::vector<char> a(bytes, 1), b(bytes);
    return BestMs(5, [&] { std::memcpy(b.data(), a.data(), bytes); });
}

void Row(const char* what, double ms, size_t bytes) {
    double base = MemcpyMs(bytes);
    std::printf("| %s | %.1f | %.2f | %.0f |\n", what, ms, base, ms / base);
}

void Pump() {
    MSG m;
    while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&m);
}
}  // namespace

int main() {
    theBenchApp.InitApplication(::GetModuleHandleW(nullptr), SW_SHOWNORMAL);
    zarp::SetStampSourceForTesting(&FakeStamp);
    CSingleDocTemplate tmpl(IDR_MAINFRAME, RUNTIME_CLASS(CZarpDoc), RUNTIME_CLASS(CMainFrame),
                            RUNTIME_CLASS(CZarpView));
    tmpl.OpenDocumentFile(nullptr, true);
    auto* frame = dynamic_cast<CMainFrame*>(AfxGetMainWnd());
    auto* view = dynamic_cast<CZarpView*>(frame->GetActiveView());
    Pump();
    const int cx = ::GetSystemMetrics(SM_CXSCREEN), cy = ::GetSystemMetrics(SM_CYSCREEN);
    const size_t screenBytes = (size_t)cx * cy * 4;
    std::printf("Screen %dx%d\n\n| operation | ms (best of 5) | memcpy of the same bytes, ms | ratio |\n|---|---|---|---|\n", cx, cy);

    view->m_nCaptureMode = 1;
    // Memory first, before any timing buffer exists: a capture shown at 200 %.
    view->GrabImage();
    view->m_nZoomShown = 200;
    view->RenderZoom();
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), (PROCESS_MEMORY_COUNTERS*)&pmc, sizeof pmc);
    const double peakMb = pmc.PeakPagefileUsage / 1048576.0;
    view->m_nZoomShown = 100;

    double grab = BestMs(5, [&] { view->GrabImage(); });
    char label[128];
    std::snprintf(label, sizeof label, "grab whole screen %dx%d", cx, cy);
    Row(label, grab, screenBytes);

    for (int zoom : {10, 50, 100, 200}) {
        view->m_nZoomShown = zoom;
        double ms = BestMs(5, [&] { view->RenderZoom(); });
        size_t bytes = (size_t)view->m_nZoomCx * view->m_nZoomCy * 4;
        std::snprintf(label, sizeof label, "render zoom %d%% (%dx%d, two copies)", zoom, view->m_nZoomCx, view->m_nZoomCy);
        Row(label, ms, bytes * 2);
    }

    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring path = std::wstring(temp) + L"zarp-bench.bmp";
    for (int zoom : {100, 200}) {
        view->m_nZoomShown = zoom;
        view->RenderZoom();
        size_t bytes = (size_t)view->m_nZoomCx * view->m_nZoomCy * 4;
        double copy = BestMs(5, [&] {
            view->ExtractRange();
            CDibUtil util;
            HGLOBAL h = util.BitmapToDib(view->m_bmpWork, view->m_hWnd);
            ::GlobalFree(h);
        });
        std::snprintf(label, sizeof label, "copy at %d%%: extract + packed DIB (%dx%d)", zoom, view->m_nZoomCx, view->m_nZoomCy);
        Row(label, copy, bytes);
        double save = BestMs(5, [&] {
            view->ExtractRange();
            CDibUtil util;
            HGLOBAL h = util.BitmapToDib(view->m_bmpWork, view->m_hWnd);
            HANDLE f = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            CDibUtil::WriteBmpFile(f, h);
            ::CloseHandle(f);
            ::GlobalFree(h);
        });
        std::snprintf(label, sizeof label, "save at %d%%: extract + DIB + BMP file", zoom);
        Row(label, save, bytes);
    }
    ::DeleteFileW(path.c_str());

    std::printf("\nPeak private bytes of the process after one capture shown at 200%%: %.0f MB "
                "(the picture at 100%% is %.0f MB; the two zoomed copies at 200%% are %.0f MB)\n",
                peakMb, screenBytes / 1048576.0, screenBytes * 8 / 1048576.0);
    AfxGetApp()->m_pMainWnd = nullptr;
    frame->DestroyWindow();
    return 0;
}
