// The right-button context menu: when it opens, where, what it greys, and that its
// items run the ordinary commands.
#include <thread>
#include "support.h"

using zt::FakeClock;

namespace {
struct MenuSeen {
    bool open = false;
    UINT copyState = 0, saveState = 0;
    RECT rect{};
};

// Watches for the popup menu, reads it, then sends the given key to it.
std::thread WatchMenu(MenuSeen& seen, UINT key, int timeoutMs) {
    return std::thread([&seen, key, timeoutMs] {
        for (int t = 0; t < timeoutMs; t += 10) {
            HWND menuWnd = ::FindWindowW(L"#32768", nullptr);
            if (menuWnd && ::IsWindowVisible(menuWnd)) {
                HMENU menu = (HMENU)::SendMessageW(menuWnd, MN_GETHMENU, 0, 0);
                seen.open = true;
                seen.copyState = ::GetMenuState(menu, ID_EDIT_COPY, MF_BYCOMMAND);
                seen.saveState = ::GetMenuState(menu, ID_FILE_SAVE_AS, MF_BYCOMMAND);
                ::GetWindowRect(menuWnd, &seen.rect);
                ::PostMessageW(menuWnd, WM_KEYDOWN, key, 0);
                if (key != VK_ESCAPE) ::PostMessageW(menuWnd, WM_CHAR, key, 0);
                return;
            }
            ::Sleep(10);
        }
    });
}

void RightClick(zt::ZarpWindow& w, int x, int y) {
    ::SendMessageW(w.view->m_hWnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y));
    ::SendMessageW(w.view->m_hWnd, WM_RBUTTONUP, 0, MAKELPARAM(x, y));
}
}  // namespace

TEST(ContextMenu, NothingBeforeTheFirstCaptureRequest) {
    zt::ZarpWindow w;
    MenuSeen seen;
    std::thread t = WatchMenu(seen, VK_ESCAPE, 300);
    RightClick(w, 50, 50);
    t.join();
    EXPECT_FALSE(seen.open);
}

TEST(ContextMenu, OpensAtThePointerGreyedOnlyInRangeModeWithoutRange) {
    FakeClock clock;
    zt::PatternWindow pattern(700, 300, 200, 150);
    zt::ZarpWindow w(400, 300);
    w.CaptureWindow(pattern.hwnd);

    MenuSeen off;
    std::thread t = WatchMenu(off, VK_ESCAPE, 3000);
    RightClick(w, 60, 40);
    t.join();
    ASSERT_TRUE(off.open);
    EXPECT_FALSE(off.copyState & MF_GRAYED);
    EXPECT_FALSE(off.saveState & MF_GRAYED);
    POINT at{60, 40};
    ::ClientToScreen(w.view->m_hWnd, &at);
    EXPECT_EQ(off.rect.left, at.x);
    EXPECT_EQ(off.rect.top, at.y);

    w.Command(ID_RANGE);
    MenuSeen noRange;
    t = WatchMenu(noRange, VK_ESCAPE, 3000);
    RightClick(w, 60, 40);
    t.join();
    EXPECT_TRUE(noRange.copyState & MF_GRAYED);
    EXPECT_TRUE(noRange.saveState & MF_GRAYED);

    // With a range marked, Copy from the menu puts exactly that range on the clipboard.
    ::SendMessageW(w.view->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
    ::SendMessageW(w.view->m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, 45));
    ::SendMessageW(w.view->m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(50, 45));
    zt::SetClipboardText(L"before");
    MenuSeen withRange;
    t = WatchMenu(withRange, 'c', 3000);
    RightClick(w, 60, 40);
    t.join();
    zt::Pump(50);
    EXPECT_FALSE(withRange.copyState & MF_GRAYED);
    int cx = 0, cy = 0;
    auto px = zt::DibPixels(zt::ClipboardDib(), &cx, &cy);
    EXPECT_EQ(cx, 40);
    EXPECT_EQ(cy, 25);
    ASSERT_FALSE(px.empty());
    EXPECT_EQ(px[0], zt::Rgb(zt::PatternAt(10, 20)));
    // The range and its frame stay as they were.
    EXPECT_EQ(w.view->m_rcRange, CRect(10, 20, 50, 45));

    // A right-click during a drag ends the drag first: the menu offers what it marked.
    ::SendMessageW(w.view->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    ::SendMessageW(w.view->m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(70, 60));
    MenuSeen midDrag;
    t = WatchMenu(midDrag, VK_ESCAPE, 3000);
    RightClick(w, 70, 60);
    t.join();
    EXPECT_FALSE(midDrag.copyState & MF_GRAYED);
    EXPECT_EQ(w.view->m_bDrag, 0);
    EXPECT_EQ(w.view->m_rcPicture, CRect(20, 20, 70, 60));
}
