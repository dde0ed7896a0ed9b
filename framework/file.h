// Binary files with the framework's open flags, and the file error that the window
// procedure shows in the framework's error box when nothing else handles it.
#pragma once
#include <windows.h>
#include "cstring.h"

class CFileException {
public:
    enum Cause { none, generic, fileNotFound, badPath, accessDenied, sharingViolation, diskFull, endOfFile };
    CFileException() = default;
    CFileException(Cause cause, DWORD osError, CString fileName)
        : m_cause(cause), m_lOsError(osError), m_strFileName(std::move(fileName)) {}

    Cause m_cause = none;
    DWORD m_lOsError = 0;
    CString m_strFileName;

    static Cause CauseFromOsError(DWORD err);
    // The message the error box shows, naming the file.
    CString GetErrorMessage() const;
    void ReportError() const;
    [[noreturn]] static void Throw(Cause cause, DWORD osError, const CString& fileName);
};

struct CFileStatus {
    ULONGLONG m_size = 0;
    BYTE m_attribute = 0;  // the low byte of the platform's file attributes
    CString m_szFullName;
};

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeBinary = 0x8000,
    };
    enum Attribute : BYTE { normal = 0, readOnly = 1, hidden = 2, system = 4, directory = 0x10, archive = 0x20 };

    CFile() = default;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    ~CFile();

    // Opens without throwing; on failure fills *pError (when given) and returns false.
    bool Open(const wchar_t* path, UINT flags, CFileException* pError = nullptr);
    // Reads up to count bytes; returns the count read. Throws on a failed read.
    UINT Read(void* buffer, UINT count);
    // Writes all bytes or throws (a short write is a failure: disk full).
    void Write(const void* buffer, UINT count);
    ULONGLONG GetLength() const;
    void Close();
    // Closes without throwing, for clean-up after an error.
    void Abort();
    bool IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }
    HANDLE GetHandle() const { return m_hFile; }
    const CString& GetFilePath() const { return m_strPath; }

    static bool GetStatus(const wchar_t* path, CFileStatus& status);
    // Writes the attribute byte back; throws when the platform refuses.
    static void SetStatus(const wchar_t* path, const CFileStatus& status);

private:
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    CString m_strPath;
};

// A document's view of its file while it is loaded or stored.
class CArchive {
public:
    enum Mode { load = 1, store = 0 };
    CArchive(CFile* pFile, Mode mode) : m_pFile(pFile), m_mode(mode) {}
    bool IsStoring() const { return m_mode == store; }
    bool IsLoading() const { return m_mode == load; }
    CFile* GetFile() const { return m_pFile; }

private:
    CFile* m_pFile;
    Mode m_mode;
};
