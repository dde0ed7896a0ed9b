#include "ZarpView.h"
#include <direct.h>
#include "../frame/MainFrm.h"
#include "../res/resource.h"
#include "wait_choices.h"

IMPLEMENT_DYNCREATE(CZarpView)

BEGIN_MESSAGE_MAP(CZarpView, CScrollView)
    ON_WM_TIMER()
    ON_COMMAND(ID_CAPTURE_SCREEN, &CZarpView::OnCaptureScreen)
    ON_COMMAND(ID_CAPTURE_ACTIVE, &CZarpView::OnCaptureActive)
    ON_COMMAND(ID_WAIT_1, &CZarpView::OnWait1)
    ON_COMMAND(ID_WAIT_2, &CZarpView::OnWait2)
    ON_COMMAND(ID_WAIT_3, &CZarpView::OnWait3)
    ON_COMMAND(ID_WAIT_4, &CZarpView::OnWait4)
    ON_COMMAND(ID_WAIT_5, &CZarpView::OnWait5)
    ON_COMMAND(ID_WAIT_6, &CZarpView::OnWait6)
    ON_COMMAND(ID_WAIT_7, &CZarpView::OnWait7)
    ON_COMMAND(ID_WAIT_8, &CZarpView::OnWait8)
    ON_COMMAND(ID_WAIT_9, &CZarpView::OnWait9)
    ON_COMMAND(ID_WAIT_10, &CZarpView::OnWait10)
    ON_COMMAND(ID_WAIT_11, &CZarpView::OnWait11)
    ON_COMMAND(ID_WAIT_12, &CZarpView::OnWait12)
    ON_COMMAND(ID_WAIT_13, &CZarpView::OnWait13)
    ON_COMMAND(ID_WAIT_14, &CZarpView::OnWait14)
    ON_COMMAND(ID_WAIT_15, &CZarpView::OnWait15)
    ON_UPDATE_COMMAND_UI(ID_WAIT_1, &CZarpView::OnUpdateWait1)
    ON_UPDATE_COMMAND_UI(ID_WAIT_2, &CZarpView::OnUpdateWait2)
    ON_UPDATE_COMMAND_UI(ID_WAIT_3, &CZarpView::OnUpdateWait3)
    ON_UPDATE_COMMAND_UI(ID_WAIT_4, &CZarpView::OnUpdateWait4)
    ON_UPDATE_COMMAND_UI(ID_WAIT_5, &CZarpView::OnUpdateWait5)
    ON_UPDATE_COMMAND_UI(ID_WAIT_6, &CZarpView::OnUpdateWait6)
    ON_UPDATE_COMMAND_UI(ID_WAIT_7, &CZarpView::OnUpdateWait7)
    ON_UPDATE_COMMAND_UI(ID_WAIT_8, &CZarpView::OnUpdateWait8)
    ON_UPDATE_COMMAND_UI(ID_WAIT_9, &CZarpView::OnUpdateWait9)
    ON_UPDATE_COMMAND_UI(ID_WAIT_10, &CZarpView::OnUpdateWait10)
    ON_UPDATE_COMMAND_UI(ID_WAIT_11, &CZarpView::OnUpdateWait11)
    ON_UPDATE_COMMAND_UI(ID_WAIT_12, &CZarpView::OnUpdateWait12)
    ON_UPDATE_COMMAND_UI(ID_WAIT_13, &CZarpView::OnUpdateWait13)
    ON_UPDATE_COMMAND_UI(ID_WAIT_14, &CZarpView::OnUpdateWait14)
    ON_UPDATE_COMMAND_UI(ID_WAIT_15, &CZarpView::OnUpdateWait15)
    ON_COMMAND(ID_RANGE, &CZarpView::OnRange)
    ON_UPDATE_COMMAND_UI(ID_RANGE, &CZarpView::OnUpdateRange)
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_CAPTURECHANGED()
    ON_WM_RBUTTONDOWN()
    ON_WM_RBUTTONUP()
    ON_WM_CONTEXTMENU()
    ON_COMMAND(ID_EDIT_COPY, &CZarpView::OnEditCopy)
    ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, &CZarpView::OnUpdateEditCopy)
    ON_COMMAND(ID_FILE_SAVE_AS, &CZarpView::OnFileSaveAs)
    ON_UPDATE_COMMAND_UI(ID_FILE_SAVE_AS, &CZarpView::OnUpdateFileSaveAs)
    ON_COMMAND(ID_HELP_PAGE, &CZarpView::OnHelpPage)
    ON_COMMAND(ID_FILE_PRINT, &CView::OnFilePrint)
    ON_COMMAND(ID_FILE_PRINT_DIRECT, &CView::OnFilePrint)
    ON_COMMAND(ID_FILE_PRINT_PREVIEW, &CView::OnFilePrintPreview)
END_MESSAGE_MAP()

CZarpView::CZarpView()
    : m_bDrag(0), m_bRange(0), m_nZoom(100), m_nZoomShown(100), m_nImageCx(0), m_nImageCy(0), m_nZoomCx(0),
      m_nZoomCy(0), m_nRangeMode(kRangeOff), m_pMainWnd(nullptr), m_nWaitMs(1000), m_nStartMs(0), m_nNowMs(0),
      m_nCaptureMode(kCaptureNone), m_bPending(0) {}

