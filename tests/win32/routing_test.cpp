// Command routing and update handling of the framework: route order, disabled
// commands never run, check marks on menus and tool-bar buttons.
#include "support.h"
#include "../../view/wait_choices.h"
#include <commctrl.h>

namespace {
int g_ran[8];

// A small document/view/frame trio that all answer overlapping commands, so the route
// order shows in which handler runs.
class RouteDoc : public CDocument {
    DECLARE_DYNCREATE(RouteDoc)
    DECLARE_MESSAGE_MAP()
public:
    void OnA() { ++g_ran[1]; }
    void OnB() { ++g_ran[2]; }
};
IMPLEMENT_DYNCREATE(RouteDoc)
BEGIN_MESSAGE_MAP(RouteDoc, CDocument)
    ON_COMMAND(0x9001, &RouteDoc::OnA)
    ON_COMMAND(0x9002, &RouteDoc::OnB)
END_MESSAGE_MAP()

class RouteView : public CView {
    DECLARE_DYNCREATE(RouteView)
    DECLARE_MESSAGE_MAP()
public:
    static bool s_enableD;
    void OnDraw(CDC*) override {}
    void OnA() { ++g_ran[0]; }
    void OnD() { ++g_ran[4]; }
    void OnUpdateD(CCmdUI* p) { p->Enable(s_enableD); }
    void OnUpdateE(CCmdUI* p) { p->SetCheck(1); }
};
bool RouteView::s_enableD = false;
IMPLEMENT_DYNCREATE(RouteView)
BEGIN_MESSAGE_MAP(RouteView, CView)
    ON_COMMAND(0x9001, &RouteView::OnA)
    ON_COMMAND(0x9004, &RouteView::OnD)
    ON_UPDATE_COMMAND_UI(0x9004, &RouteView::OnUpdateD)
    ON_UPDATE_COMMAND_UI(0x9005, &RouteView::OnUpdateE)
END_MESSAGE_MAP()

class RouteFrame : public CFrameWnd {
    DECLARE_DYNCREATE(RouteFrame)
    DECLARE_MESSAGE_MAP()
public:
    void OnA() { ++g_ran[5]; }
    void OnB() { ++g_ran[6]; }
    void OnC() {
        ++g_ran[3];
        g_ran[7] = (int)afx::CurrentCommandId();
    }
};
IMPLEMENT_DYNCREATE(RouteFrame)
BEGIN_MESSAGE_MAP(RouteFrame, CFrameWnd)
    ON_COMMAND(0x9001, &RouteFrame::OnA)
    ON_COMMAND(0x9002, &RouteFrame::OnB)
    ON_COMMAND(0x9003, &RouteFrame::OnC)
END_MESSAGE_MAP()

struct RouteFixture : ::testing::Test {
    std::unique_ptr<CSingleDocTemplate> tmpl;
    RouteFrame* frame = nullptr;
    void SetUp() override {
        std::fill(std::begin(g_ran), std::end(g_ran), 0);
        tmpl = std::make_unique<CSingleDocTemplate>(IDR_MAINFRAME, RUNTIME_CLASS(RouteDoc),
                                                    RUNTIME_CLASS(RouteFrame), RUNTIME_CLASS(RouteView));
        AfxGetApp()->m_pMainWnd = nullptr;
        ASSERT_NE(tmpl->OpenDocumentFile(nullptr, false), nullptr);
        frame = dynamic_cast<RouteFrame*>(AfxGetMainWnd());
        ASSERT_NE(frame, nullptr);
    }
    void TearDown() override {
        AfxGetApp()->m_pMainWnd = nullptr;
        if (frame) frame->DestroyWindow();
        tmpl.reset();
    }
    void Send(UINT id, int code = 0) { ::SendMessageW(frame->m_hWnd, WM_COMMAND, MAKEWPARAM(id, code), 0); }
};
}  // namespace

TEST_F(RouteFixture, ViewThenDocumentThenFrameThenApplication) {
    Send(0x9001);  // view, document and frame all handle it: the view wins
    Send(0x9002);  // document and frame: the document wins
    Send(0x9003);  // frame only
    EXPECT_EQ(g_ran[0], 1);
    EXPECT_EQ(g_ran[1], 0);
    EXPECT_EQ(g_ran[5], 0);
    EXPECT_EQ(g_ran[2], 1);
    EXPECT_EQ(g_ran[6], 0);
    EXPECT_EQ(g_ran[3], 1);
    EXPECT_EQ(g_ran[7], 0x9003);  // a handler can tell which command it runs for
    EXPECT_EQ(afx::CurrentCommandId(), 0u);
    // The application's own handlers are reached last.
    EXPECT_TRUE(frame->OnCmdMsg(ID_APP_ABOUT, CN_PROBE, nullptr));
    EXPECT_FALSE(frame->OnCmdMsg(0x9999, CN_PROBE, nullptr));
}

