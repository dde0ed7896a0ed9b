#include "settings_format.h"

namespace zarp {

const char kSettingsHeader[] = "[ InitDir ] =";
const char kUtf8Bom[] = "\xEF\xBB\xBF";

std::string BuildSettings(const std::string& folderBytes, bool utf8) {
    std::string out = utf8 ? kUtf8Bom : "";
    out += kSettingsHeader;
    out += "\r\n";
    out += folderBytes;
    out += "\r\n";
    return out;
}

std::optional<SettingsFolder> ParseSettings(const std::string& fileBytes) {
    std::string text = fileBytes.substr(0, fileBytes.find('\0'));
    const bool utf8 = text.compare(0, 3, kUtf8Bom) == 0;
    // Skip the first line, whatever it holds (without any CR LF only one character).
    size_t p = text.find("\r\n");
    text = p == std::string::npos ? (text.empty() ? text : text.substr(1)) : text.substr(p + 2);
    size_t end = text.find("\r\n");
    if (end == std::string::npos || end == 0) return std::nullopt;
    return SettingsFolder{text.substr(0, end), utf8};
}

bool BeginsAsSettings(const std::string& head) {
    const auto startsAs = [&head](const std::string& start) {
        const size_t n = head.size() < start.size() ? head.size() : start.size();
        return head.compare(0, n, start, 0, n) == 0;
    };
    return startsAs(kSettingsHeader) || startsAs(std::string(kUtf8Bom) + kSettingsHeader);
}

bool IsCompleteSettings(const std::string& fileBytes) {
    const auto folder = ParseSettings(fileBytes);
    return folder && BuildSettings(folder->bytes, folder->utf8) == fileBytes;
}

}  // namespace zarp
