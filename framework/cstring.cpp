#include "cstring.h"
#include "app.h"

CString CString::Mid(int first, int n) const {
    if (first < 0) first = 0;
    if (first >= GetLength() || n <= 0) return CString();
    return CString(m_s.substr(first, n));
}

int CString::Find(const wchar_t* sub, int start) const {
    if (start < 0) start = 0;
    size_t p = m_s.find(sub, (size_t)start);
    return p == std::wstring::npos ? -1 : (int)p;
}

wchar_t* CString::GetBuffer(int minLength) {
    if ((int)m_s.size() < minLength) m_s.resize(minLength);
    return &m_s[0];
}

void CString::ReleaseBuffer(int newLength) {
    if (newLength < 0) {
        size_t z = m_s.find(L'\0');
        if (z != std::wstring::npos) m_s.resize(z);
    } else {
        m_s.resize(newLength);
    }
}

bool CString::LoadString(UINT id) {
    const wchar_t* p = nullptr;
    // With a zero buffer size LoadStringW returns a pointer into the resource itself.
    int n = ::LoadStringW(AfxGetResourceHandle(), id, (LPWSTR)&p, 0);
    if (n <= 0 || !p) { m_s.clear(); return false; }
    m_s.assign(p, n);
    return true;
}
