// Rules for the folders and files that Save As and the settings file touch: which
// remembered folder the save dialog may be given, the long form of a path too long
// for the plain file calls, and the name of the temporary file written beside a
// target. Platform-free.
#pragma once
#include <cstdint>
#include <string>

namespace zarp {

// The platform's classic path limit, terminator included.
constexpr size_t kMaxPath = 260;

// True for a name the system reads as a device rather than a file or folder: CON, PRN,
// AUX, NUL, CONIN$, CONOUT$, COM1-COM9 and LPT1-LPT9 (the digits also as the
// superscripts 1, 2, 3), in any case, with or without an extension, and with trailing
// spaces or dots.
bool IsDosDeviceName(const std::wstring& component);

// True when a component of the path (relative or absolute; a drive's colon aside) holds
// a character no file name may hold, is a device name, or ends in a dot or a space
// (which plain parsing drops; "." and ".." aside).
bool HasBadComponent(const std::wstring& path);

enum class FolderProblem {
    none,
    empty,
    tooLong,     // the folder, a separator and a one-letter name do not fit in kMaxPath
    notPlain,    // not "X:\..." or "\\server\share\...", or in the "\\?\" / "\\.\" forms
    badName,     // a character no file name may hold, or a device name as a component
};

// What keeps a folder path from being handed to the save dialog as its initial folder,
// judged on its text alone (whether it exists is the caller's question). The path must
// be absolute and plain, every component a possible name, and the path with a separator
// and a one-letter name after it must fit the dialog's MAX_PATH buffers: at most 257
// characters without the final separator.
FolderProblem CheckFolderText(const std::wstring& path);

// The "\\?\" form ("\\?\C:\...", "\\?\UNC\server\share\...") of an absolute path, for
// paths of kMaxPath characters or more; shorter ones, relative ones and those already
// in a "\\?\" or "\\.\" form come back unchanged.
std::wstring LongPathForm(const std::wstring& path);

// The plain form of a "\\?\" path ("\\?\C:\a" gives "C:\a", "\\?\UNC\srv\s" gives
// "\\srv\s") when it is shorter than kMaxPath and plain parsing would read it the same
// (no device names, no names ending in a dot or a space); else the path unchanged.
std::wstring PlainPathForm(const std::wstring& path);

// The longest name a file system takes for one path component.
constexpr size_t kMaxName = 255;
// The most of a target's name that its temporary file's name keeps: with what follows
// it, short enough in UTF-16 units and in UTF-8 bytes (three a unit at most) for every
// file system, NTFS, FAT and the Linux ones behind a network share.
constexpr size_t kTempNameKeep = 64;

// A number for one file, from its full path upper-cased by the caller (as the file
// system compares names): it names the file's save lock and its temporary files.
uint64_t PathKey(const std::wstring& upperCasePath);

// The temporary file a save writes before it renames it over target: in the same
// folder, the target's name (cut short after kTempNameKeep units, never between the
// halves of a surrogate pair), a dot, eight hexadecimal digits of the target's key and
// ".zarp.tmp": "shot.bmp.1a2b3c4d.zarp.tmp". A user recognises a leftover by its name;
// no other file and no other target has that name, however long the names are.
// attempt > 0 gives the names tried when something else stands at the usual one:
// "shot.bmp.1a2b3c4d1.zarp.tmp", ...
std::wstring TempPathFor(const std::wstring& target, uint64_t key, unsigned attempt = 0);

// What a file system entry is, judged by its attributes and, when it is a reparse
// point, its reparse tag. Only a tag that names another place (a name surrogate:
// symbolic links, junctions, mount points) makes a link; every other reparse point
// (cloud files of OneDrive and the like, deduplicated or archived files) is the file
// it looks like. Folders and devices are neither.
enum class EntryKind { regular, link, other };
EntryKind ClassifyEntry(uint32_t attributes, uint32_t reparseTag);

// The name of the lock that one save to a file holds, shared by every Zarp of the
// session, from the file's key.
std::wstring SaveLockName(uint64_t key);

}  // namespace zarp
