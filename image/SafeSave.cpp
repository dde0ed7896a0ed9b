#include "SafeSave.h"
#include <aclapi.h>
#include <winioctl.h>
#include <algorithm>
#include <vector>
#include "../framework/handle.h"
#include "path_rules.h"
#include "path_split.h"

namespace zarp {
namespace {
// Pauses between the tries of a step that another program holds up for a moment (a
// virus scanner, the search indexer, a thumbnailer, a sync client): two seconds in all.
constexpr DWORD kRetryPausesMs[] = {50, 100, 200, 400, 600, 650};
// How many temporary names a save tries before it gives up.
constexpr unsigned kTempAttempts = 10;
constexpr DWORD kHeadBytes = 64 * 1024;
// Rename flags of Windows 10 (1809) and later; older systems and Wine refuse the class.
constexpr FILE_INFO_BY_HANDLE_CLASS kFileRenameInfoEx = (FILE_INFO_BY_HANDLE_CLASS)22;
constexpr DWORD kRenameReplace = 0x1, kRenamePosix = 0x2, kRenameIgnoreReadOnly = 0x40;

DWORD LastErrorOr(DWORD fallback) {
    const DWORD err = ::GetLastError();
    return err ? err : fallback;
}

// Errors that another program causes for as long as it holds the file.
bool Transient(DWORD err) {
    return err == ERROR_SHARING_VIOLATION || err == ERROR_LOCK_VIOLATION || err == ERROR_USER_MAPPED_FILE ||
           err == ERROR_ACCESS_DENIED;
}

// The control of the save that the thread runs, for the writers and the pauses.
thread_local SaveControl* t_control = nullptr;

class ControlScope {
public:
    explicit ControlScope(SaveControl* control) : m_previous(t_control) {
        if (control) t_control = control;
    }
    ControlScope(const ControlScope&) = delete;
    ControlScope& operator=(const ControlScope&) = delete;
    ~ControlScope() { t_control = m_previous; }

private:
    SaveControl* m_previous;
};

// Waits ms; false when the save is cancelled meanwhile (at once, if it already was).
bool Pause(DWORD ms) {
    if (t_control && t_control->cancel) return ::WaitForSingleObject(t_control->cancel, ms) != WAIT_OBJECT_0;
    ::Sleep(ms);
    return true;
}

// Runs step until it succeeds or fails for a reason that waiting does not mend.
template <class Step> DWORD WithRetries(Step step) {
    DWORD err = step();
    for (DWORD pause : kRetryPausesMs) {
        if (!Transient(err)) break;
        if (!Pause(pause)) return ERROR_CANCELLED;
        err = step();
    }
    return err;
}

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

EntryKind KindOf(HANDLE h) {
    FILE_ATTRIBUTE_TAG_INFO info{};
    if (::GetFileType(h) != FILE_TYPE_DISK || !::GetFileInformationByHandleEx(h, FileAttributeTagInfo, &info, sizeof info))
        return EntryKind::other;
    return ClassifyEntry(info.FileAttributes, info.ReparseTag);
}

bool SameText(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), (int)a.size(), b.c_str(), (int)b.size(), TRUE) == CSTR_EQUAL;
}

bool IsFolder(const std::wstring& path) {
    const DWORD attrs = ::GetFileAttributesW(LongPathForm(path).c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
}

// The target as every step of a save uses it, worked out once.
struct Target {
    std::wstring path;  // the file written (a followed link's destination), long form if it needs one
    uint64_t key = 0;   // names its lock and its temporary files
    bool exists = false;
    DWORD attributes = 0;
    FILETIME created{};

    void Refresh() {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        exists = ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) != FALSE;
        attributes = exists ? data.dwFileAttributes : 0;
        created = exists ? data.ftCreationTime : FILETIME{};
    }
};

