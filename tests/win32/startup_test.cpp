// The frame, zoom bar and view right after start-up, and what Zarp.exe carries for the
// system: version information, icons and manifest.
#include <direct.h>
#include "support.h"
#include <commctrl.h>
#include <cstring>
#include "zarp_version.h"

#ifndef ZARP_EXE_PATH
#error "ZARP_EXE_PATH must name the built Zarp.exe"
#endif

using zt::Pump;
using zt::PumpUntil;

TEST(Startup, ViewHoldsItsInitialState) {
    zt::ZarpWindow w;
    ASSERT_NE(w.view, nullptr);
    CZarpView& v = *w.view;
    EXPECT_EQ(v.m_nWaitMs, 1000);
    EXPECT_EQ(v.m_nCaptureMode, 0);
    EXPECT_EQ(v.m_bPending, 0);
    EXPECT_EQ(v.m_nRangeMode, 0);
    EXPECT_EQ(v.m_bRange, 0);
    EXPECT_EQ(v.m_bDrag, 0);
    EXPECT_EQ(v.m_nZoom, 100);
    EXPECT_EQ(v.m_nZoomShown, 100);
    EXPECT_TRUE(v.m_rcRange.IsRectNull());
    EXPECT_TRUE(v.m_rcDrag.IsRectNull());
    EXPECT_EQ(v.m_nImageCx, 0);
    EXPECT_EQ(v.m_nZoomCx, 0);
    EXPECT_TRUE(v.m_bmpCapture.IsNull());
    EXPECT_TRUE(v.m_bmpZoomSave.IsNull());
    EXPECT_NE(v.m_dcScreen.GetSafeHdc(), nullptr);
    EXPECT_EQ(v.m_pMainWnd, w.frame);
    EXPECT_EQ(v.GetTotalSize(), CSize(100, 100));
    wchar_t* cwd = _wgetcwd(nullptr, 0);
    EXPECT_EQ(v.m_strInitDir, CString(cwd));
    free(cwd);
    EXPECT_FALSE(v.m_strWork.IsEmpty());
}

TEST(Startup, TitleIsTheApplicationTitleWithoutDocumentName) {
    zt::ZarpWindow w;
    wchar_t title[64];
    ::GetWindowTextW(w.frame->m_hWnd, title, 64);
    EXPECT_STREQ(title, L"Zarp");
}

TEST(Startup, ZoomBarStandsAtTheRightEdgeWithSliderAt100) {
    zt::ZarpWindow w;
    HWND slider = w.frame->m_wndZoomBar.GetDlgItem(IDC_ZOOM_SLIDER);
    HWND edit = w.frame->m_wndZoomBar.GetDlgItem(IDC_ZOOM_EDIT);
    ASSERT_TRUE(slider && edit);
    EXPECT_EQ(::SendMessageW(slider, TBM_GETRANGEMIN, 0, 0), 10);
    EXPECT_EQ(::SendMessageW(slider, TBM_GETRANGEMAX, 0, 0), 200);
    EXPECT_EQ(::SendMessageW(slider, TBM_GETPOS, 0, 0), 100);
    EXPECT_TRUE(w.frame->m_bZoomBarReady);

    CRect client = w.frame->GetClientRect();
    CRect bar = w.frame->m_wndZoomBar.GetWindowRect();
    ::MapWindowPoints(nullptr, w.frame->m_hWnd, (POINT*)&bar, 2);
    EXPECT_EQ(bar.right, client.right);
    CRect sliderRect;
    ::GetWindowRect(slider, &sliderRect);
    EXPECT_EQ(sliderRect.Height(), client.Height() - 100);

    wchar_t text[32];
    ASSERT_TRUE(PumpUntil([&] { return ::GetWindowTextW(edit, text, 32) > 0; }, 1000));
    EXPECT_STREQ(text, L"100");
}

