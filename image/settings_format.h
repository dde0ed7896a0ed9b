// The bytes of the settings file "zp.x" and how its folder line is read. Platform-free.
//
// The file is "[ InitDir ] =" CR LF, the folder, CR LF. The folder is in the system's
// narrow code page. A folder that code page cannot hold is written as UTF-8 with a
// UTF-8 byte-order mark at the very start of the file: readers skip the first line
// whatever it holds, so they still find the folder line in its place.
#pragma once
#include <optional>
#include <string>

namespace zarp {

extern const char kSettingsHeader[];  // "[ InitDir ] ="
// The most bytes read from the file: room for a first line far longer than the header
// (readers skip it whatever it holds) and the longest folder the save dialog can take,
// even in UTF-8. A folder line that does not end within them counts as no folder.
constexpr size_t kSettingsReadLimit = 64 * 1024;
extern const char kUtf8Bom[];         // EF BB BF

std::string BuildSettings(const std::string& folderBytes, bool utf8);

struct SettingsFolder {
    std::string bytes;  // the folder line without its CR LF
    bool utf8;          // the file started with a UTF-8 byte-order mark
};

// The folder line of a settings file, or nothing when the file has none (no second
// CR LF, an empty line, or a NUL that cuts the text before it). The text ends at its
// first NUL byte, as the file is read as a C string.
std::optional<SettingsFolder> ParseSettings(const std::string& fileBytes);

// True when the bytes begin as a settings file does (its header line, after the mark
// when there is one), or with a part of that.
bool BeginsAsSettings(const std::string& head);
// True when the bytes are a whole settings file as BuildSettings makes it, with a
// folder: what a save interrupted after its last byte leaves in its temporary file.
bool IsCompleteSettings(const std::string& fileBytes);

}  // namespace zarp
