// Times the grab, the zoomed re-render, Copy and Save As on the real (virtual) screen
// beside anchors measured in the same run: a plain memory copy of the same bytes, and
// a bare StretchBlt into a bitmap that was used before and into a fresh one. Prints
// markdown rows on stdout and "name value" lines into the file named by argv[1], from
// which bench/run.sh computes its checks.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include "../app/ZarpApp.h"
#include "../app/ZarpDoc.h"
#include "../frame/MainFrm.h"
#include "../res/resource.h"
#include "../view/ZarpView.h"
#include "../view/clock_source.h"
#include "../image/SafeSave.h"
#include <thread>
#include <psapi.h>
#include <wincodec.h>
#include "../framework/comptr.h"
#include <commctrl.h>

namespace {
CZarpApp theBenchApp;
int g_now = 500000;
int FakeStamp() { return g_now; }
FILE* g_values = nullptr;

using Clock = std::chrono::steady_clock;
// Runs per measurement; the fastest counts (other work on the machine only slows a run).
constexpr int kRuns = 9;
template <class F> double BestMs(int reps, F&& f) {
    double best = 1e30;
    for (int i = 0; i < reps; ++i) {
        auto t0 = Clock::now();
        f();
        best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    return best;
}

void Value(const char* name, double v) {
    if (g_values) std::fprintf(g_values, "%s %.3f\n", name, v);
}

double MemcpyMs(size_t bytes) {
    std::vector<char> a(bytes, 1), b(bytes, 2);
    return BestMs(kRuns, [&] { std::memcpy(b.data(), a.data(), bytes); });
}

// What writing the same bytes durably costs the file system: one memory copy, one write
// and the flush a save makes so that a power cut finds the new bytes on the disk.
double MemcpyAndWriteMs(size_t bytes, const std::wstring& path) {
    std::vector<char> a(bytes, 1), b(bytes, 2);
    return BestMs(kRuns, [&] {
        std::memcpy(b.data(), a.data(), bytes);
        HANDLE f = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD put = 0;
        ::WriteFile(f, b.data(), (DWORD)bytes, &put, nullptr);
        ::FlushFileBuffers(f);
        ::CloseHandle(f);
    });
}

void Row(const char* what, double ms, double anchorMs, const char* anchor) {
    if (anchorMs > 0)
        std::printf("| %s | %.1f | %s: %.1f | %.2f |\n", what, ms, anchor, anchorMs, ms / anchorMs);
    else  // an anchor measured outside this process, set beside it below the table
        std::printf("| %s | %.1f | %s | - |\n", what, ms, anchor);
}

double PrivateMb() {
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), (PROCESS_MEMORY_COUNTERS*)&pmc, sizeof pmc);
    return pmc.PagefileUsage / 1048576.0;  // the commit charge: what Windows calls private bytes
}

// A bare COLORONCOLOR StretchBlt of the capture to zoom, into `target` (made here when
// it holds nothing).
void BareStretch(CZarpView& v, CBitmap& target, int zoom) {
    const int cx = v.m_nImageCx * zoom / 100, cy = v.m_nImageCy * zoom / 100;
    if (target.IsNull()) target.CreateCompatibleBitmap(&v.m_dcScreen, cx, cy);
    CBitmapDC src(&v.m_dcScreen, v.m_bmpCapture), dst(&v.m_dcScreen, target);
    dst.SetStretchBltMode(COLORONCOLOR);
    dst.StretchBlt(0, 0, cx, cy, &src, 0, 0, v.m_nImageCx, v.m_nImageCy, SRCCOPY);
}

// The anchor of the PNG save: the imaging component's PNG encoder alone, turning the
// same 24-bit rows into a file in memory.
double BareEncodeMs(const std::vector<BYTE>& rows, int cx, int cy, UINT stride) {
    CComPtr<IWICImagingFactory> factory;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(&factory))))
        return 0;
    return BestMs(kRuns, [&] {
        CComPtr<IStream> stream;
        CComPtr<IWICBitmapEncoder> encoder;
        CComPtr<IWICBitmapFrameEncode> frame;
        CComPtr<IPropertyBag2> props;
        WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
        ::CreateStreamOnHGlobal(nullptr, TRUE, &stream);
        factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder);
        encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache);
        encoder->CreateNewFrame(&frame, &props);
        frame->Initialize(props.Get());
        frame->SetSize(cx, cy);
        frame->SetPixelFormat(&format);
        frame->WritePixels(cy, stride, stride * cy, const_cast<BYTE*>(rows.data()));
        frame->Commit();
        encoder->Commit();
    });
}