DWORD Resolve(const std::wstring& requested, bool followLink, Target& t) {
    // A device's name writes to the device, whatever folder it stands in.
    if (IsDosDeviceName(requested.substr(NameStart(requested)))) return ERROR_INVALID_NAME;
    std::wstring path = requested;
    if (followLink) {
        CHandle h(OpenForQuery(path, true));
        if (h.IsValid()) {
            if (KindOf(h.Get()) != EntryKind::regular) return ERROR_NOT_SUPPORTED;
            // Where a link leads: the file there is replaced, and the link stays.
            const std::wstring final = FinalPath(h.Get());
            if (!final.empty()) path = PlainPathForm(final);
        }
    } else if (ProbeFile(path) == FileKind::other) {
        return ERROR_NOT_SUPPORTED;
    }
    t.path = LongPathForm(path);
    std::wstring upper = PlainPathForm(t.path);  // one name for one file, whichever form
    ::CharUpperBuffW(&upper[0], (DWORD)upper.size());
    t.key = PathKey(upper);
    t.Refresh();
    return 0;
}

// Holds the turn of one file for its scope: another Zarp saving the same file waits,
// for as long as the control allows (15 s without one), or until the save is cancelled.
class SaveLock {
public:
    explicit SaveLock(uint64_t key) {
        m_mutex.Attach(::CreateMutexW(nullptr, FALSE, SaveLockName(key).c_str()));
        if (!m_mutex.IsValid()) return;
        // Abandoned: that Zarp ended midway, and what it left is dealt with next.
        DWORD r = ::WaitForSingleObject(m_mutex.Get(), 0);
        const DWORD waitMs = t_control ? t_control->lockWaitMs : 15000;
        if (r == WAIT_TIMEOUT && waitMs) {
            if (t_control && t_control->onLockWait) t_control->onLockWait(true);
            const HANDLE handles[] = {m_mutex.Get(), t_control ? t_control->cancel : nullptr};
            r = ::WaitForMultipleObjects(handles[1] ? 2 : 1, handles, FALSE, waitMs);
            m_cancelled = r == WAIT_OBJECT_0 + 1;
            if (t_control && t_control->onLockWait) t_control->onLockWait(false);
        }
        m_owned = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
    }
    SaveLock(const SaveLock&) = delete;
    SaveLock& operator=(const SaveLock&) = delete;
    ~SaveLock() {
        if (m_owned) ::ReleaseMutex(m_mutex.Get());
    }
    // False only when another save kept the file beyond all patience. Without a lock
    // object at all (none can be made) the save goes on alone.
    bool Held() const { return m_owned || !m_mutex.IsValid(); }
    // Why the turn is not ours: cancelled, or another save still under way.
    DWORD Refusal() const { return m_cancelled ? ERROR_CANCELLED : kErrorSaveStillRunning; }

private:
    CHandle m_mutex;
    bool m_owned = false;
    bool m_cancelled = false;
};

