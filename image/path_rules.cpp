#include "path_rules.h"
#include "path_split.h"

namespace zarp {
namespace {
bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

wchar_t Upper(wchar_t c) { return (c >= L'a' && c <= L'z') ? wchar_t(c - L'a' + L'A') : c; }

bool IsDriveAbsolute(const std::wstring& p) {
    return p.size() >= 3 && Upper(p[0]) >= L'A' && Upper(p[0]) <= L'Z' && p[1] == L':' && IsSeparator(p[2]);
}

bool IsUnc(const std::wstring& p) { return p.size() >= 2 && IsSeparator(p[0]) && IsSeparator(p[1]); }

// "\\?\..." and "\\.\...": paths that bypass the usual parsing, or name devices.
bool IsPrefixedForm(const std::wstring& p) {
    return p.size() >= 4 && IsSeparator(p[0]) && IsSeparator(p[1]) && (p[2] == L'?' || p[2] == L'.') &&
           IsSeparator(p[3]);
}

bool IsBadNameChar(wchar_t c) {
    return c < 32 || c == L'<' || c == L'>' || c == L':' || c == L'"' || c == L'|' || c == L'?' || c == L'*';
}
}  // namespace

bool IsDosDeviceName(const std::wstring& component) {
    // The system looks at the part before the first dot (or colon), without the spaces
    // that end it: "aux.txt", "Con .bmp" and "nul:" all name devices.
    std::wstring base = component.substr(0, component.find_first_of(L".:"));
    while (!base.empty() && base.back() == L' ') base.pop_back();
    for (auto& c : base) c = Upper(c);
    if (base == L"CON" || base == L"PRN" || base == L"AUX" || base == L"NUL") return true;
    if (base == L"CONIN$" || base == L"CONOUT$") return true;  // the console's input and output
    if (base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0)) {
        const wchar_t d = base[3];
        return (d >= L'1' && d <= L'9') || d == L'\u00B9' || d == L'\u00B2' || d == L'\u00B3';
    }
    return false;
}

namespace {
bool BadComponentFrom(const std::wstring& path, size_t start) {
    while (start <= path.size()) {
        size_t end = path.find_first_of(L"\\/", start);
        if (end == std::wstring::npos) end = path.size();
        const std::wstring component = path.substr(start, end - start);
        for (wchar_t c : component)
            if (IsBadNameChar(c)) return true;
        if (IsDosDeviceName(component)) return true;
        // Plain parsing drops a final dot or space, and would name another folder.
        if (!component.empty() && (component.back() == L'.' || component.back() == L' ') && component != L"." &&
            component != L"..")
            return true;
        start = end + 1;
    }
    return false;
}
}  // namespace

bool HasBadComponent(const std::wstring& path) {
    return BadComponentFrom(path, (path.size() >= 2 && path[1] == L':') ? 2 : 0);  // a drive's colon is no name
}

FolderProblem CheckFolderText(const std::wstring& path) {
    if (path.empty()) return FolderProblem::empty;
    if (IsPrefixedForm(path)) return FolderProblem::notPlain;
    size_t first;  // where the first name component starts
    if (IsDriveAbsolute(path)) {
        first = 3;
    } else if (IsUnc(path)) {
        first = 2;
        // A share path needs a server and a share name.
        size_t server = path.find_first_of(L"\\/", first);
        if (server == first || server == std::wstring::npos || server + 1 >= path.size() ||
            IsSeparator(path[server + 1]))
            return FolderProblem::notPlain;
    } else {
        return FolderProblem::notPlain;
    }
    // Room for the folder, the separator the dialog puts after it, at least a one-letter
    // name and the terminator (the dialog under Wine fails on a folder of 258).
    size_t length = path.size();
    if (!IsSeparator(path.back())) ++length;
    if (length + 2 > kMaxPath) return FolderProblem::tooLong;
    if (BadComponentFrom(path, first)) return FolderProblem::badName;
    return FolderProblem::none;
}

std::wstring LongPathForm(const std::wstring& path) {
    if (path.size() < kMaxPath || IsPrefixedForm(path)) return path;
    std::wstring out;
    if (IsDriveAbsolute(path)) {
        out = L"\\\\?\\" + path;
    } else if (IsUnc(path)) {
        out = L"\\\\?\\UNC\\" + path.substr(2);
    } else {
        return path;
    }
    // The long form takes no forward slashes.
    for (auto& c : out)
        if (c == L'/') c = L'\\';
    return out;
}

std::wstring PlainPathForm(const std::wstring& path) {
    if (path.compare(0, 4, L"\\\\?\\") != 0) return path;
    std::wstring plain;
    if (path.compare(4, 4, L"UNC\\") == 0)
        plain = L"\\\\" + path.substr(8);
    else if (IsDriveAbsolute(path.substr(4)))
        plain = path.substr(4);
    else
        return path;
    if (plain.size() >= kMaxPath || HasBadComponent(plain)) return path;
    // A name ending in a dot or a space exists only in the long form: plain parsing drops them.
    for (size_t i = 0; i < plain.size(); ++i)
        if ((plain[i] == L'.' || plain[i] == L' ') && (i + 1 == plain.size() || IsSeparator(plain[i + 1])))
            return path;
    return plain;
}

namespace {
std::wstring Hex(uint64_t v, int digits) {
    static const wchar_t kHex[] = L"0123456789abcdef";
    std::wstring out;
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += kHex[(v >> shift) & 15];
    return out;
}
}  // namespace

uint64_t PathKey(const std::wstring& upperCasePath) {
    uint64_t hash = 1469598103934665603ull;  // 64-bit FNV-1a over the UTF-16 code units
    for (wchar_t c : upperCasePath) hash = (hash ^ (uint16_t)c) * 1099511628211ull;
    return hash;
}

std::wstring TempPathFor(const std::wstring& target, uint64_t key, unsigned attempt) {
    const size_t nameAt = NameStart(target);
    size_t keep = target.size() - nameAt;
    if (keep > kTempNameKeep) {
        keep = kTempNameKeep;
        const wchar_t last = target[nameAt + keep - 1];
        if (last >= 0xD800 && last <= 0xDBFF) --keep;  // never between a surrogate pair's halves
    }
    return target.substr(0, nameAt + keep) + L"." + Hex(key, 8) + (attempt ? std::to_wstring(attempt) : L"") +
           L".zarp.tmp";
}

EntryKind ClassifyEntry(uint32_t attributes, uint32_t reparseTag) {
    constexpr uint32_t kDirectory = 0x10, kDevice = 0x40, kReparsePoint = 0x400;
    constexpr uint32_t kNameSurrogate = 0x20000000;  // the tag's bit for "names another place"
    if (attributes & (kDirectory | kDevice)) return EntryKind::other;
    if ((attributes & kReparsePoint) && (reparseTag & kNameSurrogate)) return EntryKind::link;
    return EntryKind::regular;
}

std::wstring SaveLockName(uint64_t key) { return L"Local\\Zarp.save." + Hex(key, 16); }

}  // namespace zarp
