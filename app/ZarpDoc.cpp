#include "ZarpDoc.h"

IMPLEMENT_DYNCREATE(CZarpDoc)

BEGIN_MESSAGE_MAP(CZarpDoc, CDocument)
END_MESSAGE_MAP()

BOOL CZarpDoc::OnNewDocument() { return CDocument::OnNewDocument() ? TRUE : FALSE; }

void CZarpDoc::Serialize(CArchive& ar) {
    // Nothing is stored in or read from a document file.
    if (ar.IsStoring()) {
    } else {
    }
}