// The first bytes, the last ones and the size of a regular file that nothing holds for
// writing; false for anything else (another save or program writing it included).
bool ReadEnds(const std::wstring& path, std::string& head, std::string& tail, uint64_t& size) {
    if (ProbeFile(path) != FileKind::regular) return false;
    CHandle h(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER length{};
    if (!h.IsValid() || !::GetFileSizeEx(h.Get(), &length)) return false;
    head.assign((size_t)std::min<uint64_t>((uint64_t)length.QuadPart, kHeadBytes), '\0');
    DWORD got = 0;
    if (!head.empty() && !::ReadFile(h.Get(), &head[0], (DWORD)head.size(), &got, nullptr)) return false;
    head.resize(got);
    size = (uint64_t)length.QuadPart;
    tail = head.substr(head.size() < 16 ? 0 : head.size() - 16);
    LARGE_INTEGER end{};
    end.QuadPart = length.QuadPart > 16 ? length.QuadPart - 16 : 0;
    if (size > head.size() && ::SetFilePointerEx(h.Get(), end, nullptr, FILE_BEGIN)) {
        tail.assign(16, '\0');
        if (!::ReadFile(h.Get(), &tail[0], 16, &got, nullptr)) return false;
        tail.resize(got);
    }
    return true;
}

// Gives a whole file a name nothing holds, in one step that never replaces anything:
// a hard link (under Wine, a link that points nowhere counts as taken, as on Windows).
// ERROR_FILE_EXISTS when the name is taken; another error when the file system has no
// hard links.
DWORD LinkNew(const std::wstring& from, const std::wstring& to) {
    if (::CreateHardLinkW(to.c_str(), from.c_str(), nullptr)) return 0;
    const DWORD err = LastErrorOr(ERROR_NOT_SUPPORTED);
    return err == ERROR_ALREADY_EXISTS ? ERROR_FILE_EXISTS : err;
}

// Renames the open file; FileName is a path the system converts, NUL-terminated.
DWORD RenameHandle(HANDLE h, const std::wstring& to, FILE_INFO_BY_HANDLE_CLASS kind, DWORD flags) {
    const size_t bytes = sizeof(FILE_RENAME_INFO) + (to.size() + 1) * sizeof(wchar_t);
    std::vector<BYTE> buffer(bytes, 0);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    if (kind == kFileRenameInfoEx)
        info->Flags = flags;
    else
        info->ReplaceIfExists = flags != 0;
    info->FileNameLength = (DWORD)(to.size() * sizeof(wchar_t));
    std::copy(to.begin(), to.end(), info->FileName);
    return ::SetFileInformationByHandle(h, kind, info, (DWORD)bytes) ? 0 : LastErrorOr(ERROR_WRITE_FAULT);
}

// Renames the open file over the existing target in one step. Where the system can,
// the read-only attribute does not stand in the way and other programs' open handles
// to the old file do not either; elsewhere a read-only target loses the attribute for
// the rename and gets it back if the rename fails.
DWORD RenameOver(HANDLE h, const std::wstring& target) {
    DWORD err = RenameHandle(h, target, kFileRenameInfoEx, kRenameReplace | kRenamePosix | kRenameIgnoreReadOnly);
    if (err != ERROR_INVALID_PARAMETER && err != ERROR_INVALID_FUNCTION && err != ERROR_NOT_SUPPORTED) return err;
    err = RenameHandle(h, target, FileRenameInfo, TRUE);
    const DWORD attrs = ::GetFileAttributesW(target.c_str());
    if (err == ERROR_ACCESS_DENIED && attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY) &&
        ::SetFileAttributesW(target.c_str(), attrs & ~FILE_ATTRIBUTE_READONLY)) {
        err = RenameHandle(h, target, FileRenameInfo, TRUE);
        if (err) ::SetFileAttributesW(target.c_str(), attrs);
    }
    return err;
}

// Removes the open file's name when the handle closes, read-only or not. A file with
// other names (a hard link) keeps its attributes under them: Windows 10 (1809) and
// later delete a read-only name as it is; elsewhere the read-only attribute comes off
// for the moment of the call and goes back on.
void DeleteOnClose(HANDLE h) {
    constexpr FILE_INFO_BY_HANDLE_CLASS kDispositionEx = (FILE_INFO_BY_HANDLE_CLASS)21;
    struct {
        DWORD flags;
    } ex{0x1 | 0x2 | 0x10};  // delete, POSIX semantics, ignore the read-only attribute
    if (::SetFileInformationByHandle(h, kDispositionEx, &ex, sizeof ex)) return;
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic)) return;
    const DWORD attrs = basic.FileAttributes;
    basic = FILE_BASIC_INFO{};
    basic.FileAttributes = (attrs & ~FILE_ATTRIBUTE_READONLY) | FILE_ATTRIBUTE_ARCHIVE;
    if (attrs & FILE_ATTRIBUTE_READONLY) ::SetFileInformationByHandle(h, FileBasicInfo, &basic, sizeof basic);
    FILE_DISPOSITION_INFO disposition{TRUE};
    ::SetFileInformationByHandle(h, FileDispositionInfo, &disposition, sizeof disposition);
    basic.FileAttributes = attrs;
    if (attrs & FILE_ATTRIBUTE_READONLY) ::SetFileInformationByHandle(h, FileBasicInfo, &basic, sizeof basic);
}

