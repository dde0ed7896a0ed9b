// Modal dialogs from templates, and the platform's save/open file dialog.
#pragma once
#include <windows.h>
#include <commdlg.h>
#include "wnd.h"

class CDataExchange {
public:
    explicit CDataExchange(bool bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate) {}
    bool m_bSaveAndValidate;
};

class CDialog : public CWnd {
    DECLARE_MESSAGE_MAP()
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParent = nullptr) : m_nIDTemplate(nIDTemplate), m_pParent(pParent) {}
    // Runs the dialog modally; returns the id it ended with, or -1 when it could not run.
    virtual INT_PTR DoModal();
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange*) {}
    bool UpdateData(bool bSaveAndValidate = true);
    void EndDialog(int nResult) { ::EndDialog(m_hWnd, nResult); }
    void OnOK();
    void OnCancel();
    LRESULT DefWindowProc(UINT, WPARAM, LPARAM) override { return 0; }

private:
    UINT m_nIDTemplate;
    CWnd* m_pParent;
};

class CFileDialog {
public:
    // filter in the framework's form: "name|pattern|...||".
    CFileDialog(bool bOpenFileDialog, const wchar_t* defExt = nullptr, const wchar_t* fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const wchar_t* filter = nullptr,
                CWnd* pParent = nullptr);
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;
    OPENFILENAMEW m_ofn{};
    INT_PTR DoModal();

    // Test seam between a program and the platform's dialog: while a stand-in is set,
    // DoModal calls it instead, with the settings the dialog would get. It returns
    // TRUE for OK (after writing the chosen path into lpstrFile) or FALSE for Cancel.
    // Null restores the platform's dialog; the previous stand-in is returned.
    using StandIn = BOOL (*)(OPENFILENAMEW& ofn, bool bOpenFileDialog);
    static StandIn SetStandInForTesting(StandIn standIn);
    CString GetPathName() const { return CString(m_file.c_str()); }
    CString GetFileName() const;

private:
    bool m_bOpen;
    std::wstring m_filter, m_defExt, m_file;
    CWnd* m_pParent;
};
