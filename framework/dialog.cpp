#include "dialog.h"
#include "app.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, &CDialog::OnOK)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

INT_PTR CDialog::DoModal() {
    CWnd* pParent = m_pParent ? m_pParent : AfxGetMainWnd();
    HWND hParent = pParent ? pParent->m_hWnd : nullptr;
    return ::DialogBoxParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIDTemplate), hParent,
                             &CWnd::AfxDlgProc, (LPARAM)this);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

bool CDialog::UpdateData(bool bSaveAndValidate) {
    CDataExchange dx(bSaveAndValidate);
    DoDataExchange(&dx);
    return true;
}

void CDialog::OnOK() {
    if (UpdateData(true)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

CFileDialog::CFileDialog(bool bOpenFileDialog, const wchar_t* defExt, const wchar_t* fileName, DWORD flags,
                         const wchar_t* filter, CWnd* pParent)
    : m_bOpen(bOpenFileDialog), m_pParent(pParent) {
    if (filter) {
        // "a|b||" becomes "a\0b\0\0".
        m_filter = filter;
        for (auto& c : m_filter)
            if (c == L'|') c = L'\0';
        m_filter.push_back(L'\0');
    }
    if (defExt) m_defExt = defExt;
    m_file.assign(32768, L'\0');
    if (fileName) m_file.replace(0, wcslen(fileName), fileName);
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLESIZING;
    m_ofn.lpstrFilter = m_filter.empty() ? nullptr : m_filter.c_str();
    m_ofn.lpstrDefExt = m_defExt.empty() ? nullptr : m_defExt.c_str();
    m_ofn.lpstrFile = &m_file[0];
    m_ofn.nMaxFile = (DWORD)m_file.size();
}

namespace {
CFileDialog::StandIn g_standIn = nullptr;
}

CFileDialog::StandIn CFileDialog::SetStandInForTesting(StandIn standIn) {
    StandIn previous = g_standIn;
    g_standIn = standIn;
    return previous;
}

INT_PTR CFileDialog::DoModal() {
    CWnd* pParent = m_pParent ? m_pParent : AfxGetMainWnd();
    m_ofn.hwndOwner = pParent ? pParent->m_hWnd : nullptr;
    BOOL ok = g_standIn ? g_standIn(m_ofn, m_bOpen)
              : m_bOpen ? ::GetOpenFileNameW(&m_ofn)
                        : ::GetSaveFileNameW(&m_ofn);
    m_file.resize(wcslen(m_file.c_str()));
    return ok ? IDOK : IDCANCEL;
}

CString CFileDialog::GetFileName() const {
    size_t slash = m_file.find_last_of(L"\\/");
    return CString(slash == std::wstring::npos ? m_file : m_file.substr(slash + 1));
}
