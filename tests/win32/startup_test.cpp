// The frame, zoom bar and view right after start-up.
#include <direct.h>
#include "support.h"
#include <commctrl.h>

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
