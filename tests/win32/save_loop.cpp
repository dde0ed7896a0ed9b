// The product's save of a picture and of zp.x in a loop, for tests/win32/save_crash.sh,
// which kills it at random instants and runs several at once. Skipped unless
// ZARP_SAVE_LOOP names what to do, in the folder ZARP_SAVE_DIR:
//   save N   N times (0: until killed) save pic.bmp and rewrite zp.x, each in one of
//            two versions by turns; prints "fail <bmp|zpx> <error>" for each failure
//   read     read zp.x as a start-up does until ZARP_SAVE_STOP names a file that
//            exists; prints "missing", "empty" or "unreadable <error>" for each
//            read that does not give a whole zp.x
//   check    prints "ok", or what is wrong: pic.bmp or zp.x missing or torn, stray files
#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include "../../image/ImageFormats.h"
#include "../../image/settings_format.h"

namespace {
// Version v of the picture: a whole BMP file of its own size, every pixel byte v.
std::string Picture(int v) {
    const uint32_t cx = 640 + 160 * v, cy = 800, size = 54 + cx * cy * 4;
    std::string b(size, char('a' + v));
    const uint32_t fields[] = {size, 0, 54, 40, cx, cy};
    b.replace(0, 2, "BM");
    for (int i = 0; i < 6; ++i)
        for (int k = 0; k < 4; ++k) b[2 + 4 * i + k] = char(fields[i] >> (8 * k));
    return b;
}
std::string Settings(int v) { return zarp::BuildSettings(v ? "C:\\windows" : "C:\\", false); }

std::string Read(const std::wstring& path, bool* missing) {
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    *missing = h == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_FILE_NOT_FOUND;
    std::string out(h == INVALID_HANDLE_VALUE ? 0 : ::GetFileSize(h, nullptr), '\0');
    DWORD got = 0;
    if (!out.empty()) ::ReadFile(h, &out[0], (DWORD)out.size(), &got, nullptr);
    if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
    return out.substr(0, got);
}
}  // namespace

TEST(SaveLoop, Run) {
    const char* mode = std::getenv("ZARP_SAVE_LOOP");
    const char* dirText = std::getenv("ZARP_SAVE_DIR");
    if (!mode || !dirText) GTEST_SKIP() << "run by tests/win32/save_crash.sh";
    const std::string m = mode;
    const int count = std::atoi(m.c_str() + m.find(' ') + 1);
    const std::wstring dir(dirText, dirText + strlen(dirText)), pic = dir + L"\\pic.bmp", zpx = dir + L"\\zp.x";
    auto bytesWriter = [](const std::string& bytes) {
        return [&bytes](HANDLE h) -> DWORD {
            DWORD put = 0;
            return ::WriteFile(h, bytes.data(), (DWORD)bytes.size(), &put, nullptr) ? 0 : ::GetLastError();
        };
    };
    const std::string pictures[] = {Picture(0), Picture(1)}, settings[] = {Settings(0), Settings(1)};
    for (int i = 0; m.rfind("save", 0) == 0 && (count == 0 || i < count); ++i) {
        if (DWORD err = zarp::SaveReplacing(pic, bytesWriter(pictures[i % 2]), ImageFormats()[0].saveOptions()))
            printf("fail bmp %lu\n", err);
        if (DWORD err = zarp::SaveSettingsFile(zpx, settings[i % 2])) printf("fail zpx %lu\n", err);
        fflush(stdout);
    }
    const char* stop = std::getenv("ZARP_SAVE_STOP");
    for (; m == "read" && stop && ::GetFileAttributesA(stop) == INVALID_FILE_ATTRIBUTES; ::Sleep(2)) {
        std::string s;
        const DWORD err = zarp::ReadSettingsFile(zpx, s);
        if (err || s.empty()) printf(err == ERROR_FILE_NOT_FOUND ? "missing\n" : err ? "unreadable %lu\n" : "empty\n", err);
        else if (s != settings[0] && s != settings[1]) printf("torn\n");
    }
    if (m != "check") return;
    std::string problems;
    bool missing = false;
    const std::string p = Read(pic, &missing), z = Read(zpx, &missing);
    if (p != pictures[0] && p != pictures[1]) problems += p.empty() ? " pic.bmp missing" : " pic.bmp torn";
    if (z != settings[0] && z != settings[1]) problems += z.empty() ? " zp.x missing" : " zp.x torn";
    if (!(::GetFileAttributesW(zpx.c_str()) & FILE_ATTRIBUTE_READONLY)) problems += " zp.x writable";
    WIN32_FIND_DATAW fd;
    HANDLE find = ::FindFirstFileW((dir + L"\\*").c_str(), &fd);
    do {
        const std::wstring name = fd.cFileName;
        if (name != L"." && name != L".." && name != L"pic.bmp" && name != L"zp.x")
            problems += " stray " + std::string(name.begin(), name.end());
    } while (find != INVALID_HANDLE_VALUE && ::FindNextFileW(find, &fd));
    if (find != INVALID_HANDLE_VALUE) ::FindClose(find);
    printf("%s\n", problems.empty() ? "ok" : problems.c_str() + 1);
}