// Removes a leftover by its name (see DeleteOnClose).
void RemoveLeftover(const std::wstring& path) {
    CHandle h(::CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (h.IsValid()) DeleteOnClose(h.Get());
}

// Puts the finished temporary file, still open, at the target's name.
DWORD PutInPlace(HANDLE h, const std::wstring& temp, const Target& t, bool followLink) {
    if (t.exists) return WithRetries([&] { return RenameOver(h, t.path); });
    const auto renameNew = [&] { return RenameHandle(h, t.path, FileRenameInfo, FALSE); };
    if (followLink) return WithRetries(renameNew);  // taken meanwhile: refused, not replaced
    // A link that points nowhere must keep its place, and under Wine only a hard link
    // sees it (a rename takes its name as free).
    const DWORD err = LinkNew(temp, t.path);
    if (err == ERROR_FILE_EXISTS) return ERROR_NOT_SUPPORTED;
    if (err) return WithRetries(renameNew);  // a file system without hard links
    DeleteOnClose(h);  // the temporary name goes; the file stays under the target's
    return 0;
}

// Gives a leftover that is the only copy of a finished save the missing target's name.
bool PlaceLeftover(const std::wstring& temp, const Target& t, bool followLink) {
    if (!followLink) {
        const DWORD err = LinkNew(temp, t.path);
        if (err == ERROR_FILE_EXISTS) return false;
        if (err == 0) {
            RemoveLeftover(temp);  // both names are one file, which keeps its attributes
            return true;
        }
    }
    return ::MoveFileExW(temp.c_str(), t.path.c_str(), 0) != FALSE;
}

// The attributes a user sees, the creation time, and the bytes on the disk before the
// file takes the target's name: a power cut then leaves the old or the new file there
// (on NTFS and ReFS, which keep the order of these steps). The read-only attribute
// comes after the rename: some servers refuse to rename a read-only file.
DWORD Finish(HANDLE h, const Target& t) {
    FILE_BASIC_INFO basic{};
    if (t.exists) {
        basic.CreationTime.LowPart = t.created.dwLowDateTime;
        basic.CreationTime.HighPart = (LONG)t.created.dwHighDateTime;
    }
    basic.FileAttributes = FILE_ATTRIBUTE_ARCHIVE | (t.exists ? t.attributes & FILE_ATTRIBUTE_HIDDEN : 0);
    ::SetFileInformationByHandle(h, FileBasicInfo, &basic, sizeof basic);
    return ::FlushFileBuffers(h) ? 0 : LastErrorOr(ERROR_WRITE_FAULT);
}

// Adds the read-only attribute through the open handle of a file in place.
void MakeReadOnly(HANDLE h) {
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic)) return;
    const DWORD attrs = basic.FileAttributes;
    basic = FILE_BASIC_INFO{};
    basic.FileAttributes = attrs | FILE_ATTRIBUTE_READONLY;
    ::SetFileInformationByHandle(h, FileBasicInfo, &basic, sizeof basic);
}

// Copies bytes [from, to) of the staged file to the same place in the target.
DWORD CopyRange(HANDLE staged, HANDLE target, uint64_t from, uint64_t to) {
    std::vector<BYTE> buffer(1 << 20);
    LARGE_INTEGER at{};
    at.QuadPart = (LONGLONG)from;
    if (!::SetFilePointerEx(staged, at, nullptr, FILE_BEGIN) || !::SetFilePointerEx(target, at, nullptr, FILE_BEGIN))
        return LastErrorOr(ERROR_WRITE_FAULT);
    while (from < to) {
        const DWORD want = (DWORD)std::min<uint64_t>(buffer.size(), to - from);
        DWORD got = 0, written = 0;
        if (!::ReadFile(staged, buffer.data(), want, &got, nullptr) || got != want) return LastErrorOr(ERROR_READ_FAULT);
        if (!::WriteFile(target, buffer.data(), got, &written, nullptr)) return LastErrorOr(ERROR_WRITE_FAULT);
        if (written != got) return ERROR_DISK_FULL;
        from += got;
    }
    return 0;
}

