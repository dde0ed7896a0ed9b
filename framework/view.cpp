#include "view.h"
#include <algorithm>
#include "ids.h"

CPrintInfo::~CPrintInfo() {
    if (m_pd.hDC) ::DeleteDC(m_pd.hDC);
    if (m_pd.hDevMode) ::GlobalFree(m_pd.hDevMode);
    if (m_pd.hDevNames) ::GlobalFree(m_pd.hDevNames);
}

BEGIN_MESSAGE_MAP(CView, CWnd)
    ON_WM_PAINT()
END_MESSAGE_MAP()

BOOL CView::PreCreateWindow(CREATESTRUCT& cs) {
    if (!cs.lpszClass) cs.lpszClass = RegisterClassOnce(L"ZfwView", CS_DBLCLKS, nullptr, nullptr);
    return TRUE;
}

bool CView::Create(CWnd* pParent, UINT nID, CCreateContext* pContext) {
    m_pDocument = pContext ? pContext->m_pCurrentDoc : nullptr;
    CREATESTRUCT cs{};
    cs.style = WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL;
    cs.dwExStyle = WS_EX_CLIENTEDGE;
    cs.hwndParent = pParent->m_hWnd;
    if (!PreCreateWindow(cs)) return false;
    return CreateEx(cs.dwExStyle, cs.lpszClass, nullptr, cs.style, 0, 0, 0, 0, cs.hwndParent,
                    (HMENU)(UINT_PTR)nID);
}

void CView::OnPrepareDC(CDC*, CPrintInfo*) {}

void CView::OnPaint() {
    CPaintDC dc(m_hWnd);
    OnPrepareDC(&dc);
    OnDraw(&dc);
}

bool CView::OnCmdMsg(UINT nID, int nCode, CCmdUI* pCmdUI) {
    if (CWnd::OnCmdMsg(nID, nCode, pCmdUI)) return true;
    return m_pDocument && m_pDocument->OnCmdMsg(nID, nCode, pCmdUI);
}

BOOL CView::DoPreparePrinting(CPrintInfo* pInfo) {
    pInfo->m_pd.lStructSize = sizeof(PRINTDLGW);
    pInfo->m_pd.hwndOwner = m_hWnd;
    pInfo->m_pd.Flags = PD_RETURNDC | PD_NOSELECTION | PD_NOPAGENUMS | (pInfo->m_bDirect ? PD_RETURNDEFAULT : 0);
    return ::PrintDlgW(&pInfo->m_pd) && pInfo->m_pd.hDC;
}

void CView::OnFilePrint() {
    CPrintInfo info;
    info.m_bDirect = afx::CurrentCommandId() == ID_FILE_PRINT_DIRECT;
    if (!OnPreparePrinting(&info)) return;
    CBorrowedDC dc(info.m_pd.hDC);
    DOCINFOW di{sizeof di};
    CString title = AfxGetApp() ? AfxGetApp()->m_strAppName : CString();
    di.lpszDocName = title;
    if (::StartDocW(dc, &di) <= 0) return;
    OnBeginPrinting(&dc, &info);
    if (::StartPage(dc) > 0) {
        OnPrepareDC(&dc, &info);
        OnDraw(&dc);
        ::EndPage(dc);
    }
    OnEndPrinting(&dc, &info);
    ::EndDoc(dc);
}

const CSize CScrollView::sizeDefault(0, 0);

BEGIN_MESSAGE_MAP(CScrollView, CView)
    ON_WM_SIZE()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
    ON_WM_MOUSEWHEEL()
END_MESSAGE_MAP()

void CScrollView::SetScrollSizes(int nMapMode, SIZE sizeTotal, const SIZE& sizePage, const SIZE& sizeLine) {
    m_nMapMode = nMapMode;
    m_totalDev = sizeTotal;
    // Default steps: a page is a tenth of the total, a line a tenth of a page.
    m_pageDev = sizePage;
    if (m_pageDev.cx == 0) m_pageDev.cx = m_totalDev.cx / 10;
    if (m_pageDev.cy == 0) m_pageDev.cy = m_totalDev.cy / 10;
    m_lineDev = sizeLine;
    if (m_lineDev.cx == 0) m_lineDev.cx = m_pageDev.cx / 10;
    if (m_lineDev.cy == 0) m_lineDev.cy = m_pageDev.cy / 10;
    if (m_hWnd) UpdateBars();
}

CPoint CScrollView::GetScrollPosition() const {
    return CPoint(::GetScrollPos(m_hWnd, SB_HORZ), ::GetScrollPos(m_hWnd, SB_VERT));
}

void CScrollView::OnPrepareDC(CDC* pDC, CPrintInfo* pInfo) {
    pDC->SetMapMode(m_nMapMode);
    CPoint pos = pInfo ? CPoint() : GetScrollPosition();
    pDC->SetViewportOrg(-pos.x, -pos.y);
}