void Zoom(CZarpView& v, int zoom) {
    v.m_nZoom = zoom;
    ::SendMessageW(v.m_hWnd, WM_TIMER, 1, 0);
}
}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) g_values = std::fopen(argv[1], "wb");
    theBenchApp.InitApplication(::GetModuleHandleW(nullptr), SW_SHOWNORMAL);
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);  // as Zarp.exe starts
    zarp::SetStampSourceForTesting(&FakeStamp);
    CSingleDocTemplate tmpl(IDR_MAINFRAME, RUNTIME_CLASS(CZarpDoc), RUNTIME_CLASS(CMainFrame),
                            RUNTIME_CLASS(CZarpView));
    tmpl.OpenDocumentFile(nullptr, true);
    auto* frame = dynamic_cast<CMainFrame*>(AfxGetMainWnd());
    auto* view = dynamic_cast<CZarpView*>(frame->GetActiveView());
    CZarpView& v = *view;
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    v.m_strInitDir = temp;  // the settings file of the saves goes there
    MSG m;
    while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&m);

    const int cx = ::GetSystemMetrics(SM_CXSCREEN), cy = ::GetSystemMetrics(SM_CYSCREEN);
    const double mp = cx * (double)cy / 1e6;
    std::printf("Screen %dx%d\n\n", cx, cy);

    // Memory first, before any timing buffer exists: the capture shown at 200 %, then 50 %.
    v.m_nCaptureMode = 1;
    v.GrabImage();
    Zoom(v, 200);
    const double at200 = PrivateMb();
    Zoom(v, 50);
    const double at50 = PrivateMb();
    Value("private_mb_200", at200);
    Value("private_mb_50", at50);

    std::printf("| operation | ms (best of %d) | anchor, ms | ratio |\n|---|---|---|---|\n", kRuns);
    Zoom(v, 100);
    const double grab = BestMs(kRuns, [&] { v.GrabImage(); });
    Row("grab of the whole screen, shown at 100 %", grab, 0, "`xwd -root`: below the table");
    Value("grab_ms", grab);
    Value("grab_ms_per_mp", grab / mp);

    // The anchors of the re-render: the same stretch with nothing around it.
    CBitmap reused, fresh;
    BareStretch(v, reused, 200);
    const double bareReused = BestMs(kRuns, [&] { BareStretch(v, reused, 200); });
    const double bareFresh = BestMs(kRuns, [&] {
        fresh.DeleteObject();
        BareStretch(v, fresh, 200);
    });
    fresh.DeleteObject();
    reused.DeleteObject();
    const size_t bytes200 = (size_t)cx * cy * 16;
    Row("bare StretchBlt to 200 % into a reused bitmap", bareReused, MemcpyMs(bytes200), "memcpy of its bytes");
    Row("bare StretchBlt to 200 % into a fresh bitmap", bareFresh, bareReused, "into a reused one");

    Zoom(v, 200);
    const double render200 = BestMs(kRuns, [&] { v.RenderZoom(); });
    Row("re-render at 200 % (both copies, painted)", render200, 2 * bareReused, "two reused StretchBlts");
    Value("render200_ratio", render200 / (2 * bareReused));
    Value("render200_ms_per_mp", render200 / (mp * 4));

    const double back = BestMs(3, [&] {
                            for (int i = 0; i < 10; ++i) {
                                Zoom(v, 100);
                                Zoom(v, 200);
                            }
                        }) /
                        20;
    Row("zoom 100 % <-> 200 %, ten times each way, per step (best of 3)", back, 2 * bareReused, "two reused StretchBlts");
    Value("zoom_step_ratio", back / (2 * bareReused));

    for (int zoom : {10, 50}) {
        Zoom(v, zoom);
        const double ms = BestMs(kRuns, [&] { v.RenderZoom(); });
        char label[96];
        std::snprintf(label, sizeof label, "re-render at %d %% (%dx%d)", zoom, v.m_nZoomCx, v.m_nZoomCy);
        Row(label, ms, MemcpyMs((size_t)cx * cy * 4), "memcpy of the 100 % picture");
    }

    Zoom(v, 100);
    const size_t bytes100 = (size_t)cx * cy * 4;
    const double copy = BestMs(kRuns, [&] { v.OnEditCopy(); });
    Row("Copy at 100 %", copy, MemcpyMs(bytes100), "memcpy of its bytes");
    Value("copy_ms_per_mp", copy / mp);

    const std::wstring path = std::wstring(temp) + L"zarp-bench.bmp";
    const std::wstring plain = std::wstring(temp) + L"zarp-bench.raw";
    const double save = BestMs(kRuns, [&] { v.SavePicture(path.c_str(), L"zarp-bench.bmp"); });
    const double writeAnchor = MemcpyAndWriteMs(bytes100 + 54, plain);
    Row("Save As at 100 % (without the dialog)", save, writeAnchor, "memcpy + write + flush of the file's bytes");
    const double settings = BestMs(kRuns, [&] { v.WriteSettings(); });
    const double extract = BestMs(kRuns, [&] { v.ExtractRange(); });
    Row("of which the settings file, rewritten whole and flushed", settings, save, "the whole Save As");
    Row("of which the cut into the output bitmap", extract, save, "the whole Save As");
    Value("save_ratio", save / writeAnchor);
    Value("save_ms_per_mp", save / mp);
    // PNG: Save As beside a bare encode of the same pixels, and the two files' sizes.
    const std::wstring png = std::wstring(temp) + L"zarp-bench.png";
    const double savePng = BestMs(kRuns, [&] { v.SavePicture(png.c_str(), L"zarp-bench.png"); });
    const UINT stride = (UINT)((cx * 3 + 3) & ~3);
    std::vector<BYTE> rows((size_t)stride * cy);
    {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), cx, -cy, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        ::GetDIBits(v.m_dcScreen.GetSafeHdc(), v.m_bmpWork, 0, cy, rows.data(), &bi, DIB_RGB_COLORS);
    }
    const double bareEncode = BareEncodeMs(rows, cx, cy, stride);
    Row("Save As PNG at 100 % (without the dialog)", savePng, bareEncode, "bare PNG encode of the same pixels");
    Value("png_save_ratio", bareEncode > 0 ? savePng / bareEncode : 99);
    WIN32_FILE_ATTRIBUTE_DATA bmpData{}, pngData{};
    ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &bmpData);
    ::GetFileAttributesExW(png.c_str(), GetFileExInfoStandard, &pngData);
    std::printf("\nThe screen as a file: BMP %lu bytes, PNG %lu bytes (%.1f %% of the BMP).\n", bmpData.nFileSizeLow,
                pngData.nFileSizeLow, 100.0 * pngData.nFileSizeLow / (bmpData.nFileSizeLow ? bmpData.nFileSizeLow : 1));
    // The window while a save waits: another Zarp's save of the file holds its lock for
    // 3 s; meanwhile another thread asks the frame for an answer every 100 ms.
    double worstAnswer = 0;
    std::atomic<bool> taken{false}, stop{false};
    std::thread other([&] {
        HANDLE h = ::CreateMutexW(nullptr, FALSE, zarp::SaveLockNameOf(path).c_str());
        ::WaitForSingleObject(h, INFINITE);
        taken = true;
        for (const auto t0 = Clock::now(); !stop; ::Sleep(100)) {
            if (h && std::chrono::duration<double>(Clock::now() - t0).count() >= 3) ::ReleaseMutex(h), ::CloseHandle(h), h = nullptr;
            const auto asked = Clock::now();
            DWORD_PTR r = 0;
            ::SendMessageTimeoutW(frame->m_hWnd, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &r);
            if (!stop) worstAnswer = std::max(worstAnswer, std::chrono::duration<double, std::milli>(Clock::now() - asked).count());
        }
    });
    while (!taken) ::Sleep(1);
    v.SavePicture(path.c_str(), L"zarp-bench.bmp");
    stop = true;
    other.join();
    std::printf("\nWhile a save waits 3 s for another Zarp's save of the file, the frame answers within %.0f ms "
                "(the worst answer to a WM_NULL sent every 100 ms).\n", worstAnswer);
    Value("save_wait_answer_ms", worstAnswer);
    ::DeleteFileW(png.c_str());
    ::DeleteFileW(path.c_str());
    ::DeleteFileW(plain.c_str());

    // After an idle spell, in which the view's poll stops, a slider move must still reach
    // the picture within one of the frame's ticks and one of the view's: real timers here.
    const auto pumpFor = [](double ms) {
        for (auto t0 = Clock::now(); std::chrono::duration<double, std::milli>(Clock::now() - t0).count() < ms;) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        }
    };
    HWND slider = frame->m_wndZoomBar.GetDlgItem(IDC_ZOOM_SLIDER);
    double worst = 0;
    for (int i = 0; i < 6; ++i) {
        const int target = i % 2 ? 100 : 50;
        pumpFor(500);
        ::SendMessageW(slider, TBM_SETPOS, TRUE, target);
        const auto t0 = Clock::now();
        while (v.m_nZoomShown != target && std::chrono::duration<double>(Clock::now() - t0).count() < 5) pumpFor(1);
        worst = std::max(worst, std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    std::printf("\nA slider move after half a second of idling reaches the picture within %.0f ms (the worst of 6).\n",
                worst);
    Value("slider_answer_ms", worst);

    std::printf("\nPrivate bytes at this screen size: %.0f MB with the picture shown at 200 %%, %.0f MB after "
                "zooming to 50 %% (the picture at 100 %% is %.0f MB; the two copies at 200 %% are %.0f MB).\n",
                at200, at50, bytes100 / 1048576.0, bytes100 * 8 / 1048576.0);
    AfxGetApp()->m_pMainWnd = nullptr;
    frame->DestroyWindow();
    if (g_values) std::fclose(g_values);
    return 0;
}
