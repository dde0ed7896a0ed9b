// Splitting a path into folder, name and extension. Platform-free.
#pragma once
#include <string>

namespace zarp {

struct PathParts {
    std::wstring dir;   // drive and folder, ending in the separator ("C:\a\", "\\srv\share\")
    std::wstring name;  // file name without extension
    std::wstring ext;   // extension with its dot
};

PathParts SplitPath(const std::wstring& path);

// The folder to remember for a saved file: dir without its final separator
// ("C:\a\b\" gives "C:\a\b", "C:\" gives "C:", "" gives "").
std::wstring FolderOfDir(const std::wstring& dir);
inline std::wstring FolderOf(const PathParts& parts) { return FolderOfDir(parts.dir); }

}  // namespace zarp
