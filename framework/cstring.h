// A wide-character string with the small interface the program uses.
#pragma once
#include <windows.h>
#include <string>

class CString {
public:
    CString() = default;
    CString(const wchar_t* s) : m_s(s ? s : L"") {}
    CString(const wchar_t* s, int n) : m_s(s, n) {}
    CString(std::wstring s) : m_s(std::move(s)) {}

    int GetLength() const { return (int)m_s.size(); }
    bool IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }
    operator const wchar_t*() const { return m_s.c_str(); }
    const std::wstring& str() const { return m_s; }
    wchar_t operator[](int i) const { return m_s[i]; }

    CString Left(int n) const { return CString(m_s.substr(0, clampCount(n))); }
    CString Mid(int first) const { return first >= GetLength() ? CString() : CString(m_s.substr(first < 0 ? 0 : first)); }
    CString Mid(int first, int n) const;
    int Find(const wchar_t* sub, int start = 0) const;
    int Find(wchar_t ch, int start = 0) const { return Find(std::wstring(1, ch).c_str(), start); }

    // Direct buffer access for API calls that fill a string: ReleaseBuffer(-1) trims
    // the string at its first terminating zero.
    wchar_t* GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

    // Loads a string resource; false when the id has no string.
    bool LoadString(UINT id);
    static CString Load(UINT id) { CString s; s.LoadString(id); return s; }

    CString& operator=(const wchar_t* s) { m_s = s ? s : L""; return *this; }
    CString& operator+=(const CString& o) { m_s += o.m_s; return *this; }
    CString& operator+=(const wchar_t* o) { m_s += o; return *this; }
    CString& operator+=(wchar_t c) { m_s += c; return *this; }
    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_s + b.m_s); }
    friend CString operator+(const CString& a, const wchar_t* b) { return CString(a.m_s + b); }
    friend CString operator+(const wchar_t* a, const CString& b) { return CString(a + b.m_s); }
    bool operator==(const CString& o) const { return m_s == o.m_s; }
    bool operator!=(const CString& o) const { return m_s != o.m_s; }
    bool operator==(const wchar_t* o) const { return m_s == o; }

private:
    size_t clampCount(int n) const { return n < 0 ? 0 : (size_t)n; }
    std::wstring m_s;
};