TEST_F(RouteFixture, QueryingHasNoSideEffects) {
    EXPECT_TRUE(frame->IsCommandEnabled(0x9001));
    EXPECT_FALSE(frame->IsCommandEnabled(0x9999));  // no handler: disabled
    EXPECT_FALSE(frame->IsCommandEnabled(0x9004));  // update handler disables it
    for (int n : g_ran) EXPECT_EQ(n, 0);
}

TEST_F(RouteFixture, DisabledCommandNeverRunsWhateverSentIt) {
    RouteView::s_enableD = false;
    Send(0x9004, 0);  // menu or button
    Send(0x9004, 1);  // accelerator
    EXPECT_EQ(g_ran[4], 0);
    RouteView::s_enableD = true;
    Send(0x9004, 1);
    EXPECT_EQ(g_ran[4], 1);
    RouteView::s_enableD = false;
}

TEST_F(RouteFixture, MenuPopupRunsUpdateHandlers) {
    HMENU popup = ::CreatePopupMenu();
    ::AppendMenuW(popup, MF_STRING, 0x9004, L"d");
    ::AppendMenuW(popup, MF_STRING, 0x9005, L"e");
    ::AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(popup, MF_STRING, 0x9999, L"none");
    ::AppendMenuW(popup, MF_STRING, 0x9003, L"c");
    RouteView::s_enableD = false;
    ::SendMessageW(frame->m_hWnd, WM_INITMENUPOPUP, (WPARAM)popup, 0);
    EXPECT_TRUE(::GetMenuState(popup, 0x9004, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(::GetMenuState(popup, 0x9005, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(::GetMenuState(popup, 0x9999, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(::GetMenuState(popup, 0x9003, MF_BYCOMMAND) & MF_GRAYED);
    ::DestroyMenu(popup);
}

// The same rules, on Zarp's own menus, tool bar and accelerators.
TEST(ZarpCommands, WaitCheckMarksFollowTheChosenWait) {
    zt::ZarpWindow w;
    HMENU waits = ::GetSubMenu(::GetSubMenu(w.frame->GetMenu(), 2), 3);
    ASSERT_NE(waits, nullptr);
    ASSERT_EQ(::GetMenuItemCount(waits), 15);
    HWND tb = w.frame->m_wndToolBar.m_hWnd;
    for (const zarp::WaitChoice& row : zarp::kWaitChoices) {  // each menu item in the table's order
        SCOPED_TRACE(row.ms);
        w.Command(row.id);
        EXPECT_EQ(w.view->m_nWaitMs, row.ms);
        ::SendMessageW(w.frame->m_hWnd, WM_INITMENUPOPUP, (WPARAM)waits, 3);
        for (int i = 0; i < 15; ++i) {
            EXPECT_EQ(::GetMenuItemID(waits, i), zarp::kWaitChoices[i].id);
            EXPECT_EQ((::GetMenuState(waits, i, MF_BYPOSITION) & MF_CHECKED) != 0, zarp::kWaitChoices[i].ms == row.ms);
        }
        w.frame->OnIdleUpdateCmdUI();
        EXPECT_TRUE(::SendMessageW(tb, TB_ISBUTTONCHECKED, row.id, 0));
        EXPECT_EQ(::SendMessageW(tb, TB_ISBUTTONCHECKED, ID_WAIT_1, 0) != 0, row.id == ID_WAIT_1);
    }
}

TEST(ZarpCommands, OutputAndRangeAreDisabledBeforeAnyCapture) {
    zt::ZarpWindow w;
    EXPECT_FALSE(w.frame->IsCommandEnabled(ID_EDIT_COPY));
    EXPECT_FALSE(w.frame->IsCommandEnabled(ID_FILE_SAVE_AS));
    EXPECT_FALSE(w.frame->IsCommandEnabled(ID_RANGE));
    EXPECT_TRUE(w.frame->IsCommandEnabled(ID_CAPTURE_SCREEN));
    EXPECT_TRUE(w.frame->IsCommandEnabled(ID_APP_ABOUT));
    w.frame->OnIdleUpdateCmdUI();
    HWND tb = w.frame->m_wndToolBar.m_hWnd;
    EXPECT_FALSE(::SendMessageW(tb, TB_ISBUTTONENABLED, ID_EDIT_COPY, 0));
    EXPECT_FALSE(::SendMessageW(tb, TB_ISBUTTONENABLED, ID_RANGE, 0));
    EXPECT_TRUE(::SendMessageW(tb, TB_ISBUTTONENABLED, ID_CAPTURE_ACTIVE, 0));

    // Ctrl+C through the accelerator table does nothing: the clipboard keeps its text.
    zt::SetClipboardText(L"keep me");
    MSG msg{w.frame->m_hWnd, WM_KEYDOWN, 'C', 0};
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    ::SetKeyboardState(keys);
    msg.hwnd = w.view->m_hWnd;
    w.frame->PreTranslateMessage(&msg);
    keys[VK_CONTROL] = 0;
    ::SetKeyboardState(keys);
    w.Command(ID_EDIT_COPY, 1);
    EXPECT_TRUE(zt::ClipboardDib().empty());
}
