// The document: empty. Everything the program captures and shows lives in the view.
#pragma once
#include "../framework/afxwin.h"

class CZarpDoc : public CDocument {
    DECLARE_DYNCREATE(CZarpDoc)
    DECLARE_MESSAGE_MAP()
public:
    void Serialize(CArchive& ar) override;
    BOOL OnNewDocument() override;
};
