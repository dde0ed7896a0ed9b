// The settings file "zp.x" in the start folder, and the help page.
#include "../view/ZarpView.h"
#include <direct.h>
#include <string>
#include "../framework/handle.h"
#include "SafeSave.h"
#include "path_rules.h"
#include "path_split.h"
#include "settings_format.h"

namespace {
// A file in the start folder, by its full path.
std::wstring InFolder(const CString& folder, const wchar_t* name) { return zarp::InFolder(folder.str(), name); }

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

namespace zarp {
namespace {
SaveOptions SettingsSaveOptions() {
    SaveOptions options;
    options.followLink = false;  // a link is neither followed nor replaced
    options.keepReadOnly = true;
    options.placeCompleteLeftover = true;
    options.keepProtection = false;  // Zarp's own file: what the folder gives
    options.writeInPlaceUnasked = true;  // its new size secured first
    options.isLeftover = BeginsAsSettings;
    options.isComplete = [](const std::string& head, const std::string&, uint64_t size) {
        return head.size() == size && IsCompleteSettings(head);
    };
    return options;
}
}  // namespace

DWORD SaveSettingsFile(const std::wstring& file, const std::string& bytes, SaveControl* control) {
    return SaveReplacing(file, [&bytes](HANDLE h) -> DWORD {
        DWORD written = 0;
        if (!::WriteFile(h, bytes.data(), (DWORD)bytes.size(), &written, nullptr)) return ::GetLastError();
        return written == bytes.size() ? 0 : ERROR_DISK_FULL;
    }, SettingsSaveOptions(), control);
}

DWORD ReadSettingsFile(const std::wstring& file, std::string& bytes) {
    bytes.assign(kSettingsReadLimit, '\0');
    DWORD got = 0;
    const DWORD err = RetryWhileHeld([&] {
        CHandle h(::CreateFileW(LongPathForm(file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h.IsValid()) return ::GetLastError();
        return ::ReadFile(h.Get(), &bytes[0], (DWORD)bytes.size(), &got, nullptr) ? DWORD(0) : ::GetLastError();
    });
    bytes.resize(err ? 0 : got);
    return err;
}
}  // namespace zarp

void CZarpView::ReadSettings() {
    _wchdir(m_strInitDir);
    // The start folder, unless the file names a folder.
    m_strWork = m_strInitDir;
    const std::wstring file = InFolder(m_strInitDir, L"zp.x");
    // The start never waits for another Zarp's rewrite of zp.x: its lock is only tried,
    // the file read as it stands, and a leftover left for a later start.
    zarp::SaveControl tryOnly;
    tryOnly.lockWaitMs = 0;
    // A whole zp.x that an interrupted rewrite left under its temporary name only.
    zarp::RecoverLeftovers(file, zarp::SettingsSaveOptions(), &tryOnly);
    switch (zarp::ProbeFile(file)) {
    case zarp::FileKind::missing:
        // A first run: the file is written with the start folder, when the dialog could
        // be given that folder (a link pointing nowhere stays as it is).
        WriteSettings(nullptr, &tryOnly);
        return;
    case zarp::FileKind::other:
        return;  // a link, a folder or a device is neither followed nor rewritten
    case zarp::FileKind::regular:
        break;
    }
    std::string buffer;
    if (zarp::ReadSettingsFile(file, buffer)) return;  // a read error leaves the file alone
    const size_t got = buffer.size();
    if (got == 0) {
        WriteSettings(nullptr, &tryOnly);
        return;
    }
    auto folder = zarp::ParseSettings(buffer);
    CString text = folder ? FromBytes(folder->bytes, folder->utf8 ? CP_UTF8 : CP_ACP) : CString();
    // A line too long to be any folder the dialog could open counts as none.
    if (!text.IsEmpty() && (size_t)text.GetLength() < zarp::kMaxPath) m_strWork = text;
}

bool CZarpView::WriteSettings(DWORD* pError, zarp::SaveControl* pControl) {
    if (pError) *pError = 0;
    // A folder the save dialog could not be given is never written to the file.
    if (zarp::UsableFolder(m_strWork.str()).empty()) {
        if (pError) *pError = zarp::kErrorFolderNotReusable;
        return false;
    }
    std::string folder;
    bool utf8 = !ToAnsi(m_strWork, folder);
    if (utf8) folder = ToUtf8(m_strWork);
    _wchdir(m_strInitDir);
    // Written beside the old file and renamed over it when complete: a reader finds the
    // old file or the new one, never none; read-only again afterwards.
    const DWORD err = zarp::SaveSettingsFile(InFolder(m_strInitDir, L"zp.x"), zarp::BuildSettings(folder, utf8), pControl);
    // A zp.x that is a link, a folder or a device is left alone, and said.
    if (pError) *pError = err;
    // The folder stays remembered for this run whatever happened.
    return err == 0;
}

void CZarpView::OnHelpPage() {
    _wchdir(m_strInitDir);
    // The start folder's page, else the one beside the program (the one F1 shows); by
    // full path, so that the choice is not the shell's search order.
    std::wstring page = InFolder(m_strInitDir, L"help.html");
    const std::wstring beside = AfxGetApp()->m_strHelpFilePath.str();
    if (zarp::ProbeFile(page) == zarp::FileKind::missing && zarp::ProbeFile(beside) != zarp::FileKind::missing)
        page = beside;
    AfxShowPage(page.c_str());
}