TEST(Startup, SliderMovesReachTheBoxAndTheViewButTypedTextDoesNot) {
    zt::ZarpWindow w;
    HWND slider = w.frame->m_wndZoomBar.GetDlgItem(IDC_ZOOM_SLIDER);
    HWND edit = w.frame->m_wndZoomBar.GetDlgItem(IDC_ZOOM_EDIT);
    wchar_t text[32];
    PumpUntil([&] { return ::GetWindowTextW(edit, text, 32) > 0; }, 1000);

    ::SetWindowTextW(edit, L"abc");
    Pump(250);
    EXPECT_EQ(w.view->m_nZoom, 100);
    ::GetWindowTextW(edit, text, 32);
    EXPECT_STREQ(text, L"abc");

    ::SendMessageW(slider, TBM_SETPOS, TRUE, 150);
    ASSERT_TRUE(PumpUntil([&] { return w.view->m_nZoom == 150; }, 1000));
    ::GetWindowTextW(edit, text, 32);
    EXPECT_STREQ(text, L"150");

    // The control keeps the slider inside 10..200.
    ::SendMessageW(slider, TBM_SETPOS, TRUE, 500);
    ASSERT_TRUE(PumpUntil([&] { return w.view->m_nZoom == 200; }, 1000));
    ::SendMessageW(slider, TBM_SETPOS, TRUE, 1);
    ASSERT_TRUE(PumpUntil([&] { return w.view->m_nZoom == 10; }, 1000));
    ::GetWindowTextW(edit, text, 32);
    EXPECT_STREQ(text, L"10");
}

TEST(Startup, ResizingGivesTheSliderTheClientHeightLess100NeverNegative) {
    zt::ZarpWindow w;
    HWND slider = w.frame->m_wndZoomBar.GetDlgItem(IDC_ZOOM_SLIDER);
    ::SetWindowPos(w.frame->m_hWnd, nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
    CRect client = w.frame->GetClientRect();
    CRect s;
    ::GetWindowRect(slider, &s);
    EXPECT_EQ(s.Height(), client.Height() - 100);
    EXPECT_EQ(s.Width(), w.frame->m_wndZoomBar.GetWindowRect().Width());
    ::SetWindowPos(w.frame->m_hWnd, nullptr, 0, 0, 300, 120, SWP_NOMOVE | SWP_NOZORDER);
    ::GetWindowRect(slider, &s);
    EXPECT_EQ(s.Height(), 0);
}

TEST(Startup, ToolBarHoldsTheButtonsInOrder) {
    zt::ZarpWindow w;
    const UINT expected[] = {ID_FILE_SAVE_AS, 0, ID_EDIT_COPY, 0, ID_CAPTURE_SCREEN, ID_CAPTURE_ACTIVE, 0,
                             ID_RANGE, 0, ID_WAIT_1, ID_WAIT_2, ID_WAIT_3, ID_WAIT_4, ID_WAIT_5, 0,
                             ID_WAIT_6, ID_WAIT_7, ID_WAIT_8, ID_WAIT_9, ID_WAIT_10, 0, ID_WAIT_11, ID_WAIT_12,
                             ID_WAIT_13, ID_WAIT_14, ID_WAIT_15, 0, ID_APP_ABOUT};
    CToolBar& tb = w.frame->m_wndToolBar;
    ASSERT_EQ(tb.GetButtonCount(), (int)std::size(expected));
    for (int i = 0; i < tb.GetButtonCount(); ++i) EXPECT_EQ(tb.GetItemID(i), expected[i]) << "item " << i;
}

namespace {
// A child's window rectangle in the coordinates of another window's client area.
CRect RectIn(HWND child, HWND parent) {
    CRect r;
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, parent, (POINT*)&r, 2);
    return r;
}
bool Inside(const CRect& inner, const CRect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}
// The size of text in the window's own font.
CSize TextSize(HWND h, const wchar_t* text) {
    HDC dc = ::GetDC(h);
    HGDIOBJ old = ::SelectObject(dc, (HFONT)::SendMessageW(h, WM_GETFONT, 0, 0));
    SIZE s{};
    ::GetTextExtentPoint32W(dc, text, lstrlenW(text), &s);
    ::SelectObject(dc, old);
    ::ReleaseDC(h, dc);
    return CSize(s.cx, s.cy);
}
// A trackbar part (channel or thumb) in the bar's client coordinates; a vertical
// trackbar's channel comes with x and y swapped on Windows.
CRect SliderPart(HWND slider, UINT msg, HWND bar) {
    CRect r;
    ::SendMessageW(slider, msg, 0, (LPARAM)&r);
    if (msg == TBM_GETCHANNELRECT && r.Width() > r.Height()) r = CRect(r.top, r.left, r.bottom, r.right);
    ::MapWindowPoints(slider, bar, (POINT*)&r, 2);
    return r;
}
}  // namespace

