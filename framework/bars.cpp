#include "bars.h"
#include <commctrl.h>
#include <algorithm>
#include "app.h"
#include "frame.h"
#include "ids.h"

CString AfxToolTipText(UINT nID) {
    CString full;
    if (nID == 0 || !full.LoadString(nID)) return CString();
    int nl = full.Find(L'\n');
    return nl < 0 ? CString() : full.Mid(nl + 1);
}

namespace {
// Update request for one tool-bar button.
class CToolCmdUI : public CCmdUI {
public:
    CToolCmdUI(HWND hBar, UINT id) : m_hBar(hBar) { m_nID = id; }
    void Enable(BOOL bOn) override {
        CCmdUI::Enable(bOn);
        bool now = ::SendMessageW(m_hBar, TB_ISBUTTONENABLED, m_nID, 0) != 0;
        if (now != (bOn != FALSE)) ::SendMessageW(m_hBar, TB_ENABLEBUTTON, m_nID, MAKELONG(bOn ? TRUE : FALSE, 0));
    }
    void SetCheck(int nCheck) override {
        CCmdUI::SetCheck(nCheck);
        bool now = ::SendMessageW(m_hBar, TB_ISBUTTONCHECKED, m_nID, 0) != 0;
        if (now != (nCheck != 0)) ::SendMessageW(m_hBar, TB_CHECKBUTTON, m_nID, MAKELONG(nCheck ? TRUE : FALSE, 0));
    }

private:
    HWND m_hBar;
};
}  // namespace

bool CToolBar::Create(CWnd* pParent, DWORD dwStyle, UINT nID) {
    m_dwStyle = dwStyle & CBRS_ALL;
    DWORD wndStyle = (dwStyle & 0xFFFF0000u) | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NORESIZE |
                     CCS_NOPARENTALIGN;
    HWND h = ::CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, wndStyle, 0, 0, 0, 0, pParent->m_hWnd,
                               (HMENU)(UINT_PTR)nID, AfxGetInstanceHandle(), nullptr);
    if (!h) return false;
    Attach(h);
    ::SendMessageW(h, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    if (auto* pFrame = dynamic_cast<CFrameWnd*>(pParent)) pFrame->AddControlBar(this);
    return true;
}

CToolBar::~CToolBar() {
    // The control goes before the image lists it draws from.
    if (m_hWnd) {
        HWND h = m_hWnd;
        Detach();
        ::DestroyWindow(h);
    }
}

bool CToolBar::LoadToolBar(UINT nIDResource) {
    HINSTANCE hInst = AfxGetResourceHandle();
    HRSRC hRes = ::FindResourceW(hInst, MAKEINTRESOURCEW(nIDResource), MAKEINTRESOURCEW(RT_TOOLBAR_CLASSIC));
    if (!hRes) return false;
    const WORD* data = static_cast<const WORD*>(::LockResource(::LoadResource(hInst, hRes)));
    DWORD bytes = ::SizeofResource(hInst, hRes);
    if (!data || bytes < 8 || data[0] != 1) return false;
    const WORD cx = data[1], cy = data[2], count = data[3];
    if (bytes < 8u + 2u * count) return false;

    std::vector<TBBUTTON> buttons;
    int image = 0;
    for (WORD i = 0; i < count; ++i) {
        TBBUTTON b{};
        b.idCommand = data[4 + i];
        if (b.idCommand == 0) {
            b.fsStyle = BTNS_SEP;
        } else {
            b.iBitmap = image++;
            b.fsState = TBSTATE_ENABLED;
            b.fsStyle = BTNS_BUTTON;
        }
        buttons.push_back(b);
    }
    m_loaded = {nIDResource, cx, cy};
    m_nPictures = image;
    if (!ShowStrip(m_loaded, 96)) return false;
    if (!::SendMessageW(m_hWnd, TB_ADDBUTTONSW, buttons.size(), (LPARAM)buttons.data())) return false;
    return true;
}

void CToolBar::SetSizedBitmaps(std::vector<SizedBitmap> bitmaps) { m_sized = std::move(bitmaps); }

bool CToolBar::ApplyDpi(int dpi) {
    if (!m_hWnd || m_loaded.cx <= 0) return false;
    if (dpi <= 0) dpi = 96;
    // Best first: the strips that fit, widest first, then the others, narrowest first.
    const int fit = ::MulDiv(m_loaded.cx, dpi, 96);
    std::vector<SizedBitmap> order = m_sized;
    order.push_back(m_loaded);
    std::stable_sort(order.begin(), order.end(), [fit](const SizedBitmap& a, const SizedBitmap& b) {
        const bool aFits = a.cx <= fit, bFits = b.cx <= fit;
        if (aFits != bFits) return aFits;
        return aFits ? a.cx > b.cx : a.cx < b.cx;
    });
    for (const SizedBitmap& strip : order)
        if (ShowStrip(strip, dpi)) return true;
    return false;
}