// The target written where it stands, for a folder that lets nobody create files in it.
// The new bytes are made first in a file of the user's temporary folder, so that their
// size is known; the part past the old end is written first (real bytes: a file only
// made longer is sparse on some file systems and reserves nothing), so that a full disk
// stops the save while every old byte is as it was. Only then are the old bytes
// overwritten; a failure after that point loses the old file, and the control says so.
DWORD WriteInPlace(const Target& t, const FileWriter& write, const SaveOptions& options) {
    wchar_t folder[MAX_PATH + 1], name[MAX_PATH + 1];
    if (!::GetTempPathW(MAX_PATH + 1, folder) || !::GetTempFileNameW(folder, L"zrp", 0, name))
        return LastErrorOr(ERROR_PATH_NOT_FOUND);
    CHandle staged(::CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                 FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!staged.IsValid()) {
        const DWORD err = LastErrorOr(ERROR_ACCESS_DENIED);
        ::DeleteFileW(name);
        return err;
    }
    LARGE_INTEGER newSize{}, oldSize{};
    DWORD err = write(staged.Get());
    if (!err && !::GetFileSizeEx(staged.Get(), &newSize)) err = LastErrorOr(ERROR_READ_FAULT);
    if (err) return err;

    const bool readOnly = options.keepReadOnly && (t.attributes & FILE_ATTRIBUTE_READONLY);
    if (readOnly) ::SetFileAttributesW(t.path.c_str(), t.attributes & ~FILE_ATTRIBUTE_READONLY);
    CHandle h;
    err = WithRetries([&] {
        h.Attach(::CreateFileW(t.path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        return h.IsValid() ? 0 : LastErrorOr(ERROR_ACCESS_DENIED);
    });
    if (!err && !::GetFileSizeEx(h.Get(), &oldSize)) err = LastErrorOr(ERROR_READ_FAULT);
    const uint64_t oldEnd = (uint64_t)oldSize.QuadPart, newEnd = (uint64_t)newSize.QuadPart;
    if (!err && newEnd > oldEnd) {
        err = CopyRange(staged.Get(), h.Get(), oldEnd, newEnd);
        if (!err && !::FlushFileBuffers(h.Get())) err = LastErrorOr(ERROR_WRITE_FAULT);
        if (err) {  // back to the old length: the old bytes were never touched
            LARGE_INTEGER end{};
            end.QuadPart = oldSize.QuadPart;
            if (::SetFilePointerEx(h.Get(), end, nullptr, FILE_BEGIN)) ::SetEndOfFile(h.Get());
        }
    }
    if (!err && SaveCancelled()) err = ERROR_CANCELLED;
    if (!err) {
        err = CopyRange(staged.Get(), h.Get(), 0, std::min(oldEnd, newEnd));
        LARGE_INTEGER end{};
        end.QuadPart = newSize.QuadPart;
        if (!err && (!::SetFilePointerEx(h.Get(), end, nullptr, FILE_BEGIN) || !::SetEndOfFile(h.Get())))
            err = LastErrorOr(ERROR_WRITE_FAULT);
        if (!err && !::FlushFileBuffers(h.Get())) err = LastErrorOr(ERROR_WRITE_FAULT);
        if (!h.Close() && !err) err = LastErrorOr(ERROR_WRITE_FAULT);
        if (err && t_control) t_control->oldFileLost = true;
    }
    h.Close();
    if (options.keepReadOnly) ::SetFileAttributesW(t.path.c_str(), t.attributes | (err ? 0 : FILE_ATTRIBUTE_READONLY));
    return err;
}

// What the old file is, read from it (its access list through a handle that asks for
// nothing but that).
DWORD ReadProtection(HANDLE old, DWORD attributes, KeptProtection& kept) {
    kept.encrypted = attributes & FILE_ATTRIBUTE_ENCRYPTED;
    kept.compressed = attributes & FILE_ATTRIBUTE_COMPRESSED;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    // A file system without access lists (FAT, exFAT, many shares) has nothing to carry.
    if (::GetSecurityInfo(old, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr, &sd))
        return 0;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (::GetSecurityDescriptorControl(sd, &control, &revision)) kept.daclProtected = control & SE_DACL_PROTECTED;
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!::GetAce(dacl, i, &ace)) continue;
        const auto* header = static_cast<const ACE_HEADER*>(ace);
        if (header->AceFlags & INHERITED_ACE) continue;  // the folder gives these to the new file itself
        const auto* bytes = static_cast<const unsigned char*>(ace);
        kept.explicitAces.insert(kept.explicitAces.end(), bytes, bytes + header->AceSize);
        ++kept.explicitAceCount;
    }
    ::LocalFree(sd);
    return 0;
}

