#include "file.h"
#include "app.h"
#include "handles.h"

CFileException::Cause CFileException::CauseFromOsError(DWORD err) {
    switch (err) {
    case ERROR_FILE_NOT_FOUND: return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME: return badPath;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT: return accessDenied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return sharingViolation;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return diskFull;
    case ERROR_HANDLE_EOF: return endOfFile;
    default: return generic;
    }
}

CString CFileException::GetErrorMessage() const {
    const CString name = m_strFileName.IsEmpty() ? CString(L"ファイル") : m_strFileName;
    switch (m_cause) {
    case fileNotFound: return name + L" が見つかりません。";
    case badPath: return name + L" のパスが正しくありません。";
    case accessDenied: return name + L" にアクセスできません。";
    case sharingViolation: return name + L" は他のプログラムで使用中です。";
    case diskFull: return name + L" を書き込み中にディスクがいっぱいになりました。";
    case endOfFile: return name + L" を読み込み中にファイルの終わりに達しました。";
    default: return name + L" へのアクセス中に予期しないエラーが発生しました。";
    }
}

void CFileException::ReportError() const { AfxMessageBox(GetErrorMessage(), MB_ICONEXCLAMATION | MB_OK); }

void CFileException::Throw(Cause cause, DWORD osError, const CString& fileName) {
    throw CFileException(cause, osError, fileName);
}

CFile::~CFile() { Abort(); }

bool CFile::Open(const wchar_t* path, UINT flags, CFileException* pError) {
    Abort();
    DWORD access = 0;
    switch (flags & 3) {
    case modeRead: access = GENERIC_READ; break;
    case modeWrite: access = GENERIC_WRITE; break;
    default: access = GENERIC_READ | GENERIC_WRITE; break;
    }
    DWORD share = 0;
    switch (flags & 0x70) {
    case shareDenyWrite: share = FILE_SHARE_READ; break;
    case shareDenyRead: share = FILE_SHARE_WRITE; break;
    case shareDenyNone: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    default: share = 0; break;
    }
    DWORD disposition = OPEN_EXISTING;
    if (flags & modeCreate) disposition = (flags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
    HANDLE h = ::CreateFileW(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD err = ::GetLastError();
        if (pError) *pError = CFileException(CFileException::CauseFromOsError(err), err, path);
        return false;
    }
    m_hFile = h;
    m_strPath = path;
    afx::CountCreated(afx::HandleKind::File);
    return true;
}

UINT CFile::Read(void* buffer, UINT count) {
    DWORD got = 0;
    if (!::ReadFile(m_hFile, buffer, count, &got, nullptr)) {
        DWORD err = ::GetLastError();
        CFileException::Throw(CFileException::CauseFromOsError(err), err, m_strPath);
    }
    return got;
}

void CFile::Write(const void* buffer, UINT count) {
    DWORD put = 0;
    if (!::WriteFile(m_hFile, buffer, count, &put, nullptr)) {
        DWORD err = ::GetLastError();
        CFileException::Throw(CFileException::CauseFromOsError(err), err, m_strPath);
    }
    if (put != count) CFileException::Throw(CFileException::diskFull, ERROR_DISK_FULL, m_strPath);
}

ULONGLONG CFile::GetLength() const {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(m_hFile, &size)) {
        DWORD err = ::GetLastError();
        CFileException::Throw(CFileException::CauseFromOsError(err), err, m_strPath);
    }
    return (ULONGLONG)size.QuadPart;
}

void CFile::Close() {
    if (m_hFile == INVALID_HANDLE_VALUE) return;
    HANDLE h = m_hFile;
    m_hFile = INVALID_HANDLE_VALUE;
    afx::CountReleased(afx::HandleKind::File);
    if (!::CloseHandle(h)) {
        DWORD err = ::GetLastError();
        CFileException::Throw(CFileException::CauseFromOsError(err), err, m_strPath);
    }
}

void CFile::Abort() {
    if (m_hFile == INVALID_HANDLE_VALUE) return;
    ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    afx::CountReleased(afx::HandleKind::File);
}

bool CFile::GetStatus(const wchar_t* path, CFileStatus& status) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return false;
    status.m_attribute = (BYTE)(data.dwFileAttributes & 0xFF);
    status.m_size = ((ULONGLONG)data.nFileSizeHigh << 32) | data.nFileSizeLow;
    status.m_szFullName = path;
    return true;
}

void CFile::SetStatus(const wchar_t* path, const CFileStatus& status) {
    DWORD attrs = ::GetFileAttributesW(path);
    if (attrs == INVALID_FILE_ATTRIBUTES) {
        DWORD err = ::GetLastError();
        CFileException::Throw(CFileException::CauseFromOsError(err), err, path);
    }
    DWORD wanted = (attrs & ~0xFFu) | status.m_attribute;
    if (wanted == 0) wanted = FILE_ATTRIBUTE_NORMAL;
    if (wanted != attrs && !::SetFileAttributesW(path, wanted)) {
        DWORD err = ::GetLastError();
        CFileException::Throw(CFileException::CauseFromOsError(err), err, path);
    }
}
