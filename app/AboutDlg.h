// The About box.
#pragma once
#include "../framework/afxwin.h"

class CAboutDlg : public CDialog {
    DECLARE_MESSAGE_MAP()
public:
    CAboutDlg();
    void DoDataExchange(CDataExchange* pDX) override;
};