// The old file's own entries before the ones the new file inherited from the folder
// (none when the old list was protected from inheritance), so that inherited rules stay
// inherited and follow later changes of the folder; the encryption checked and the
// compression asked for.
DWORD ApplyProtection(HANDLE file, const KeptProtection& kept) {
    FILE_BASIC_INFO basic{};
    if (kept.encrypted && (!::GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) ||
                           !(basic.FileAttributes & FILE_ATTRIBUTE_ENCRYPTED)))
        return kErrorCannotKeepEncryption;
    if (kept.compressed) {  // saves room and hides nothing: a file system without it is no error
        USHORT format = COMPRESSION_FORMAT_DEFAULT;
        DWORD got = 0;
        ::DeviceIoControl(file, FSCTL_SET_COMPRESSION, &format, sizeof format, nullptr, 0, &got, nullptr);
    }
    if (!kept.explicitAceCount && !kept.daclProtected) return 0;
    PACL current = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (::GetSecurityInfo(file, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &current, nullptr, &sd))
        return kErrorCannotKeepAccessRules;
    std::vector<unsigned char> inherited, own;
    DWORD inheritedCount = 0;
    for (DWORD i = 0; current && i < current->AceCount; ++i) {
        void* ace = nullptr;
        if (!::GetAce(current, i, &ace)) continue;
        const auto* header = static_cast<const ACE_HEADER*>(ace);
        const auto* bytes = static_cast<const unsigned char*>(ace);
        const bool isInherited = header->AceFlags & INHERITED_ACE;
        (isInherited ? inherited : own).insert((isInherited ? inherited : own).end(), bytes, bytes + header->AceSize);
        inheritedCount += isInherited ? 1 : 0;
    }
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    const bool nowProtected = ::GetSecurityDescriptorControl(sd, &control, &revision) && (control & SE_DACL_PROTECTED);
    ::LocalFree(sd);
    // The new file has those rules already (a system that gives every file its own
    // entries, as Wine does from the file's mode, shows this for every file).
    if (own == kept.explicitAces && nowProtected == kept.daclProtected) return 0;
    if (kept.daclProtected) {
        inherited.clear();
        inheritedCount = 0;
    }
    const DWORD size = (DWORD)((sizeof(ACL) + kept.explicitAces.size() + inherited.size() + 3) & ~size_t(3));
    std::vector<unsigned char> buffer(size);
    auto* acl = reinterpret_cast<PACL>(buffer.data());
    if (!::InitializeAcl(acl, size, ACL_REVISION_DS) ||
        (kept.explicitAceCount &&
         !::AddAce(acl, ACL_REVISION_DS, MAXDWORD, (void*)kept.explicitAces.data(), (DWORD)kept.explicitAces.size())) ||
        (inheritedCount && !::AddAce(acl, ACL_REVISION_DS, MAXDWORD, inherited.data(), (DWORD)inherited.size())))
        return kErrorCannotKeepAccessRules;
    const SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION | (kept.daclProtected ? PROTECTED_DACL_SECURITY_INFORMATION
                                                                                      : UNPROTECTED_DACL_SECURITY_INFORMATION);
    return ::SetSecurityInfo(file, SE_FILE_OBJECT, what, nullptr, nullptr, acl, nullptr) ? kErrorCannotKeepAccessRules : 0;
}

ProtectionSteps g_protection = {&ReadProtection, &ApplyProtection};

