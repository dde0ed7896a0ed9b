// Root object with run-time class information, so the document template can create
// the document, frame and view from their class descriptions.
#pragma once

class CObject;

struct CRuntimeClass {
    const char* m_lpszClassName;
    CObject* (*m_pfnCreateObject)();
    CObject* CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }
};

class CObject {
public:
    virtual ~CObject() = default;
    CObject() = default;
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
};

#define RUNTIME_CLASS(cls) (&cls::classInfo)

#define DECLARE_DYNCREATE(cls)        \
public:                               \
    static const CRuntimeClass classInfo; \
    static CObject* CreateObject();

#define IMPLEMENT_DYNCREATE(cls)                                   \
    CObject* cls::CreateObject() { return new cls; }               \
    const CRuntimeClass cls::classInfo = {#cls, &cls::CreateObject};
