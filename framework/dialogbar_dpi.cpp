// The dialog bar laid out again for another DPI, when its frame moves to a screen of
// another scale: the template is read once, at the DPI the bar was made at, and every
// later layout is scaled from that, so nothing drifts however often the DPI changes.
#include "bars.h"
#include "dpi.h"

void CDialogBar::RecordLayout() {
    m_sizeMade = m_sizeDefault;
    m_nDpiMade = m_nDpi = afx::WindowDpi(m_hWnd);
    m_hFontMade = (HFONT)::SendMessageW(m_hWnd, WM_GETFONT, 0, 0);
    m_places.clear();
    for (HWND h = ::GetWindow(m_hWnd, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
        CRect r;
        ::GetWindowRect(h, &r);
        ::MapWindowPoints(nullptr, m_hWnd, (POINT*)&r, 2);
        m_places.push_back({h, r});
    }
    // The bar follows the DPI itself; the system must not rescale it as well.
    afx::KeepDialogLayoutOnDpiChange(m_hWnd);
}

void CDialogBar::ApplyDpi(int dpi) {
    if (!m_hWnd || dpi <= 0) return;
    m_nDpi = dpi;
    auto scale = [this, dpi](int v) { return ::MulDiv(v, dpi, m_nDpiMade); };
    m_sizeDefault = CSize(scale(m_sizeMade.cx), scale(m_sizeMade.cy));

    // The template's font at its own DPI, else the same face scaled.
    HFONT hFont = m_hFontMade;
    CFont font;
    LOGFONTW lf{};
    if (dpi != m_nDpiMade && m_hFontMade && ::GetObjectW(m_hFontMade, sizeof lf, &lf) > 0) {
        lf.lfHeight = scale(lf.lfHeight);
        lf.lfWidth = scale(lf.lfWidth);
        if (font.CreateFontIndirect(&lf)) hFont = font;
    }
    for (const ControlPlace& p : m_places) {
        if (!::IsWindow(p.hWnd)) continue;
        if (hFont) ::SendMessageW(p.hWnd, WM_SETFONT, (WPARAM)hFont, FALSE);
        const int x = scale(p.rect.left), y = scale(p.rect.top);
        ::SetWindowPos(p.hWnd, nullptr, x, y, scale(p.rect.right) - x, scale(p.rect.bottom) - y,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // Every control has the new font now: the one before it can go.
    m_font.Swap(font);
    Invalidate();
}