// Moved to screens of 150 % and 200 % and back: the bars get fonts, pictures and places
// for each DPI, everything stays inside its bar, and no text is cut.
TEST(Startup, ADpiChangeLaysTheBarsOutForTheNewDpi) {
    zt::ZarpWindow w(600, 350);  // twice as large still fits the screen
    CMainFrame& f = *w.frame;
    HWND bar = f.m_wndZoomBar.m_hWnd;
    HWND edit = f.m_wndZoomBar.GetDlgItem(IDC_ZOOM_EDIT);
    HWND slider = f.m_wndZoomBar.GetDlgItem(IDC_ZOOM_SLIDER);
    HWND label = ::GetWindow(bar, GW_CHILD);
    ASSERT_TRUE(edit && slider && label && label != edit);
    ASSERT_TRUE(PumpUntil([&] { return ::GetWindowTextLengthW(edit) > 0; }, 1000));
    const CRect editAt96 = RectIn(edit, bar), labelAt96 = RectIn(label, bar);
    const int barAt96 = f.m_wndZoomBar.GetWindowRect().Width();

    int previous = 96;
    for (int dpi : {144, 192, 96}) {
        SCOPED_TRACE(dpi);
        // Windows suggests the frame's size in the new DPI's terms, at the same place.
        CRect suggested = f.GetWindowRect();
        suggested.right = suggested.left + ::MulDiv(suggested.Width(), dpi, previous);
        suggested.bottom = suggested.top + ::MulDiv(suggested.Height(), dpi, previous);
        previous = dpi;
        ::SendMessageW(f.m_hWnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), (LPARAM)&suggested);
        zt::Pump(20);
        EXPECT_EQ(f.GetWindowRect(), suggested);
        // The caption's icon in the image drawn for 16 pixels at this DPI.
        ICONINFO icon{};
        ASSERT_TRUE(::GetIconInfo((HICON)::SendMessageW(f.m_hWnd, WM_GETICON, ICON_SMALL, 0), &icon));
        BITMAP mask{};
        ::GetObjectW(icon.hbmMask, sizeof mask, &mask);
        EXPECT_EQ(mask.bmWidth, ::MulDiv(16, dpi, 96));
        ::DeleteObject(icon.hbmMask);
        ::DeleteObject(icon.hbmColor);

        // The template's 9-point font at this DPI, in the percent box and the label.
        for (HWND h : {edit, label}) {
            LOGFONTW lf{};
            ::GetObjectW((HFONT)::SendMessageW(h, WM_GETFONT, 0, 0), sizeof lf, &lf);
            EXPECT_EQ(lf.lfHeight, -::MulDiv(9, dpi, 72));
        }
        EXPECT_NEAR(f.m_wndZoomBar.GetWindowRect().Width(), ::MulDiv(barAt96, dpi, 96), 1);

        // Bars side by side, nothing over another, everything inside its bar.
        const CRect client = f.GetClientRect();
        const CRect tool = RectIn(f.m_wndToolBar.m_hWnd, f.m_hWnd), zoom = RectIn(bar, f.m_hWnd);
        const CRect view = RectIn(w.view->m_hWnd, f.m_hWnd);
        EXPECT_TRUE(Inside(tool, client) && Inside(zoom, client) && Inside(view, client));
        EXPECT_LE(tool.bottom, zoom.top);
        EXPECT_LE(tool.bottom, view.top);
        EXPECT_LE(view.right, zoom.left);
        const CRect inBar = f.m_wndZoomBar.GetClientRect();
        EXPECT_TRUE(Inside(RectIn(label, bar), inBar));
        EXPECT_TRUE(Inside(RectIn(edit, bar), inBar));
        EXPECT_TRUE(Inside(SliderPart(slider, TBM_GETCHANNELRECT, bar), inBar));
        EXPECT_TRUE(Inside(SliderPart(slider, TBM_GETTHUMBRECT, bar), inBar));
        EXPECT_LE(RectIn(slider, f.m_hWnd).bottom, client.bottom);
        CToolBar& tb = f.m_wndToolBar;
        const CRect toolClient = tb.GetClientRect();
        for (int i = 0; i < tb.GetButtonCount(); ++i) {
            CRect b;
            ::SendMessageW(tb.m_hWnd, TB_GETITEMRECT, i, (LPARAM)&b);
            EXPECT_TRUE(Inside(b, toolClient)) << "button " << i;
            if (tb.GetItemID(i)) {
                EXPECT_GE(b.Height(), ::MulDiv(15, dpi, 96)) << "button " << i;
            }
        }

        // The widest text the box shows and the percent sign fit whole.
        CRect format;
        ::SendMessageW(edit, EM_GETRECT, 0, (LPARAM)&format);
        const CSize digits = TextSize(edit, L"200"), percent = TextSize(label, L"％");
        EXPECT_LE(digits.cx, format.Width());
        EXPECT_LE(digits.cy, format.Height());
        CRect labelClient;
        ::GetClientRect(label, &labelClient);
        EXPECT_LE(percent.cx, labelClient.Width());
        EXPECT_LE(percent.cy, labelClient.Height());
    }
    // Back at 96 DPI everything stands exactly where the template put it.
    EXPECT_EQ(RectIn(edit, bar), editAt96);
    EXPECT_EQ(RectIn(label, bar), labelAt96);
    EXPECT_EQ(f.m_wndZoomBar.GetWindowRect().Width(), barAt96);
}