CZarpView::~CZarpView() = default;

BOOL CZarpView::PreCreateWindow(CREATESTRUCT& cs) { return CScrollView::PreCreateWindow(cs); }

void CZarpView::OnInitialUpdate() {
    CScrollView::OnInitialUpdate();
    SetScrollSizes(MM_TEXT, CSize(100, 100), sizeDefault, sizeDefault);
    // The start folder, however long.
    if (wchar_t* cwd = _wgetcwd(nullptr, 0)) {
        m_strInitDir = cwd;
        free(cwd);
    }
    ReadSettings();
    m_dcScreen.CreateDC(L"DISPLAY", nullptr, nullptr, nullptr);
    m_pMainWnd = dynamic_cast<CMainFrame*>(AfxGetMainWnd());
    if (m_pMainWnd) m_pMainWnd->InitZoomBar();
    StartPoll();
}

void CZarpView::StartPoll() { SetTimer(1, 1); }

void CZarpView::SetWait(UINT id) { m_nWaitMs = zarp::WaitMsOf(id); }
void CZarpView::UpdateWait(CCmdUI* pCmdUI, UINT id) { pCmdUI->SetCheck(m_nWaitMs == zarp::WaitMsOf(id) ? 1 : 0); }

bool CZarpView::HasPicture() const {
    return !m_bmpZoom.IsNull() && m_nZoomCx > 0 && m_nZoomCy > 0;
}

CRect CZarpView::OutputRect() const {
    if (!HasPicture() || m_bDrag) return CRect();
    CRect rc = m_nRangeMode == kRangeOff ? CRect(0, 0, m_nZoomCx, m_nZoomCy) : m_rcPicture;
    if (rc.IsRectEmpty() || rc.left < 0 || rc.top < 0 || rc.right > m_nZoomCx || rc.bottom > m_nZoomCy)
        return CRect();
    return rc;
}

void CZarpView::UpdateOutputFlag() { m_bRange = OutputRect().IsRectEmpty() ? 0 : 1; }

void CZarpView::Warn(const CString& text) {
    // The bars behind the box show the state it speaks of, not the one before.
    if (auto* pFrame = dynamic_cast<CFrameWnd*>(AfxGetMainWnd())) pFrame->OnIdleUpdateCmdUI();
    MessageBox(text, L"警告", MB_ICONEXCLAMATION | MB_OK);
}

void CZarpView::OnWait1() { SetWait(ID_WAIT_1); }
void CZarpView::OnWait2() { SetWait(ID_WAIT_2); }
void CZarpView::OnWait3() { SetWait(ID_WAIT_3); }
void CZarpView::OnWait4() { SetWait(ID_WAIT_4); }
void CZarpView::OnWait5() { SetWait(ID_WAIT_5); }
void CZarpView::OnWait6() { SetWait(ID_WAIT_6); }
void CZarpView::OnWait7() { SetWait(ID_WAIT_7); }
void CZarpView::OnWait8() { SetWait(ID_WAIT_8); }
void CZarpView::OnWait9() { SetWait(ID_WAIT_9); }
void CZarpView::OnWait10() { SetWait(ID_WAIT_10); }
void CZarpView::OnWait11() { SetWait(ID_WAIT_11); }
void CZarpView::OnWait12() { SetWait(ID_WAIT_12); }
void CZarpView::OnWait13() { SetWait(ID_WAIT_13); }
void CZarpView::OnWait14() { SetWait(ID_WAIT_14); }
void CZarpView::OnWait15() { SetWait(ID_WAIT_15); }
void CZarpView::OnUpdateWait1(CCmdUI* p) { UpdateWait(p, ID_WAIT_1); }
void CZarpView::OnUpdateWait2(CCmdUI* p) { UpdateWait(p, ID_WAIT_2); }
void CZarpView::OnUpdateWait3(CCmdUI* p) { UpdateWait(p, ID_WAIT_3); }
void CZarpView::OnUpdateWait4(CCmdUI* p) { UpdateWait(p, ID_WAIT_4); }
void CZarpView::OnUpdateWait5(CCmdUI* p) { UpdateWait(p, ID_WAIT_5); }
void CZarpView::OnUpdateWait6(CCmdUI* p) { UpdateWait(p, ID_WAIT_6); }
void CZarpView::OnUpdateWait7(CCmdUI* p) { UpdateWait(p, ID_WAIT_7); }
void CZarpView::OnUpdateWait8(CCmdUI* p) { UpdateWait(p, ID_WAIT_8); }
void CZarpView::OnUpdateWait9(CCmdUI* p) { UpdateWait(p, ID_WAIT_9); }
void CZarpView::OnUpdateWait10(CCmdUI* p) { UpdateWait(p, ID_WAIT_10); }
void CZarpView::OnUpdateWait11(CCmdUI* p) { UpdateWait(p, ID_WAIT_11); }
void CZarpView::OnUpdateWait12(CCmdUI* p) { UpdateWait(p, ID_WAIT_12); }
void CZarpView::OnUpdateWait13(CCmdUI* p) { UpdateWait(p, ID_WAIT_13); }
void CZarpView::OnUpdateWait14(CCmdUI* p) { UpdateWait(p, ID_WAIT_14); }
void CZarpView::OnUpdateWait15(CCmdUI* p) { UpdateWait(p, ID_WAIT_15); }