// A new hidden temporary file beside the target, open for writing, renaming and
// taking the old file's protection, encrypted when the old file was. Whatever stands at
// a temporary name (a folder, a link, a file of the user's, a file another program
// holds) keeps its place, and the next name is tried.
DWORD CreateTemp(const Target& t, bool encrypted, CHandle& file, std::wstring& temp) {
    for (unsigned attempt = 0; attempt < kTempAttempts; ++attempt) {
        temp = LongPathForm(TempPathFor(t.path, t.key, attempt));
        // Other programs may read it, sharing write and delete access, and so can neither
        // hold up its rename nor rename, replace or remove it meanwhile.
        file.Attach(::CreateFileW(temp.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE | READ_CONTROL | WRITE_DAC,
                                  FILE_SHARE_READ, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_HIDDEN | (encrypted ? FILE_ATTRIBUTE_ENCRYPTED : 0), nullptr));
        if (file.IsValid()) return 0;
        const DWORD err = ::GetLastError();
        if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS &&
            ::GetFileAttributesW(temp.c_str()) == INVALID_FILE_ATTRIBUTES)
            return err ? err : ERROR_ACCESS_DENIED;
    }
    return kErrorNoTemporaryName;
}

// Leftovers at the target's temporary names, with the target's turn held. Before a
// save (after = false) unfinished ones go; whole ones stay (a picture's may be its only
// copy), except the settings file's, which takes a missing target's place or goes.
// After a save is in place (after = true) the whole ones go too.
void Recover(Target& t, const SaveOptions& options, bool after) {
    for (unsigned attempt = 0; attempt < kTempAttempts; ++attempt) {
        const std::wstring temp = LongPathForm(TempPathFor(t.path, t.key, attempt));
        std::string head, tail;
        uint64_t size = 0;
        if (!ReadEnds(temp, head, tail, size)) continue;
        if (options.isLeftover && !options.isLeftover(head)) continue;  // not a save's: the user's
        const bool complete = options.isComplete && options.isComplete(head, tail, size);
        if (complete && !after) {
            if (!options.placeCompleteLeftover) continue;
            // The only copy of a finished save: it takes the target's place, or stays.
            if (!t.exists) {
                if (PlaceLeftover(temp, t, options.followLink)) t.Refresh();
                continue;
            }
        }
        RemoveLeftover(temp);
    }
}
}  // namespace

std::wstring UsableFolder(const std::wstring& folder) {
    if (folder.empty() || HasBadComponent(folder)) return std::wstring();
    // A drive's root is remembered as "C:", which on its own would name that drive's
    // current folder.
    const bool root = folder.size() == 2 && folder[1] == L':';
    const std::wstring full = FullPath(root ? folder + L"\\" : folder);
    if (CheckFolderText(full) != FolderProblem::none || !IsFolder(full)) return std::wstring();
    return full;
}

FileKind ProbeFile(const std::wstring& path) {
    const std::wstring longPath = LongPathForm(path);
    const DWORD attrs = ::GetFileAttributesW(longPath.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) {
        const DWORD err = ::GetLastError();
        return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND ? FileKind::missing : FileKind::other;
    }
    CHandle h(OpenForQuery(path, false));
    if (!h.IsValid() || KindOf(h.Get()) != EntryKind::regular) return FileKind::other;
    // The file must resolve to its own name in its own folder (the folder's final path:
    // the folder itself may be reached through a link, and that is no concern here).
    const std::wstring final = FinalPath(h.Get());
    const size_t nameAt = NameStart(path);
    CHandle folder(OpenForQuery(nameAt ? path.substr(0, nameAt) : std::wstring(L"."), true));
    std::wstring expected = folder.IsValid() ? FinalPath(folder.Get()) : std::wstring();
    if (final.empty() || expected.empty()) return FileKind::regular;
    if (expected.back() != L'\\') expected += L'\\';
    expected += path.substr(nameAt);
    return SameText(final, expected) ? FileKind::regular : FileKind::other;
}


bool SaveCancelled() {
    if (t_control && t_control->cancelled) return *t_control->cancelled;
    return t_control && t_control->cancel && ::WaitForSingleObject(t_control->cancel, 0) == WAIT_OBJECT_0;
}

ProtectionSteps SetProtectionStepsForTesting(ProtectionSteps steps) {
    const ProtectionSteps previous = g_protection;
    g_protection = steps;
    return previous;
}

DWORD RetryWhileHeld(const std::function<DWORD()>& step) { return WithRetries(step); }

SaveTarget ResolveSaveTarget(const std::wstring& path, bool followLink) {
    Target t;
    SaveTarget out;
    out.error = Resolve(path, followLink, t);
    out.path = t.path;
    out.exists = t.exists;
    out.attributes = t.attributes;
    return out;
}