namespace {
struct PictureCheck {
    uint32_t corner, body;
};
// Draws picture 0 (Save As) of a list over a plain background and reads its top-left
// corner and a point of the floppy's body, below its label.
PictureCheck DrawSavePicture(HIMAGELIST list, COLORREF background) {
    int cx = 0, cy = 0;
    ::ImageList_GetIconSize(list, &cx, &cy);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), cx, -cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP bmp = ::CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(dc, bmp);
    HBRUSH brush = ::CreateSolidBrush(background);
    RECT all{0, 0, cx, cy};
    ::FillRect(dc, &all, brush);
    ::ImageList_Draw(list, 0, dc, 0, 0, ILD_NORMAL);
    ::GdiFlush();
    const auto* px = static_cast<const uint32_t*>(bits);
    PictureCheck r{px[0] & 0xFFFFFF, px[(cx * 17 / 32) * cx + cx / 2] & 0xFFFFFF};
    ::SelectObject(dc, old);
    ::DeleteObject(brush);
    ::DeleteObject(bmp);
    ::DeleteDC(dc);
    return r;
}
int Red(uint32_t c) { return (int)(c >> 16) & 255; }
int Green(uint32_t c) { return (int)(c >> 8) & 255; }
int Blue(uint32_t c) { return (int)c & 255; }
}  // namespace

