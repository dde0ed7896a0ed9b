#include "SafeSave.h"
#include "path_rules.h"

namespace zarp {
namespace {
std::wstring FullPath(const std::wstring& path) {
    DWORD n = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return std::wstring();
    std::wstring full(n, L'\0');
    n = ::GetFullPathNameW(path.c_str(), (DWORD)full.size(), &full[0], nullptr);
    if (n == 0 || n >= full.size()) return std::wstring();
    full.resize(n);
    return full;
}

std::wstring FinalPath(HANDLE h) {
    DWORD n = ::GetFinalPathNameByHandleW(h, nullptr, 0, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0) return std::wstring();
    std::wstring out(n, L'\0');
    n = ::GetFinalPathNameByHandleW(h, &out[0], (DWORD)out.size(), FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0 || n >= out.size()) return std::wstring();
    out.resize(n);
    return out;
}

// Opens without asking for any access: enough to learn what the path is, and no
// sharing mode of another program stands in the way.
HANDLE OpenForQuery(const std::wstring& path, bool followLink) {
    return ::CreateFileW(LongPathForm(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT), nullptr);
}

bool IsRegularFile(HANDLE h) {
    BY_HANDLE_FILE_INFORMATION info{};
    return ::GetFileType(h) == FILE_TYPE_DISK && ::GetFileInformationByHandle(h, &info) &&
           !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE));
}

// How many temporary names a save tries before it gives up.
constexpr unsigned kTempAttempts = 10;

size_t NameStart(const std::wstring& path) {
    size_t sep = path.find_last_of(L"\\/");
    return sep == std::wstring::npos ? 0 : sep + 1;
}

bool SameText(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), (int)a.size(), b.c_str(), (int)b.size(), TRUE) == CSTR_EQUAL;
}

// Errors that say the target may not be written or is in use: no other way is tried.
bool Refusal(DWORD err) {
    return err == ERROR_ACCESS_DENIED || err == ERROR_SHARING_VIOLATION || err == ERROR_LOCK_VIOLATION ||
           err == ERROR_WRITE_PROTECT || err == ERROR_UNABLE_TO_REMOVE_REPLACED || err == ERROR_DISK_FULL;
}

DWORD LastErrorOr(DWORD fallback) {
    const DWORD err = ::GetLastError();
    return err ? err : fallback;
}

// A regular file at a temporary name that an interrupted save of this kind left: one
// that begins with the bytes such a save writes first, or with a part of them.
bool IsLeftover(const std::wstring& path, const std::string& start) {
    if (ProbeFile(path) != FileKind::regular) return false;
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    std::string head(start.size(), '\0');
    DWORD got = 0;
    const bool read = ::ReadFile(h, &head[0], (DWORD)head.size(), &got, nullptr);
    ::CloseHandle(h);
    // A save stopped within its first bytes wrote a part of them.
    return read && head.compare(0, got, start, 0, got) == 0;
}

void MakeReadOnly(const std::wstring& path) {
    const DWORD attrs = ::GetFileAttributesW(path.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES) ::SetFileAttributesW(path.c_str(), attrs | FILE_ATTRIBUTE_READONLY);
}

// The target written where it stands, for a folder that lets nobody create files in it.
DWORD WriteInPlace(const std::wstring& target, const FileWriter& write, const SaveOptions& options) {
    const DWORD attrs = ::GetFileAttributesW(target.c_str());
    const bool readOnly = options.keepReadOnly && attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY);
    if (readOnly) ::SetFileAttributesW(target.c_str(), attrs & ~FILE_ATTRIBUTE_READONLY);
    DWORD err = 0;
    HANDLE h = ::CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        err = LastErrorOr(ERROR_ACCESS_DENIED);
    } else {
        err = write(h);
        if (!err && !::SetEndOfFile(h)) err = LastErrorOr(ERROR_WRITE_FAULT);
        if (!err && options.flush && !::FlushFileBuffers(h)) err = LastErrorOr(ERROR_WRITE_FAULT);
        if (!::CloseHandle(h) && !err) err = LastErrorOr(ERROR_WRITE_FAULT);
    }
    if (options.keepReadOnly && !err)
        MakeReadOnly(target);
    else if (readOnly)
        ::SetFileAttributesW(target.c_str(), attrs);
    return err;
}