bool CToolBar::ShowStrip(const SizedBitmap& strip, int dpi) {
    const bool shown = m_images.GetSafeHandle() && strip.nIDBitmap == m_shown.nIDBitmap && strip.cx == m_shown.cx &&
                       strip.cy == m_shown.cy;
    if (!shown) {
        CImageList images, disabled;
        if (!images.CreateFromStrip(AfxGetResourceHandle(), strip.nIDBitmap, strip.cx, strip.cy, &disabled) ||
            images.GetImageCount() < m_nPictures)
            return false;
        ::SendMessageW(m_hWnd, TB_SETBITMAPSIZE, 0, MAKELONG(strip.cx, strip.cy));
        ::SendMessageW(m_hWnd, TB_SETIMAGELIST, 0, (LPARAM)images.GetSafeHandle());
        ::SendMessageW(m_hWnd, TB_SETDISABLEDIMAGELIST, 0, (LPARAM)disabled.GetSafeHandle());
        // The control draws from the new lists now: the old ones can go.
        m_images = std::move(images);
        m_disabledImages = std::move(disabled);
        m_shown = strip;
    }
    // The margin around a picture grows with the DPI: 7 pixels at 96.
    m_nDpi = dpi;
    const int margin = ::MulDiv(7, dpi, 96);
    ::SendMessageW(m_hWnd, TB_SETBUTTONSIZE, 0, MAKELONG(strip.cx + margin, strip.cy + margin));
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    return true;
}

int CToolBar::GetButtonCount() const { return (int)::SendMessageW(m_hWnd, TB_BUTTONCOUNT, 0, 0); }

UINT CToolBar::GetItemID(int index) const {
    TBBUTTON b{};
    ::SendMessageW(m_hWnd, TB_GETBUTTON, index, (LPARAM)&b);
    return (b.fsStyle & BTNS_SEP) ? 0 : (UINT)b.idCommand;
}

CSize CToolBar::CalcFixedLayout() const {
    DWORD size = (DWORD)::SendMessageW(m_hWnd, TB_GETBUTTONSIZE, 0, 0);
    return CSize(0, HIWORD(size) + ::MulDiv(6, m_nDpi, 96));  // the bar's own margin
}

void CToolBar::OnUpdateCmdUI(CFrameWnd* pTarget, bool bDisableIfNoHandler) {
    const int n = GetButtonCount();
    for (int i = 0; i < n; ++i) {
        UINT id = GetItemID(i);
        if (id == 0) continue;
        CToolCmdUI ui(m_hWnd, id);
        ui.DoUpdate(pTarget, bDisableIfNoHandler);
    }
}

bool CDialogBar::Create(CWnd* pParent, UINT nIDTemplate, DWORD dwStyle, UINT nID) {
    m_dwStyle = dwStyle & CBRS_ALL;
    HWND h = ::CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nIDTemplate), pParent->m_hWnd,
                                  &CWnd::AfxDlgProc, (LPARAM)this);
    if (!h) return false;
    ::SetWindowLongPtrW(h, GWLP_ID, nID);
    CRect r = GetWindowRect();
    m_sizeDefault = r.Size();
    RecordLayout();
    if (m_dwStyle & CBRS_TOOLTIPS) AddToolTips();
    ::ShowWindow(h, SW_SHOWNA);
    if (auto* pFrame = dynamic_cast<CFrameWnd*>(pParent)) pFrame->AddControlBar(this);
    return true;
}

void CDialogBar::AddToolTips() {
    m_hToolTip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
                                   AfxGetInstanceHandle(), nullptr);
    if (!m_hToolTip) return;
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        CString tip = AfxToolTipText((UINT)::GetDlgCtrlID(child));
        if (tip.IsEmpty()) continue;
        TOOLINFOW ti{};
        ti.cbSize = TTTOOLINFOW_V2_SIZE;
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.hwnd = m_hWnd;
        ti.uId = (UINT_PTR)child;
        ti.lpszText = const_cast<wchar_t*>((const wchar_t*)tip);
        ::SendMessageW(m_hToolTip, TTM_ADDTOOLW, 0, (LPARAM)&ti);
    }
}
