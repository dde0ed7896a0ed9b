// Splitting a path into folder, name and extension. Platform-free.
#pragma once
#include <string>
#include <vector>

namespace zarp {

struct PathParts {
    std::wstring dir;   // drive and folder, ending in the separator ("C:\a\", "\\srv\share\")
    std::wstring name;  // file name without extension
    std::wstring ext;   // extension with its dot
};

PathParts SplitPath(const std::wstring& path);

// Where the path's last component begins: just after its last separator (\ or /), or
// 0 when it has none.
size_t NameStart(const std::wstring& path);
// The path's last component ("C:\a\b.bmp" gives "b.bmp").
inline std::wstring NameOf(const std::wstring& path) { return path.substr(NameStart(path)); }
// name in folder, with one separator between them ("C:\a" or "C:\a\" and "zp.x" give
// "C:\a\zp.x"; an empty folder gives the name alone).
std::wstring InFolder(const std::wstring& folder, const std::wstring& name);

// The folder to remember for a saved file: dir without its final separator
// ("C:\a\b\" gives "C:\a\b", "C:\" gives "C:", "" gives "").
std::wstring FolderOfDir(const std::wstring& dir);
inline std::wstring FolderOf(const PathParts& parts) { return FolderOfDir(parts.dir); }

// The file a save writes for the name the dialog gave, and in which of the formats
// (named by their extensions, without the dot): a name ending in one of them, in any
// case, is written in that format; any other name gets the chosen format's extension
// ("x" gives "x.png" with PNG chosen, "x.jpg" gives "x.jpg.bmp" with BMP chosen), so
// that no file's content contradicts its name. Dots and spaces that end the name go
// first, as the system drops them ("x.png." is "x.png").
struct NameAndFormat {
    std::wstring path;
    size_t format;
};
NameAndFormat FormatForName(const std::wstring& path, const std::vector<std::wstring>& extensions, size_t chosen);

}  // namespace zarp