// Puts the finished temporary file in the target's place. keepTemp is set when the
// temporary file holds the only copy left and must stay.
DWORD PutInPlace(const std::wstring& temp, const std::wstring& target, bool exists, const SaveOptions& options,
                 bool& keepTemp) {
    const DWORD attrs = exists ? ::GetFileAttributesW(target.c_str()) : INVALID_FILE_ATTRIBUTES;
    const bool readOnly = options.keepReadOnly && attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY);
    if (readOnly) ::SetFileAttributesW(target.c_str(), attrs & ~FILE_ATTRIBUTE_READONLY);
    // ReplaceFileW where the folder leaves room for a temporary name of the classic
    // form (MAX_PATH - 14, as GetTempFileNameW wants): some implementations make one
    // there (Wine's, into a buffer of MAX_PATH characters). Beyond that the new file is
    // moved over the old one, which keeps none of the old file's attributes.
    const size_t folderLength = NameStart(PlainPathForm(target));
    const bool replace = exists && folderLength + 14 <= MAX_PATH;
    BOOL ok = replace ? ::ReplaceFileW(target.c_str(), temp.c_str(), nullptr,
                                      REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr)
                     : ::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    DWORD err = ok ? 0 : LastErrorOr(ERROR_WRITE_FAULT);
    if (replace && err && !Refusal(err) && err != ERROR_UNABLE_TO_MOVE_REPLACEMENT &&
        err != ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 && ::GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
        // Some file systems cannot replace; the old file is still in its place, so a
        // plain move over it is the next best thing.
        if (::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) err = 0;
    }
    if (err == ERROR_UNABLE_TO_MOVE_REPLACEMENT) {
        // The old file is gone and the new one still has the temporary name.
        if (::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            err = 0;
        else
            keepTemp = true;
    }
    if (options.keepReadOnly && !err)
        MakeReadOnly(target);
    else if (readOnly)
        ::SetFileAttributesW(target.c_str(), attrs);
    return err;
}
}  // namespace

std::wstring UsableFolder(const std::wstring& folder) {
    if (folder.empty() || HasBadComponent(folder)) return std::wstring();
    // A drive's root is remembered as "C:", which on its own would name that drive's
    // current folder.
    const bool root = folder.size() == 2 && folder[1] == L':';
    const std::wstring full = FullPath(root ? folder + L"\\" : folder);
    if (CheckFolderText(full) != FolderProblem::none) return std::wstring();
    const DWORD attrs = ::GetFileAttributesW(full.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_DIRECTORY)) return std::wstring();
    return full;
}

FileKind ProbeFile(const std::wstring& path) {
    const DWORD attrs = ::GetFileAttributesW(LongPathForm(path).c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) {
        const DWORD err = ::GetLastError();
        return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND ? FileKind::missing : FileKind::other;
    }
    if (attrs & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE))
        return FileKind::other;
    HANDLE h = OpenForQuery(path, false);
    if (h == INVALID_HANDLE_VALUE) return FileKind::other;
    const bool regular = IsRegularFile(h);
    const std::wstring final = FinalPath(h);
    ::CloseHandle(h);
    if (!regular) return FileKind::other;
    // The file must resolve to its own name in its own folder (the folder's final path:
    // the folder itself may be reached through a link, and that is no concern here).
    const size_t nameAt = NameStart(path);
    HANDLE folder = OpenForQuery(nameAt ? path.substr(0, nameAt) : std::wstring(L"."), true);
    if (folder == INVALID_HANDLE_VALUE) return FileKind::regular;
    std::wstring expected = FinalPath(folder);
    ::CloseHandle(folder);
    if (final.empty() || expected.empty()) return FileKind::regular;
    if (expected.back() != L'\\') expected += L'\\';
    expected += path.substr(nameAt);
    return SameText(final, expected) ? FileKind::regular : FileKind::other;
}

