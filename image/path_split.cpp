#include "path_split.h"

namespace zarp {

size_t NameStart(const std::wstring& path) {
    const size_t sep = path.find_last_of(L"\\/");
    return sep == std::wstring::npos ? 0 : sep + 1;
}

std::wstring InFolder(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty()) return name;
    const wchar_t last = folder.back();
    return last == L'\\' || last == L'/' ? folder + name : folder + L'\\' + name;
}

PathParts SplitPath(const std::wstring& path) {
    PathParts out;
    if (path.empty()) return out;
    const size_t sep = NameStart(path) - 1;  // npos when there is none
    std::wstring drive;
    size_t start = 0;
    if (path.size() >= 2 && path[1] == L':') {
        drive = path.substr(0, 2);
        start = 2;
    }
    std::wstring file;
    if (sep == std::wstring::npos || sep < start) {
        out.dir = drive;
        file = path.substr(start);
    } else {
        out.dir = drive + path.substr(start, sep + 1 - start);
        file = path.substr(sep + 1);
    }
    size_t dot = file.find_last_of(L'.');
    if (dot == std::wstring::npos) {
        out.name = file;
    } else {
        out.name = file.substr(0, dot);
        out.ext = file.substr(dot);
    }
    return out;
}

std::wstring FolderOfDir(const std::wstring& d) {
    if (!d.empty() && (d.back() == L'\\' || d.back() == L'/')) return d.substr(0, d.size() - 1);
    return d;
}

NameAndFormat FormatForName(const std::wstring& typed, const std::vector<std::wstring>& extensions, size_t chosen) {
    // The system drops dots and spaces that end a name: "x.png." is x.png.
    std::wstring path = typed;
    while (!path.empty() && (path.back() == L'.' || path.back() == L' ') && path.size() > path.find_last_of(L"\\/") + 2)
        path.pop_back();
    const std::wstring ext = SplitPath(path).ext;
    const auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? wchar_t(c - L'A' + L'a') : c; };
    for (size_t i = 0; i < extensions.size(); ++i) {
        const std::wstring& e = extensions[i];
        bool same = ext.size() == e.size() + 1;
        for (size_t k = 0; same && k < e.size(); ++k) same = lower(ext[k + 1]) == lower(e[k]);
        if (same) return {path, i};
    }
    return {path + L"." + extensions[chosen], chosen};
}

}  // namespace zarp
