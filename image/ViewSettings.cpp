// The settings file "zp.x" in the start folder, and the help page.
#include "../view/ZarpView.h"
#include <direct.h>
#include <shellapi.h>
#include <string>
#include "settings_format.h"

namespace {
const wchar_t kSettingsFile[] = L"zp.x";

// The folder in the system's narrow code page, or nothing if it cannot hold it.
bool ToAnsi(const CString& folder, std::string& out) {
    out.clear();
    if (folder.IsEmpty()) return true;
    BOOL lossy = FALSE;
    int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, folder, folder.GetLength(), nullptr, 0, nullptr,
                                  &lossy);
    if (n <= 0 || lossy) return false;
    out.resize(n);
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, folder, folder.GetLength(), &out[0], n, nullptr, &lossy);
    return !lossy;
}

std::string ToUtf8(const CString& s) {
    int n = ::WideCharToMultiByte(CP_UTF8, 0, s, s.GetLength(), nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0) ::WideCharToMultiByte(CP_UTF8, 0, s, s.GetLength(), &out[0], n, nullptr, nullptr);
    return out;
}

CString FromBytes(const std::string& bytes, UINT codePage) {
    int n = ::MultiByteToWideChar(codePage, 0, bytes.data(), (int)bytes.size(), nullptr, 0);
    std::wstring out(n > 0 ? n : 0, L'\0');
    if (n > 0) ::MultiByteToWideChar(codePage, 0, bytes.data(), (int)bytes.size(), &out[0], n);
    return CString(out);
}
}  // namespace

void CZarpView::ReadSettings() {
    _wchdir(m_strInitDir);
    std::string bytes;
    bool opened = false;
    {
        CFile file;
        if (file.Open(kSettingsFile, CFile::modeRead | CFile::shareDenyWrite | CFile::modeCreate |
                                         CFile::modeNoTruncate | CFile::typeBinary)) {
            opened = true;
            try {
                ULONGLONG len = file.GetLength();
                if (len > 1 << 20) len = 1 << 20;  // a settings file is a few hundred bytes
                bytes.resize((size_t)len);
                UINT got = bytes.empty() ? 0 : file.Read(&bytes[0], (UINT)bytes.size());
                bytes.resize(got);
            } catch (CFileException&) {
                bytes.clear();
            }
        }
    }
    if (!opened) {
        // Neither readable nor creatable (read-only media, say): start in the start folder.
        m_strWork = m_strInitDir;
        return;
    }
    if (bytes.empty()) {
        m_strWork = m_strInitDir;
        WriteSettings();
        return;
    }
    auto folder = zarp::ParseSettings(bytes);
    m_strWork = folder ? FromBytes(folder->bytes, folder->utf8 ? CP_UTF8 : CP_ACP) : CString();
    if (m_strWork.IsEmpty()) m_strWork = m_strInitDir;
}

bool CZarpView::WriteSettings() {
    std::string folder;
    bool utf8 = !ToAnsi(m_strWork, folder);
    if (utf8) folder = ToUtf8(m_strWork);
    const std::string text = zarp::BuildSettings(folder, utf8);
    _wchdir(m_strInitDir);
    try {
        CFileStatus status;
        if (CFile::GetStatus(kSettingsFile, status)) {
            status.m_attribute &= ~CFile::readOnly;
            CFile::SetStatus(kSettingsFile, status);
        }
        CFile file;
        CFileException error;
        if (!file.Open(kSettingsFile, CFile::modeWrite | CFile::shareDenyWrite | CFile::modeCreate |
                                          CFile::typeBinary, &error))
            throw error;
        file.Write(text.data(), (UINT)text.size());
        file.Close();
        if (CFile::GetStatus(kSettingsFile, status)) {
            status.m_attribute |= CFile::readOnly;
            CFile::SetStatus(kSettingsFile, status);
        }
    } catch (CFileException&) {
        // The folder stays remembered for this run; nothing else depends on the file.
        return false;
    }
    return true;
}

void CZarpView::OnHelpPage() {
    _wchdir(m_strInitDir);
    ::ShellExecuteW(m_hWnd, nullptr, L"help.html", nullptr, nullptr, SW_SHOWNORMAL);
}
