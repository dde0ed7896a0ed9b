#include "view.h"
#include <algorithm>
#include <climits>
#include "dpi.h"
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

LRESULT CView::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
        if (::GetFocus() != m_hWnd) ::SetFocus(m_hWnd);
        break;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

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
    // Without a printer, or with one that refuses the job, a box says so; a print
    // dialog the user cancelled says nothing.
    const auto cannotPrint = [] {
        AfxMessageBox(L"印刷できません。プリンターが設定されていないか、使用できません。", MB_ICONEXCLAMATION | MB_OK);
    };
    if (!OnPreparePrinting(&info)) {
        if (info.m_bDirect || ::CommDlgExtendedError() != 0) cannotPrint();
        return;
    }
    CBorrowedDC dc(info.m_pd.hDC);
    DOCINFOW di{sizeof di};
    CString title = AfxGetApp() ? AfxGetApp()->m_strAppName : CString();
    di.lpszDocName = title;
    if (::StartDocW(dc, &di) <= 0) {
        cannotPrint();
        return;
    }
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
    ON_WM_KEYDOWN()
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
    // The bars are as wide as at the window's own DPI, which on a second screen may
    // differ from the system's.
    const int dpi = afx::WindowDpi(m_hWnd);
    const int barCx = afx::SystemMetricForDpi(SM_CXVSCROLL, dpi), barCy = afx::SystemMetricForDpi(SM_CYHSCROLL, dpi);
    int cx = client.Width() + ((style & WS_VSCROLL) ? barCx : 0);
    int cy = client.Height() + ((style & WS_HSCROLL) ? barCy : 0);
    bool needH = m_totalDev.cx > cx, needV = m_totalDev.cy > cy;
    if (needH && !needV) needV = m_totalDev.cy > cy - barCy;
    if (needV && !needH) needH = m_totalDev.cx > cx - barCx;
    if (needV) cx -= barCx;
    if (needH) cy -= barCy;

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
    const int maxPos = si.nMax - std::max((int)si.nPage - 1, 0);
    if (pos > maxPos) pos = maxPos;
    if (pos < 0) pos = 0;
    CPoint target = GetScrollPosition();
    (bar == SB_HORZ ? target.x : target.y) = pos;
    ScrollToPosition(target);
}

void CScrollView::OnScroll(int bar, UINT code, int times) {
    SCROLLINFO si{sizeof si, SIF_ALL};
    ::GetScrollInfo(m_hWnd, bar, &si);
    int pos = si.nPos;
    // At least a pixel, so that a small picture still moves; in 64 bits, since the
    // repeat count of a held key multiplies the step.
    const long long line = std::max<long long>(bar == SB_HORZ ? m_lineDev.cx : m_lineDev.cy, 1) * (long long)times;
    const long long page = std::max<long long>(bar == SB_HORZ ? m_pageDev.cx : m_pageDev.cy, 1) * (long long)times;
    auto moved = [&](long long delta) { return (int)std::clamp<long long>(pos + delta, INT_MIN, INT_MAX); };
    switch (code) {
    case SB_LINEUP: pos = moved(-line); break;
    case SB_LINEDOWN: pos = moved(line); break;
    case SB_PAGEUP: pos = moved(-page); break;
    case SB_PAGEDOWN: pos = moved(page); break;
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
    // While a mouse drag holds the view, the picture stays put under the pointer.
    if (::GetCapture() == m_hWnd) return TRUE;
    UINT lines = 3;
    ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    const int bar = (flags & MK_SHIFT) ? SB_HORZ : SB_VERT;
    const CPoint pos = GetScrollPosition();
    const long long from = bar == SB_HORZ ? pos.x : pos.y;
    long long step;
    if (lines == WHEEL_PAGESCROLL) {
        // "One screen at a time" in the mouse settings: a page a notch.
        step = std::max<long long>(bar == SB_HORZ ? m_pageDev.cx : m_pageDev.cy, 1);
        lines = 1;
    } else {
        // A notch scrolls at least a few dozen pixels, whatever the picture's size.
        step = std::max<long long>(bar == SB_HORZ ? m_lineDev.cx : m_lineDev.cy, 16);
    }
    const long long to = from + (long long)lines * step * -delta / WHEEL_DELTA;
    ScrollBarTo(bar, (int)std::clamp<long long>(to, INT_MIN, INT_MAX));
    return TRUE;
}

void CScrollView::OnVScroll(UINT code, UINT, HWND) { OnScroll(SB_VERT, code); }

void CScrollView::OnKeyDown(UINT nChar, UINT nRepCnt, UINT) {
    struct KeyScroll {
        UINT key;
        int bar;
        UINT code;
    };
    static const KeyScroll kKeys[] = {
        {VK_UP, SB_VERT, SB_LINEUP},     {VK_DOWN, SB_VERT, SB_LINEDOWN}, {VK_LEFT, SB_HORZ, SB_LINEUP},
        {VK_RIGHT, SB_HORZ, SB_LINEDOWN}, {VK_PRIOR, SB_VERT, SB_PAGEUP},  {VK_NEXT, SB_VERT, SB_PAGEDOWN},
        {VK_HOME, SB_VERT, SB_TOP},      {VK_END, SB_VERT, SB_BOTTOM},
    };
    for (const KeyScroll& k : kKeys) {
        if (k.key != nChar) continue;
        // While a mouse drag holds the view, the picture stays put under the pointer.
        if (::GetCapture() == m_hWnd) return;
        OnScroll(k.bar, k.code, nRepCnt > 0 ? (int)nRepCnt : 1);
        return;
    }
    Default();
}