DWORD SaveReplacing(const std::wstring& target, const FileWriter& write, const SaveOptions& options) {
    // A device's name writes to the device, whatever folder it stands in.
    if (IsDosDeviceName(target.substr(NameStart(target)))) return ERROR_INVALID_NAME;
    std::wstring path = target;
    bool exists = false;
    if (options.followLink) {
        HANDLE h = OpenForQuery(path, true);
        if (h != INVALID_HANDLE_VALUE) {
            exists = true;
            const bool regular = IsRegularFile(h);
            const std::wstring final = FinalPath(h);
            ::CloseHandle(h);
            if (!regular) return ERROR_NOT_SUPPORTED;
            // Where a link leads: the file there is replaced, and the link stays.
            if (!final.empty()) path = PlainPathForm(final);
        } else {
            exists = ::GetFileAttributesW(LongPathForm(path).c_str()) != INVALID_FILE_ATTRIBUTES;
        }
    } else {
        const FileKind kind = ProbeFile(path);
        if (kind == FileKind::other) return ERROR_NOT_SUPPORTED;
        exists = kind == FileKind::regular;
        if (!exists) {
            // Under Wine a link that points nowhere looks like no file at all, and a move
            // would put a file in its place; only creating the name shows it is taken.
            HANDLE h = ::CreateFileW(LongPathForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
            const DWORD err = h == INVALID_HANDLE_VALUE ? ::GetLastError() : 0;
            if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
            if (err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS) return ERROR_NOT_SUPPORTED;
        }
    }
    const std::wstring real = LongPathForm(path);
    if (exists) {
        // A target another program holds without letting it be replaced: said now, before
        // a whole picture is written for nothing.
        HANDLE h = ::CreateFileW(real.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            ::CloseHandle(h);
        } else {
            const DWORD err = ::GetLastError();
            if (err == ERROR_SHARING_VIOLATION || err == ERROR_LOCK_VIOLATION) return err;
        }
    }

    // A leftover of a save that was stopped midway is removed (made read-only since,
    // perhaps). Whatever else stands at the name - a folder, a link, a file of the user's,
    // a file another save still writes - keeps its place, and the next name is tried.
    std::wstring temp;
    HANDLE h = INVALID_HANDLE_VALUE;
    for (unsigned attempt = 0; attempt < kTempAttempts; ++attempt) {
        temp = LongPathForm(TempPathFor(path, attempt));
        if (IsLeftover(temp, options.leftoverStart)) {
            ::SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileW(temp.c_str());
        }
        h = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) break;
        const DWORD err = ::GetLastError();
        const bool occupied = err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS ||
                              ::GetFileAttributesW(temp.c_str()) != INVALID_FILE_ATTRIBUTES;
        ::SetLastError(err);
        if (!occupied) break;
    }
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD err = LastErrorOr(ERROR_ACCESS_DENIED);
        // The folder refuses new files (and nothing else sits at the temporary name):
        // the target itself may still be writable.
        if (err == ERROR_ACCESS_DENIED && exists && ::GetFileAttributesW(temp.c_str()) == INVALID_FILE_ATTRIBUTES)
            return WriteInPlace(real, write, options);
        return err;
    }
    DWORD err = write(h);
    if (!err && options.flush && !::FlushFileBuffers(h)) err = LastErrorOr(ERROR_WRITE_FAULT);
    if (!::CloseHandle(h) && !err) err = LastErrorOr(ERROR_WRITE_FAULT);
    bool keepTemp = false;
    if (!err) err = PutInPlace(temp, real, exists, options, keepTemp);
    if (err && !keepTemp) ::DeleteFileW(temp.c_str());
    return err;
}

}  // namespace zarp
