// Saving a file so that its name always holds a whole file, whatever happens meanwhile
// (another program holding it for a moment, a second Zarp, a crash at any instant), and
// the checks on the folders and files that Save As and the settings file touch.
#pragma once
#include <windows.h>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zarp {

// The remembered folder as the save dialog may get it: its full path, when the text
// names no device and holds no character a name cannot hold, and the full path is
// plain, short enough for the dialog and an existing directory. Empty otherwise.
std::wstring UsableFolder(const std::wstring& folder);

enum class FileKind { missing, regular, other };
// What is at the path, without following a link: nothing, a regular file (cloud files
// and other reparse points that are no link included), or anything else (a link, a
// folder, a device, a pipe). Under Wine a Unix symbolic link looks like the file it
// points to; its final path gives it away.
FileKind ProbeFile(const std::wstring& path);

// Writes the file's bytes from the start of an open handle; 0 or the system's error.
using FileWriter = std::function<DWORD(HANDLE)>;

// The error of a save whose folder exists but takes no new file: no right to create one
// there, or security software refusing it (Controlled Folder Access answers "not
// found"). The system has no code of its own for it; this one carries the bit that
// marks an application's codes.
constexpr DWORD kErrorFolderRefusesFiles = 0x20000000u | 0x5A01u;

// Errors of a save that the system has no code for (the application bit set).
// Another Zarp's save of the same file was still under way when the wait ended.
constexpr DWORD kErrorSaveStillRunning = 0x20000000u | 0x5A03u;
// Every temporary name beside the target is taken by files that are not leftovers.
constexpr DWORD kErrorNoTemporaryName = 0x20000000u | 0x5A04u;
// The folder takes no new file, but the old file could be written where it stands:
// the save asks first (see SaveControl::writeInPlace).
constexpr DWORD kErrorWriteInPlaceNeeded = 0x20000000u | 0x5A05u;
// The old file's own access rules (explicit entries of its access list) could not be
// given to the new file; the old file is kept.
constexpr DWORD kErrorCannotKeepAccessRules = 0x20000000u | 0x5A06u;
// The old file was encrypted and the new one cannot be; the old file is kept.
constexpr DWORD kErrorCannotKeepEncryption = 0x20000000u | 0x5A07u;
// The settings file is not rewritten: its folder is one the save dialog could not be
// given again (too long, gone, not plain).
constexpr DWORD kErrorFolderNotReusable = 0x20000000u | 0x5A08u;

struct SaveOptions {
    // true: a link is followed and the file it points to replaced, so the link stays a
    // link. false: a target that is not a regular file is refused.
    bool followLink = true;
    // The file carries the read-only attribute between writes.
    bool keepReadOnly = false;
    // Whether a file that begins with head (its first bytes, at most 64 KiB) begins as
    // every file of this kind does, or with a part of that (an empty file, say): only
    // such a file at a temporary name is taken for an interrupted save's leftover.
    // Anything else there is the user's and is stepped around. Null: any regular file.
    bool (*isLeftover)(const std::string& head) = nullptr;
    // Whether a file that begins with head, ends with tail (its last 16 bytes, or all of
    // a shorter file) and is size bytes long is a whole file of this kind. A whole
    // leftover is kept until a new save is in place (it may be the only copy of a
    // picture), and only then removed.
    bool (*isComplete)(const std::string& head, const std::string& tail, uint64_t size) = nullptr;
    // A whole leftover takes the place of a missing target by itself (the program's own
    // settings file; never a user's picture).
    bool placeCompleteLeftover = false;
    // An overwrite keeps the old file's own access rules, encryption and compression
    // (a user's file); the program's own file takes what its folder gives.
    bool keepProtection = true;
    // In a folder that takes no new files the file is written in place without asking
    // (the program's own); otherwise only with SaveControl::writeInPlace.
    bool writeInPlaceUnasked = false;
};