void CScrollView::UpdateBars() {
    CRect client = GetClientRect();
    // The bars take room from the client area: measure without them first.
    DWORD style = GetStyle();
    int cx = client.Width() + ((style & WS_VSCROLL) ? ::GetSystemMetrics(SM_CXVSCROLL) : 0);
    int cy = client.Height() + ((style & WS_HSCROLL) ? ::GetSystemMetrics(SM_CYHSCROLL) : 0);
    bool needH = m_totalDev.cx > cx, needV = m_totalDev.cy > cy;
    if (needH && !needV) needV = m_totalDev.cy > cy - ::GetSystemMetrics(SM_CYHSCROLL);
    if (needV && !needH) needH = m_totalDev.cx > cx - ::GetSystemMetrics(SM_CXVSCROLL);
    if (needV) cx -= ::GetSystemMetrics(SM_CXVSCROLL);
    if (needH) cy -= ::GetSystemMetrics(SM_CYHSCROLL);

    CPoint oldPos = GetScrollPosition();
    SCROLLINFO si{sizeof si, SIF_PAGE | SIF_RANGE | SIF_POS | SIF_DISABLENOSCROLL};
    ::ShowScrollBar(m_hWnd, SB_HORZ, needH);
    si.nMin = 0;
    si.nMax = needH ? m_totalDev.cx - 1 : 0;
    si.nPage = needH ? (UINT)cx : 0;
    si.nPos = needH ? oldPos.x : 0;
    ::SetScrollInfo(m_hWnd, SB_HORZ, &si, TRUE);
    ::ShowScrollBar(m_hWnd, SB_VERT, needV);
    si.nMax = needV ? m_totalDev.cy - 1 : 0;
    si.nPage = needV ? (UINT)cy : 0;
    si.nPos = needV ? oldPos.y : 0;
    ::SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
    CPoint newPos = GetScrollPosition();
    if (newPos != oldPos) Invalidate();
}

void CScrollView::ScrollToPosition(POINT pt) {
    CPoint old = GetScrollPosition();
    ::SetScrollPos(m_hWnd, SB_HORZ, pt.x, TRUE);
    ::SetScrollPos(m_hWnd, SB_VERT, pt.y, TRUE);
    CPoint now = GetScrollPosition();
    if (now != old) ::ScrollWindowEx(m_hWnd, old.x - now.x, old.y - now.y, nullptr, nullptr, nullptr, nullptr,
                                     SW_INVALIDATE | SW_ERASE);
}

void CScrollView::OnSize(UINT, int, int) { UpdateBars(); }

void CScrollView::ScrollBarTo(int bar, int pos) {
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE};
    ::GetScrollInfo(m_hWnd, bar, &si);
    const int maxPos = si.nMax - (int)si.nPage + 1;
    if (pos > maxPos) pos = maxPos;
    if (pos < 0) pos = 0;
    CPoint target = GetScrollPosition();
    (bar == SB_HORZ ? target.x : target.y) = pos;
    ScrollToPosition(target);
}

void CScrollView::OnScroll(int bar, UINT code) {
    SCROLLINFO si{sizeof si, SIF_ALL};
    ::GetScrollInfo(m_hWnd, bar, &si);
    int pos = si.nPos;
    int line = bar == SB_HORZ ? m_lineDev.cx : m_lineDev.cy;
    int page = bar == SB_HORZ ? m_pageDev.cx : m_pageDev.cy;
    switch (code) {
    case SB_LINEUP: pos -= line; break;
    case SB_LINEDOWN: pos += line; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = si.nTrackPos; break;
    case SB_TOP: pos = si.nMin; break;
    case SB_BOTTOM: pos = si.nMax; break;
    default: return;
    }
    ScrollBarTo(bar, pos);
}

void CScrollView::OnHScroll(UINT code, UINT, HWND) { OnScroll(SB_HORZ, code); }

BOOL CScrollView::OnMouseWheel(UINT flags, short delta, CPoint) {
    UINT lines = 3;
    ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    const int bar = (flags & MK_SHIFT) ? SB_HORZ : SB_VERT;
    // A notch scrolls at least a few dozen pixels, whatever the picture's size.
    const int step = std::max<int>(bar == SB_HORZ ? m_lineDev.cx : m_lineDev.cy, 16);
    const CPoint pos = GetScrollPosition();
    ScrollBarTo(bar, (bar == SB_HORZ ? pos.x : pos.y) + (int)lines * step * -delta / WHEEL_DELTA);
    return TRUE;
}

void CScrollView::OnVScroll(UINT code, UINT, HWND) { OnScroll(SB_VERT, code); }
