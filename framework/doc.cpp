#include "doc.h"
#include "frame.h"
#include "ids.h"
#include "view.h"

BEGIN_MESSAGE_MAP(CDocument, CCmdTarget)
END_MESSAGE_MAP()

BOOL CDocument::OnNewDocument() {
    DeleteContents();
    m_strPathName.Empty();
    SetModifiedFlag(false);
    return TRUE;
}

namespace {
// A name the system reads as a device (CON, AUX, aux.txt, COM1...): its full path is in
// the "\\.\" form.
bool NamesADevice(const wchar_t* path) {
    wchar_t full[MAX_PATH * 4];
    const DWORD n = ::GetFullPathNameW(path, (DWORD)std::size(full), full, nullptr);
    return n >= 4 && n < std::size(full) && !wcsncmp(full, L"\\\\.\\", 4);
}
}  // namespace

BOOL CDocument::OnOpenDocument(const wchar_t* path) {
    CFileException error;
    CFile file;
    // A device, or anything else that is no file on a disk (a pipe), is no document:
    // it is not opened, or not read, and not kept in the recent-file list.
    const bool device = NamesADevice(path);
    if (device || !file.Open(path, CFile::modeRead | CFile::shareDenyWrite, &error) ||
        ::GetFileType(file.GetHandle()) != FILE_TYPE_DISK) {
        if (device || error.m_cause == CFileException::none)
            error = CFileException(CFileException::badPath, ERROR_INVALID_NAME, path);
        file.Abort();
        error.ReportError();
        return FALSE;
    }
    DeleteContents();
    try {
        CArchive ar(&file, CArchive::load);
        Serialize(ar);
        file.Close();
    } catch (CFileException& e) {
        file.Abort();
        e.ReportError();
        DeleteContents();
        return FALSE;
    }
    SetPathName(path);
    SetModifiedFlag(false);
    return TRUE;
}

void CDocument::SetPathName(const wchar_t* path) {
    wchar_t full[MAX_PATH * 4];
    DWORD n = ::GetFullPathNameW(path, (DWORD)std::size(full), full, nullptr);
    m_strPathName = (n > 0 && n < std::size(full)) ? CString(full) : CString(path);
}

BOOL CDocument::SaveModified() {
    if (!IsModified()) return TRUE;
    // A modified document would ask here; the framework has no save path of its own.
    return TRUE;
}

CDocTemplate::CDocTemplate(UINT nIDResource, const CRuntimeClass* pDocClass, const CRuntimeClass* pFrameClass,
                           const CRuntimeClass* pViewClass)
    : m_nIDResource(nIDResource), m_pDocClass(pDocClass), m_pFrameClass(pFrameClass), m_pViewClass(pViewClass) {}

CString CDocTemplate::GetDocString(int index) const {
    CString s = CString::Load(m_nIDResource);
    int start = 0;
    for (int i = 0; i < index; ++i) {
        int nl = s.Find(L'\n', start);
        if (nl < 0) return CString();
        start = nl + 1;
    }
    int end = s.Find(L'\n', start);
    return end < 0 ? s.Mid(start) : s.Mid(start, end - start);
}

CSingleDocTemplate::~CSingleDocTemplate() { delete m_pOnlyDoc; }

CDocument* CSingleDocTemplate::OpenDocumentFile(const wchar_t* path, bool bMakeVisible) {
    const bool open = path && *path;
    if (m_pOnlyDoc) {
        // One document only: a second request reuses it.
        return (open ? m_pOnlyDoc->OnOpenDocument(path) : m_pOnlyDoc->OnNewDocument()) ? m_pOnlyDoc : nullptr;
    }
    auto* pDoc = dynamic_cast<CDocument*>(m_pDocClass->CreateObject());
    if (!pDoc) return nullptr;
    auto* pFrame = dynamic_cast<CFrameWnd*>(m_pFrameClass->CreateObject());
    if (!pFrame) {
        delete pDoc;
        return nullptr;
    }
    CCreateContext context;
    context.m_pCurrentDoc = pDoc;
    context.m_pNewViewClass = m_pViewClass;
    // A frame that fails to load has deleted itself.
    if (!pFrame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &context)) {
        delete pDoc;
        return nullptr;
    }
    if (!(open ? pDoc->OnOpenDocument(path) : pDoc->OnNewDocument())) {
        pFrame->DestroyWindow();
        delete pDoc;
        return nullptr;
    }
    m_pOnlyDoc = pDoc;
    CWinApp* app = AfxGetApp();
    if (app && !app->m_pMainWnd) app->m_pMainWnd = pFrame;
    pFrame->InitialUpdateFrame(pDoc, bMakeVisible);
    return pDoc;
}
