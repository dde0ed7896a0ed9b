// The product's save of a picture and of zp.x in a loop, for tests/win32/save_crash.sh,
// which kills it at random instants and runs several at once. Skipped unless
// ZARP_SAVE_LOOP names what to do, in the folder ZARP_SAVE_DIR:
//   save N   N times (0: until killed) save pic.bmp and rewrite zp.x, each in one of two
//            versions by turns; prints "fail <bmp|zpx> <error>" for each failure
//   read     reads zp.x as a start-up does until the file ZARP_SAVE_STOP exists; prints
//            "missing", "empty", "torn" or "unreadable <error>" for each bad read
//   check    prints "ok", or what is wrong: pic.bmp or zp.x missing or torn, stray files
#include "support.h"
#include <cstdlib>
#include "../../image/ImageFormats.h"
#include "../../image/settings_format.h"

namespace {
// Version v of the picture: a whole BMP file of its own size, every pixel byte v.
std::string Picture(int v) {
    const uint32_t cx = 640 + 160 * v, cy = 800, size = 54 + cx * cy * 4, fields[] = {size, 0, 54, 40, cx, cy};
    std::string b(size, char('a' + v));
    b.replace(0, 2, "BM");
    for (int i = 0; i < 24; ++i) b[2 + i] = char(fields[i / 4] >> (8 * (i % 4)));
    return b;
}
}  // namespace

TEST(SaveLoop, Run) {
    const char *mode = std::getenv("ZARP_SAVE_LOOP"), *dirText = std::getenv("ZARP_SAVE_DIR");
    if (!mode || !dirText) GTEST_SKIP() << "run by tests/win32/save_crash.sh";
    const std::string m = mode;
    const int count = std::atoi(m.c_str() + m.find(' ') + 1);
    const std::wstring dir(dirText, dirText + strlen(dirText)), pic = dir + L"\\pic.bmp", zpx = dir + L"\\zp.x";
    const std::string pictures[] = {Picture(0), Picture(1)};
    const std::string settings[] = {zarp::BuildSettings("C:\\", false), zarp::BuildSettings("C:\\windows", false)};
    for (int i = 0; m.rfind("save", 0) == 0 && (count == 0 || i < count); ++i) {
        const std::string& bytes = pictures[i % 2];
        if (DWORD err = zarp::SaveReplacing(pic, [&](HANDLE h) -> DWORD {
                DWORD put = 0;
                return ::WriteFile(h, bytes.data(), (DWORD)bytes.size(), &put, nullptr) ? 0 : ::GetLastError();
            }, ImageFormats()[0].saveOptions()))
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
    const std::string p = zt::ReadFileBytes(pic);
    if (p != pictures[0] && p != pictures[1]) problems += p.empty() ? " pic.bmp missing" : " pic.bmp torn";
    std::string z;
    zarp::ReadSettingsFile(zpx, z);
    if (z != settings[0] && z != settings[1]) problems += z.empty() ? " zp.x missing" : " zp.x torn";
    if (!(::GetFileAttributesW(zpx.c_str()) & FILE_ATTRIBUTE_READONLY)) problems += " zp.x writable";
    WIN32_FIND_DATAW fd;
    HANDLE find = ::FindFirstFileW((dir + L"\\*").c_str(), &fd);
    for (bool more = find != INVALID_HANDLE_VALUE; more; more = ::FindNextFileW(find, &fd)) {
        const std::wstring name = fd.cFileName;
        if (name != L"." && name != L".." && name != L"pic.bmp" && name != L"zp.x")
            problems += " stray " + std::string(name.begin(), name.end());
    }
    if (find != INVALID_HANDLE_VALUE) ::FindClose(find);
    printf("%s\n", problems.empty() ? "ok" : problems.c_str() + 1);
}
