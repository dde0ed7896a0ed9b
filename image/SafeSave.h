// Saving a file so that its name always holds a whole file, whatever happens meanwhile
// (another program holding it for a moment, a second Zarp, a crash at any instant), and
// the checks on the folders and files that Save As and the settings file touch.
#pragma once
#include <windows.h>
#include <cstdint>
#include <functional>
#include <string>

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
    // leftover is put in the target's place when the target is missing.
    bool (*isComplete)(const std::string& head, const std::string& tail, uint64_t size) = nullptr;
};

// Writes target through a temporary file beside it (named by TempPathFor) and renames
// that over the target in one step, so that the name holds the old file or the new
// one at every instant. What an interrupted save left there is dealt with first (see
// RecoverLeftovers). Saves of the same file by several Zarps take turns; a step that
// another program holds up (sharing and lock violations, access denied on a file that
// is not read-only) is tried again for about two seconds. The hidden and, with
// keepReadOnly, the read-only attribute and the creation time carry over. When the
// folder refuses new files but the target exists and opens for writing, the target is
// written in place instead. Returns 0, or the error that stopped the save; the old
// file is then as it was, except after a failed write in place.
DWORD SaveReplacing(const std::wstring& target, const FileWriter& write, const SaveOptions& options);

// The name of target's temporary file, as a save works it out (attempt as in
// TempPathFor); empty for a name that cannot be saved.
std::wstring TempNameOf(const std::wstring& target, unsigned attempt = 0);

// Deals with what interrupted saves left at target's temporary names, taking its turn
// with other saves of the file: a whole leftover takes the place of a missing target;
// any other leftover goes once the target's name holds a whole file (and an
// unfinished one always: it is no file anybody had). Files that are not leftovers stay.
void RecoverLeftovers(const std::wstring& target, const SaveOptions& options);

// Runs step again, with growing pauses for about two seconds in all, while it fails
// because another program holds a file for a moment (a sharing or lock violation,
// access denied); returns its last result. No message is handled meanwhile.
DWORD RetryWhileHeld(const std::function<DWORD()>& step);

// The settings file, whose bytes are given, saved through SaveReplacing; and read:
// ReadSettingsFile reads its first kSettingsReadLimit bytes, waiting while a rewrite or
// another program holds it. (Pictures are saved in the formats of ImageFormats.h.)
DWORD SaveSettingsFile(const std::wstring& file, const std::string& bytes);
DWORD ReadSettingsFile(const std::wstring& file, std::string& bytes);

}  // namespace zarp
