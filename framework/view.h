// Views: a child window that draws its document, and a view that scrolls.
#pragma once
#include "doc.h"
#include "wnd.h"

struct CPrintInfo {
    PRINTDLGW m_pd{};
    bool m_bDirect = false;  // print with the default printer, without asking
    UINT m_nCurPage = 1;
    ~CPrintInfo();
};

class CView : public CWnd {
    DECLARE_MESSAGE_MAP()
public:
    bool Create(CWnd* pParent, UINT nID, CCreateContext* pContext);
    CDocument* GetDocument() const { return m_pDocument; }

    virtual BOOL PreCreateWindow(CREATESTRUCT& cs);
    virtual void OnInitialUpdate() { Invalidate(); }
    virtual void OnDraw(CDC* pDC) = 0;
    virtual void OnPrepareDC(CDC* pDC, CPrintInfo* pInfo = nullptr);
    virtual BOOL OnPreparePrinting(CPrintInfo* pInfo) { return DoPreparePrinting(pInfo); }
    virtual void OnBeginPrinting(CDC*, CPrintInfo*) {}
    virtual void OnEndPrinting(CDC*, CPrintInfo*) {}
    // Asks for a printer (or takes the default one when printing directly).
    BOOL DoPreparePrinting(CPrintInfo* pInfo);

    bool OnCmdMsg(UINT nID, int nCode, CCmdUI* pCmdUI) override;
    // A mouse button pressed in the view gives it the keyboard focus first.
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    void OnPaint();
    // Prints one page through OnDraw.
    void OnFilePrint();
    // There is no preview window: preview prints nothing and changes nothing.
    void OnFilePrintPreview() {}

protected:
    void PostNcDestroy() override { delete this; }
    CDocument* m_pDocument = nullptr;
};

class CScrollView : public CView {
    DECLARE_MESSAGE_MAP()
public:
    static const CSize sizeDefault;
    void SetScrollSizes(int nMapMode, SIZE sizeTotal, const SIZE& sizePage = sizeDefault,
                        const SIZE& sizeLine = sizeDefault);
    CPoint GetScrollPosition() const;
    CSize GetTotalSize() const { return m_totalDev; }
    void ScrollToPosition(POINT pt);
    void OnPrepareDC(CDC* pDC, CPrintInfo* pInfo = nullptr) override;

    void OnSize(UINT nType, int cx, int cy);
    void OnHScroll(UINT code, UINT pos, HWND hBar);
    void OnVScroll(UINT code, UINT pos, HWND hBar);
    // The wheel scrolls by the system's wheel lines (Shift: sideways).
    BOOL OnMouseWheel(UINT flags, short delta, CPoint pt);
    // The arrow keys scroll by a line, Page Up/Down by a page, Home/End to the top and
    // the bottom, as the scroll bars' own parts do.
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);

protected:
    void UpdateBars();
    void OnScroll(int bar, UINT code, int times = 1);
    // Scrolls one bar to pos, kept within the scrollable range.
    void ScrollBarTo(int bar, int pos);
    int m_nMapMode = MM_TEXT;
    CSize m_totalDev, m_pageDev, m_lineDev;
    bool m_bPageDefault = true, m_bLineDefault = true;
};