TEST(Startup, ToolBarShowsThePicturesDrawnForTheScreensDpi) {
    zt::ZarpWindow w;
    CToolBar& tb = w.frame->m_wndToolBar;
    auto images = [&] { return (HIMAGELIST)::SendMessageW(tb.m_hWnd, TB_GETIMAGELIST, 0, 0); };
    auto faded = [&] { return (HIMAGELIST)::SendMessageW(tb.m_hWnd, TB_GETDISABLEDIMAGELIST, 0, 0); };
    // Lists held before the test's changes: the pictures, and their faded copies if any.
    const int otherLists = afx::LiveCount(afx::HandleKind::ImageList) - (faded() ? 2 : 1);
    const int bitmaps = afx::LiveCount(afx::HandleKind::Bitmap);
    struct Row {
        int dpi, picture, buttonCx, buttonCy;
        bool alpha;  // 32-bit pictures with alpha and faded copies for disabled buttons
    } rows[] = {
        {144, 24, 35, 35, true},   // 150 %
        {192, 32, 46, 46, true},   // 200 %
        {120, 16, 25, 24, false},  // 125 %: no strip of 20; the 16-colour one, with wider margins
        {168, 24, 36, 36, true},   // 175 %: the 24 fits, the 32 does not
        {288, 32, 53, 53, true},   // 300 %: the largest there is
        {192, 32, 46, 46, true},   // again: nothing made twice, nothing left over
        {96, 16, 23, 22, false},   // back at 100 %: the strip and buttons of the resource
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.dpi << " DPI");
        ASSERT_TRUE(tb.ApplyDpi(r.dpi));
        int cx = 0, cy = 0;
        ASSERT_TRUE(images());
        ::ImageList_GetIconSize(images(), &cx, &cy);
        EXPECT_EQ(cx, r.picture);
        EXPECT_EQ(cy, r.picture == 16 ? 15 : r.picture);
        EXPECT_EQ(::ImageList_GetImageCount(images()), 21);
        const DWORD button = (DWORD)::SendMessageW(tb.m_hWnd, TB_GETBUTTONSIZE, 0, 0);
        EXPECT_EQ(LOWORD(button), r.buttonCx);
        EXPECT_EQ(HIWORD(button), r.buttonCy);
        EXPECT_EQ(tb.CalcFixedLayout().cy, r.buttonCy + ::MulDiv(6, r.dpi, 96));  // the bar's margin scales too
        EXPECT_EQ(faded() != nullptr, r.alpha);
        EXPECT_EQ(afx::LiveCount(afx::HandleKind::ImageList), otherLists + (r.alpha ? 2 : 1));
        EXPECT_EQ(afx::LiveCount(afx::HandleKind::Bitmap), bitmaps);

        // Around the picture the button shows through; the floppy itself is opaque blue.
        for (COLORREF bg : {RGB(255, 255, 255), RGB(0, 0, 0)}) {
            PictureCheck p = DrawSavePicture(images(), bg);
            EXPECT_EQ(p.corner, zt::Rgb(bg));
            EXPECT_GT(Blue(p.body), 100);
            EXPECT_LT(Red(p.body), 80);
            EXPECT_LT(Green(p.body), 80);
            if (!faded()) continue;
            PictureCheck f = DrawSavePicture(faded(), bg);
            EXPECT_EQ(f.corner, zt::Rgb(bg));
            EXPECT_NEAR(Red(f.body), Blue(f.body), 1);  // grey
            EXPECT_NEAR(Green(f.body), Blue(f.body), 1);
            // Half seen through, yet plain to see on any button face.
            EXPECT_GT(std::abs(Blue(f.body) - Blue(zt::Rgb(bg))), 40);
            EXPECT_GT(std::abs(Blue(f.body) - Blue(p.body)), 40);
        }
    }

    // A strip that cannot be loaded, or holds too few pictures for the buttons, is
    // passed over for the next best one.
    tb.SetSizedBitmaps({{0x7FFF, 32, 32}, {IDB_TOOLBAR_32, 48, 48}, {IDB_TOOLBAR_24, 24, 24}});
    ASSERT_TRUE(tb.ApplyDpi(288));
    int cx = 0, cy = 0;
    ::ImageList_GetIconSize(images(), &cx, &cy);
    EXPECT_EQ(cx, 24);
    EXPECT_EQ(afx::LiveCount(afx::HandleKind::ImageList), otherLists + 2);
    EXPECT_EQ(afx::LiveCount(afx::HandleKind::Bitmap), bitmaps);
}

namespace {
std::wstring BuiltZarpExe() {
    std::string unix = ZARP_EXE_PATH;
    std::wstring path = L"Z:";
    for (char c : unix) path += c == '/' ? L'\\' : (wchar_t)(unsigned char)c;
    return path;
}
using zt::Widen;
}  // namespace

