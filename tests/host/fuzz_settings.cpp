// Fuzzes the settings-file reader with arbitrary bytes, and checks that any folder the
// program could write is read back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "image/settings_format.h"

#include "tests/host/fuzz_check.h"

namespace {

const std::string kBom = "\xEF\xBB\xBF";

void CheckRoundTrip(const std::string& folder) {
    for (bool utf8 : {false, true}) {
        auto got = zarp::ParseSettings(zarp::BuildSettings(folder, utf8));
        CHECK(got.has_value());
        CHECK(got->bytes == folder);
        CHECK(got->utf8 == utf8);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    // Any file: what is found is a non-empty line of the text before the first NUL,
    // followed there by CR LF, and rewriting it reads back the same.
    const std::string text = bytes.substr(0, bytes.find('\0'));
    auto parsed = zarp::ParseSettings(bytes);
    if (parsed) {
        CHECK(!parsed->bytes.empty());
        CHECK(parsed->bytes.find('\0') == std::string::npos);
        CHECK(parsed->bytes.find("\r\n") == std::string::npos);
        CHECK(text.find(parsed->bytes + "\r\n") != std::string::npos);
        CHECK(parsed->utf8 == (text.compare(0, 3, kBom) == 0));
        CheckRoundTrip(parsed->bytes);
    }

    // The input as a folder: any non-empty folder without NUL or a CR LF pair reads back.
    if (!bytes.empty() && bytes.find('\0') == std::string::npos && bytes.find("\r\n") == std::string::npos)
        CheckRoundTrip(bytes);

    // The same bytes with NUL, CR and LF dropped, as a folder name could be.
    std::string folder;
    for (char c : bytes)
        if (c != '\0' && c != '\r' && c != '\n') folder += c;
    if (!folder.empty()) CheckRoundTrip(folder);
    return 0;
}
