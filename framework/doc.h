// Documents and the single-document template that creates document, frame and view.
#pragma once
#include "app.h"
#include "file.h"
#include "object.h"

class CFrameWnd;
class CView;

struct CCreateContext {
    const CRuntimeClass* m_pNewViewClass = nullptr;
    CDocument* m_pCurrentDoc = nullptr;
};

class CDocument : public CCmdTarget {
    DECLARE_MESSAGE_MAP()
public:
    virtual BOOL OnNewDocument();
    virtual BOOL OnOpenDocument(const wchar_t* path);
    virtual void Serialize(CArchive&) {}
    virtual void DeleteContents() {}
    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool bModified = true) { m_bModified = bModified; }
    const CString& GetPathName() const { return m_strPathName; }
    void SetPathName(const wchar_t* path);
    // True when the document may be closed; a modified document would ask first.
    virtual BOOL SaveModified();

private:
    CString m_strPathName;
    bool m_bModified = false;
};

class CDocTemplate {
public:
    CDocTemplate(UINT nIDResource, const CRuntimeClass* pDocClass, const CRuntimeClass* pFrameClass,
                 const CRuntimeClass* pViewClass);
    virtual ~CDocTemplate() = default;
    virtual CDocument* OpenDocumentFile(const wchar_t* path, bool bMakeVisible = true) = 0;
    // Field n of the document string ("\n"-separated).
    CString GetDocString(int index) const;
    UINT GetResourceId() const { return m_nIDResource; }

protected:
    UINT m_nIDResource;
    const CRuntimeClass* m_pDocClass;
    const CRuntimeClass* m_pFrameClass;
    const CRuntimeClass* m_pViewClass;
};

class CSingleDocTemplate : public CDocTemplate {
public:
    using CDocTemplate::CDocTemplate;
    ~CSingleDocTemplate() override;
    CDocument* OpenDocumentFile(const wchar_t* path, bool bMakeVisible = true) override;
    CDocument* GetDocument() const { return m_pOnlyDoc; }

private:
    CDocument* m_pOnlyDoc = nullptr;
    CFrameWnd* m_pFrame = nullptr;
};