std::wstring SaveLockNameOf(const std::wstring& target) {
    Target t;
    return Resolve(target, true, t) ? std::wstring() : SaveLockName(t.key);
}

std::wstring TempNameOf(const std::wstring& target, unsigned attempt) {
    Target t;
    return Resolve(target, false, t) ? std::wstring() : PlainPathForm(TempPathFor(t.path, t.key, attempt));
}

void RecoverLeftovers(const std::wstring& target, const SaveOptions& options, SaveControl* control) {
    ControlScope scope(control);
    Target t;
    if (Resolve(target, options.followLink, t)) return;
    SaveLock lock(t.key);
    if (lock.Held() && !Resolve(target, options.followLink, t)) Recover(t, options, false);
}

DWORD SaveReplacing(const std::wstring& target, const FileWriter& write, const SaveOptions& options,
                    SaveControl* control) {
    ControlScope scope(control);
    Target t;
    if (DWORD err = Resolve(target, options.followLink, t)) return err;
    SaveLock lock(t.key);
    if (!lock.Held()) return lock.Refusal();  // cancelled, or another Zarp's save of it never ended
    // What stands there now that the turn is ours: another save may just have made it.
    if (DWORD err = Resolve(target, options.followLink, t)) return err;
    Recover(t, options, false);
    KeptProtection kept;
    const bool protect = t.exists && options.keepProtection;
    if (t.exists) {
        // A target another program holds without letting it be replaced: waited for, and
        // said now if it stays held, before a whole picture is written for nothing. The
        // same look reads what the new file must keep of the old one.
        const DWORD err = WithRetries([&] {
            CHandle h(::CreateFileW(t.path.c_str(), DELETE | READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
            const DWORD e = h.IsValid() ? 0 : ::GetLastError();
            if (e == ERROR_SHARING_VIOLATION || e == ERROR_LOCK_VIOLATION) return e;
            kept = KeptProtection{};
            return h.IsValid() && protect ? g_protection.read(h.Get(), t.attributes, kept) : 0;
        });
        if (err) return err;
    }

    CHandle file;
    std::wstring temp;
    if (DWORD err = CreateTemp(t, kept.encrypted, file, temp)) {
        if (err != ERROR_ACCESS_DENIED && err != ERROR_FILE_NOT_FOUND && err != ERROR_PATH_NOT_FOUND) return err;
        if (!IsFolder(t.path.substr(0, NameStart(t.path)))) return ERROR_PATH_NOT_FOUND;
        // The folder is there but takes no new file. Where that is for want of the right
        // to create files, the target itself may still be writable; "not found" is how
        // security software refuses, and it refuses the target as well.
        if (err != ERROR_ACCESS_DENIED || !t.exists) return kErrorFolderRefusesFiles;
        const bool allowed = options.writeInPlaceUnasked || (control && control->writeInPlace);
        if (!allowed) {
            // Asked only of a file that can be written at all.
            CHandle probe(::CreateFileW(t.path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
            const bool held = !probe.IsValid() && ::GetLastError() == ERROR_SHARING_VIOLATION;
            return probe.IsValid() || held ? kErrorWriteInPlaceNeeded : kErrorFolderRefusesFiles;
        }
        err = WriteInPlace(t, write, options);
        return err == ERROR_ACCESS_DENIED ? kErrorFolderRefusesFiles : err;
    }
    DWORD err = protect ? g_protection.apply(file.Get(), kept) : 0;
    if (!err) err = write(file.Get());
    if (!err) err = Finish(file.Get(), t);
    // The last moment a cancel is taken: after it the new file takes the name.
    if (!err && SaveCancelled()) err = ERROR_CANCELLED;
    if (!err) err = PutInPlace(file.Get(), temp, t, options.followLink);
    if (err) DeleteOnClose(file.Get());  // the old file is whole: this copy is not needed
    else if (options.keepReadOnly) MakeReadOnly(file.Get());
    if (!file.Close() && !err) err = LastErrorOr(ERROR_WRITE_FAULT);
    if (!err) Recover(t, options, true);
    return err;
}

}  // namespace zarp
