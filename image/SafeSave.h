// Saving a file so that a failure never destroys the one that was there, and the checks
// on the folders and files that Save As and the settings file touch.
#pragma once
#include <windows.h>
#include <functional>
#include <string>

namespace zarp {

// The remembered folder as the save dialog may get it: its full path, when the text
// names no device and holds no character a name cannot hold, and the full path is
// plain, short enough for the dialog and an existing directory. Empty otherwise.
std::wstring UsableFolder(const std::wstring& folder);

enum class FileKind { missing, regular, other };
// What is at the path, without following a link: nothing, a regular file, or anything
// else (a link, a folder, a device, a pipe). Under Wine a Unix symbolic link looks
// like the file it points to; its final path gives it away.
FileKind ProbeFile(const std::wstring& path);

// Writes the file's bytes from the start of an open handle; 0 or the system's error.
using FileWriter = std::function<DWORD(HANDLE)>;

struct SaveOptions {
    // true: a link is followed and the file it points to replaced, so the link stays a
    // link. false: a target that is not a regular file is refused.
    bool followLink = true;
    // The target carries the read-only attribute between writes: it is taken off for
    // the replace, and the file that stands there afterwards gets it; after a failure
    // the old file keeps the attributes it had.
    bool keepReadOnly = false;
    // Flush the bytes to the disk before the replace.
    bool flush = false;
    // What a leftover of this kind of save begins with: a file at the temporary name is
    // removed only when it begins so (or with a part of it: empty, say). Anything else
    // there is the user's and is stepped around. Empty: any regular file there counts
    // as a leftover.
    std::string leftoverStart;
};

// Writes target through a temporary file beside it (named by TempPathFor; a leftover of
// that name from an interrupted save is removed first, see leftoverStart), then puts it
// in the target's place: ReplaceFileW when the target exists, which keeps the replaced file's
// attributes and security, MoveFileExW otherwise. Paths too long for the plain calls
// are used in their long form. When the folder refuses new files but the target exists
// and opens for writing, the target is written in place instead. Returns 0, or the
// error that stopped the save; the old file is then as it was, except after a failed
// write in place.
DWORD SaveReplacing(const std::wstring& target, const FileWriter& write, const SaveOptions& options);

}  // namespace zarp