// How a save may wait, and what it says while it does. A save that runs on a worker
// thread (the window answering meanwhile) is given one; without it a save waits as a
// plain call does.
struct SaveControl {
    // Signalled: the save stops at its next wait or write, before its rename, and
    // returns ERROR_CANCELLED; the old file stays as it was.
    HANDLE cancel = nullptr;
    // Set with the event, where there is one: asked between the writers' pieces.
    const std::atomic<bool>* cancelled = nullptr;
    // How long another Zarp's save of the same file is waited for: INFINITE as long as
    // the user lets it (cancel), 0 tried only.
    DWORD lockWaitMs = 15000;
    // Told true when the wait for another Zarp's save begins, false when it ends.
    std::function<void(bool waiting)> onLockWait;
    // The user agreed that a target in a folder that takes no new files be written
    // where it stands. Without it such a save returns kErrorWriteInPlaceNeeded, unless
    // the options say SaveOptions::writeInPlaceUnasked.
    bool writeInPlace = false;
    // Set by the save: a write in place failed after the old bytes began to change.
    bool oldFileLost = false;
};

// True while the calling thread runs a save whose control has been cancelled: the
// writers ask it between their pieces.
bool SaveCancelled();

// Writes target through a hidden temporary file beside it (named by TempPathFor) and
// renames that over the target in one step, so that the name holds the old file or the
// new one at every instant. What an interrupted save left there is dealt with first (see
// RecoverLeftovers). Saves of the same file by several Zarps take turns; a step that
// another program holds up (sharing and lock violations, access denied on a file that
// is not read-only) is tried again for about two seconds. The hidden and, with
// keepReadOnly, the read-only attribute (set after the rename) and the creation time
// carry over, and so do the old file's explicit access rules, its encryption and its
// compression. When the folder refuses new files but the target exists and opens for
// writing, the target is written in place, with the new size secured on the disk before
// any old byte changes. Returns 0, or the error that stopped the save.
DWORD SaveReplacing(const std::wstring& target, const FileWriter& write, const SaveOptions& options,
                    SaveControl* control = nullptr);

// What a save of path writes to, worked out as the save does: the file a link leads
// to, in its long form where it needs one. error is non-zero for a name that cannot be
// saved (a device, a link or folder where none may be).
struct SaveTarget {
    DWORD error = 0;
    std::wstring path;
    bool exists = false;
    DWORD attributes = 0;
};
SaveTarget ResolveSaveTarget(const std::wstring& path, bool followLink = true);

// The name of the lock that a save of target takes (another program that holds it
// stands for another Zarp saving the file); empty for a name that cannot be saved.
std::wstring SaveLockNameOf(const std::wstring& target);

// The name of target's temporary file, as a save works it out (attempt as in
// TempPathFor); empty for a name that cannot be saved.
std::wstring TempNameOf(const std::wstring& target, unsigned attempt = 0);

// What an overwritten file was that its replacement must be too, and the two steps
// that carry it over: read from the old file's handle, applied to the new file's.
struct KeptProtection {
    bool encrypted = false;
    bool compressed = false;
    bool daclProtected = false;          // the old file inherits nothing from its folder
    std::vector<unsigned char> explicitAces;  // its own entries, one after the other
    unsigned explicitAceCount = 0;
};
struct ProtectionSteps {
    DWORD (*read)(HANDLE oldFile, DWORD oldAttributes, KeptProtection& kept);
    DWORD (*apply)(HANDLE newFile, const KeptProtection& kept);
};
// Replaces the steps (tests report and apply through their own); returns the old ones.
ProtectionSteps SetProtectionStepsForTesting(ProtectionSteps steps);

// Deals with what interrupted saves left at target's temporary names, taking its turn
// with other saves of the file (tried only, with a control whose lockWaitMs is 0: a
// start never waits): with placeCompleteLeftover a whole leftover takes the place of a
// missing target; an unfinished leftover always goes (it is no file anybody had), and
// a whole one once the target's name holds a whole file of the program's own. Files
// that are not leftovers stay.
void RecoverLeftovers(const std::wstring& target, const SaveOptions& options, SaveControl* control = nullptr);

// Runs step again, with growing pauses for about two seconds in all, while it fails
// because another program holds a file for a moment (a sharing or lock violation,
// access denied); returns its last result. A cancelled save's pauses end at once.
DWORD RetryWhileHeld(const std::function<DWORD()>& step);

// The settings file, whose bytes are given, saved through SaveReplacing; and read:
// ReadSettingsFile reads its first kSettingsReadLimit bytes, waiting while a rewrite or
// another program holds it. (Pictures are saved in the formats of ImageFormats.h.)
DWORD SaveSettingsFile(const std::wstring& file, const std::string& bytes, SaveControl* control = nullptr);
DWORD ReadSettingsFile(const std::wstring& file, std::string& bytes);

}  // namespace zarp