TEST(ZarpExe, CarriesItsVersionIconsAndManifest) {
    const std::wstring exe = BuiltZarpExe();
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version information in " << ZARP_EXE_PATH;
    std::vector<BYTE> info(size);
    ASSERT_TRUE(::GetFileVersionInfoW(exe.c_str(), 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", (void**)&fixed, &len));
    const DWORD ms = MAKELONG(ZARP_VERSION_MINOR, ZARP_VERSION_MAJOR), ls = MAKELONG(0, ZARP_VERSION_PATCH);
    EXPECT_EQ(fixed->dwFileVersionMS, ms);
    EXPECT_EQ(fixed->dwFileVersionLS, ls);
    EXPECT_EQ(fixed->dwProductVersionMS, ms);
    EXPECT_EQ(fixed->dwProductVersionLS, ls);
    EXPECT_EQ(fixed->dwFileType, (DWORD)VFT_APP);

    WORD* translation = nullptr;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", (void**)&translation, &len));
    ASSERT_GE(len, 4u);
    EXPECT_EQ(translation[0], 0x0411);  // Japanese
    EXPECT_EQ(translation[1], 1200);    // Unicode
    const std::wstring version = Widen(ZARP_VERSION_TEXT);
    const struct {
        const char* name;
        std::wstring value;
    } strings[] = {
        {"FileDescription", L"Zarp 画面キャプチャー"}, {"ProductName", L"Zarp"},
        {"FileVersion", version},                      {"ProductVersion", version},
        {"OriginalFilename", L"Zarp.exe"},             {"LegalCopyright", L"Copyright (C) 2026 Zarp 開発チーム"},
    };
    for (const auto& s : strings) {
        wchar_t* value = nullptr;
        const std::wstring key = L"\\StringFileInfo\\041104B0\\" + Widen(s.name);
        ASSERT_TRUE(::VerQueryValueW(info.data(), key.c_str(), (void**)&value, &len)) << s.name;
        EXPECT_EQ(std::wstring(value), s.value) << s.name;
    }

    HMODULE mod = ::LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_TRUE(mod);
    auto resource = [&](const wchar_t* type, const wchar_t* name) {
        HRSRC r = ::FindResourceW(mod, name, type);
        const BYTE* data = r ? static_cast<const BYTE*>(::LockResource(::LoadResource(mod, r))) : nullptr;
        return std::string(data ? (const char*)data : "", data ? ::SizeofResource(mod, r) : 0);
    };

    // Each icon: its 32 x 32 image of 24 bits, and 16, 24, 48 and 256 pixels with alpha,
    // the 256 one as PNG.
    for (UINT id : {IDR_MAINFRAME, IDI_DOCUMENT}) {
        SCOPED_TRACE(testing::Message() << "icon " << id);
        const std::string group = resource(RT_GROUP_ICON, MAKEINTRESOURCEW(id));
        ASSERT_GE(group.size(), 6u);
        const int count = *(const WORD*)(group.data() + 4);
        ASSERT_EQ(group.size(), 6u + 14u * count);
        std::string sizes;
        for (int i = 0; i < count; ++i) {
            const BYTE* e = (const BYTE*)group.data() + 6 + 14 * i;
            const int px = e[0] ? e[0] : 256, bits = *(const WORD*)(e + 6), image = *(const WORD*)(e + 12);
            sizes += std::to_string(px) + "x" + std::to_string(bits) + " ";
            const std::string data = resource(RT_ICON, MAKEINTRESOURCEW(image));
            if (px == 256) {
                EXPECT_EQ(data.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
            } else if (bits == 32) {
                ASSERT_GE(data.size(), 40u + 4u * px * px);
                bool anyAlpha = false;
                for (int p = 0; p < px * px; ++p) anyAlpha |= data[40 + 4 * p + 3] != 0;
                EXPECT_TRUE(anyAlpha) << px << " px: an alpha channel of zeros only";
            }
        }
        EXPECT_EQ(sizes, "32x24 16x32 24x32 48x32 256x32 ");
    }

    const std::string manifest = resource(RT_MANIFEST, MAKEINTRESOURCEW(1));
    const char* needles[] = {
        R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")",
        R"(<requestedExecutionLevel level="asInvoker")",
        R"(<dpiAwareness xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">PerMonitorV2)",
        R"(<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true</dpiAware>)",
        R"(<supportedOS Id="{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"/>)",  // Windows 7
        R"(<supportedOS Id="{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"/>)",  // 8
        R"(<supportedOS Id="{1f676c76-80e1-4239-95bb-83d0f6d0da78}"/>)",  // 8.1
        R"(<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>)",  // 10 and 11
    };
    for (const char* n : needles) EXPECT_NE(manifest.find(n), std::string::npos) << n;
    ::FreeLibrary(mod);

    // Terminal-server aware, and the library search limited to the system folder by name.
    const std::string image = zt::ReadFileBytes(exe);
    ASSERT_GT(image.size(), 0x200u);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(image.data() + *(const LONG*)(image.data() + 0x3C));
    EXPECT_TRUE(nt->OptionalHeader.DllCharacteristics & IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE);
    EXPECT_NE(image.find("SetDefaultDllDirectories"), std::string::npos);
}
