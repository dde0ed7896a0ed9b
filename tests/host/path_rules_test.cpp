// Which remembered folders the save dialog may get, the long form of long paths and
// the temporary file's name.
#include <gtest/gtest.h>

#include <string>

#include "image/path_rules.h"

namespace {

using zarp::FolderProblem;

TEST(PathRules, DeviceNames) {
    const wchar_t* devices[] = {L"CON", L"con", L"Prn", L"AUX", L"nul", L"COM1", L"com9", L"LPT1", L"lpt9",
                                L"aux.txt", L"CON.bmp.x", L"nul.", L"Aux ", L"aux .txt", L"con:", L"COM\u00B9",
                                L"LPT\u00B3", L"CONOUT$", L"conin$.bmp", L"ConOut$ .x"};
    for (const wchar_t* d : devices) EXPECT_TRUE(zarp::IsDosDeviceName(d)) << d;
    const wchar_t* names[] = {L"", L"CONS", L"aux1", L"COM0", L"COM10", L"LPT", L"xcon", L".aux", L" aux",
                              L"auxiliary.txt", L"COM\u00B4", L"\u30B3\u30F3", L"CONOUT", L"conin$x"};
    for (const wchar_t* n : names) EXPECT_FALSE(zarp::IsDosDeviceName(n)) << n;
}

TEST(PathRules, FolderTextForTheDialog) {
    const std::wstring deep = L"C:\\" + std::wstring(254, L'a');  // 257 characters
    struct Case {
        std::wstring path;
        FolderProblem want;
    } cases[] = {
        {L"C:\\Pictures", FolderProblem::none},
        {L"C:\\", FolderProblem::none},
        {L"z:/tmp/shots", FolderProblem::none},
        {L"\\\\server\\share\\shots", FolderProblem::none},
        {L"\\\\server\\share", FolderProblem::none},
        {L"D:\\\u5199\u771F", FolderProblem::none},
        {L"C:\\auxiliary\\con1", FolderProblem::none},
        {deep, FolderProblem::none},
        {deep + L"\\", FolderProblem::none},
        {deep + L"b", FolderProblem::tooLong},  // 258: no room for a name
        {L"C:\\" + std::wstring(1000, L'x'), FolderProblem::tooLong},
        {L"", FolderProblem::empty},
        {L"CON", FolderProblem::notPlain},
        {L"C:", FolderProblem::notPlain},
        {L"shots", FolderProblem::notPlain},
        {L"\\shots", FolderProblem::notPlain},
        {L"\\\\server", FolderProblem::notPlain},
        {L"\\\\server\\", FolderProblem::notPlain},
        {L"\\\\.\\CON", FolderProblem::notPlain},
        {L"\\\\?\\C:\\Pictures", FolderProblem::notPlain},
        {L"Z:\\tmp\\aux", FolderProblem::badName},
        {L"Z:\\tmp\\CON\\inner", FolderProblem::badName},
        {L"Z:\\tmp\\com1.dir", FolderProblem::badName},
        {L"\\\\server\\nul\\x", FolderProblem::badName},
        {L"Z:\\tmp\\a:b", FolderProblem::badName},
        {L"Z:\\tmp\\a?b", FolderProblem::badName},
        {L"Z:\\tmp\\a\tb", FolderProblem::badName},
        {L"Z:\\tmp\\a|b", FolderProblem::badName},
    };
    for (const Case& c : cases) EXPECT_EQ(zarp::CheckFolderText(c.path), c.want) << c.path.size() << " " << c.path.substr(0, 40);
    // The same rules for names inside a path that is not absolute.
    EXPECT_TRUE(zarp::HasBadComponent(L"CON"));
    EXPECT_TRUE(zarp::HasBadComponent(L"Z:aux"));
    EXPECT_TRUE(zarp::HasBadComponent(L"a\\b:c"));
    EXPECT_FALSE(zarp::HasBadComponent(L"C:"));
    EXPECT_FALSE(zarp::HasBadComponent(L"C:\\a\\b"));
    EXPECT_TRUE(zarp::HasBadComponent(L"Z:\\dots...\\b"));
    EXPECT_TRUE(zarp::HasBadComponent(L"Z:\\space "));
    EXPECT_FALSE(zarp::HasBadComponent(L"C:\\a\\..\\.\\b\\"));
}

TEST(PathRules, LongFormAndTemporaryName) {
    const std::wstring longDir = L"Z:\\" + std::wstring(300, L'd');
    struct Case {
        std::wstring path, want;
    } cases[] = {
        {L"C:\\a\\b.bmp", L"C:\\a\\b.bmp"},
        {L"C:\\" + std::wstring(256, L'x'), L"C:\\" + std::wstring(256, L'x')},  // 259: still plain
        {longDir + L"\\f.bmp", L"\\\\?\\" + longDir + L"\\f.bmp"},
        {L"Z:/" + std::wstring(300, L'd'), L"\\\\?\\" + longDir},
        {L"\\\\srv\\share\\" + std::wstring(300, L'd'), L"\\\\?\\UNC\\srv\\share\\" + std::wstring(300, L'd')},
        {L"\\\\?\\" + longDir, L"\\\\?\\" + longDir},
        {std::wstring(300, L'r'), std::wstring(300, L'r')},  // relative: left alone
    };
    for (const Case& c : cases) EXPECT_EQ(zarp::LongPathForm(c.path), c.want) << c.path.substr(0, 40);
    // Back to the plain form where it fits.
    EXPECT_EQ(zarp::PlainPathForm(L"\\\\?\\Z:\\tmp\\a.bmp"), L"Z:\\tmp\\a.bmp");
    EXPECT_EQ(zarp::PlainPathForm(L"\\\\?\\UNC\\srv\\share\\a.bmp"), L"\\\\srv\\share\\a.bmp");
    EXPECT_EQ(zarp::PlainPathForm(L"\\\\?\\" + longDir), L"\\\\?\\" + longDir);
    EXPECT_EQ(zarp::PlainPathForm(L"\\\\?\\Volume{1234}\\a"), L"\\\\?\\Volume{1234}\\a");
    EXPECT_EQ(zarp::PlainPathForm(L"C:\\a"), L"C:\\a");
    EXPECT_EQ(zarp::PlainPathForm(L"\\\\?\\Z:\\tmp\\aux.bmp"), L"\\\\?\\Z:\\tmp\\aux.bmp");
    EXPECT_EQ(zarp::PlainPathForm(L"\\\\?\\Z:\\dots.\\a.bmp"), L"\\\\?\\Z:\\dots.\\a.bmp");
    EXPECT_EQ(zarp::PlainPathForm(L"\\\\?\\Z:\\a.bmp "), L"\\\\?\\Z:\\a.bmp ");
    // The temporary name: the target's name, cut short after 64 units (never between the
    // halves of a surrogate pair), and the key's low eight hexadecimal digits.
    const uint64_t key = 0x0123456789ABCDEFull;
    const std::wstring n64(64, L'n'), tail = L".89abcdef.zarp.tmp";
    struct Temp {
        std::wstring target;
        unsigned attempt;
        std::wstring want;
    } temps[] = {
        {L"C:\\a\\shot.bmp", 0, L"C:\\a\\shot.bmp" + tail},
        {L"C:\\a\\shot.bmp", 3, L"C:\\a\\shot.bmp.89abcdef3.zarp.tmp"},
        {L"shot.bmp", 0, L"shot.bmp" + tail},
        {L"C:\\a\\" + n64, 0, L"C:\\a\\" + n64 + tail},
        {L"C:\\a\\" + n64 + L"xyz.bmp", 0, L"C:\\a\\" + n64 + tail},
        {L"C:\\a\\" + std::wstring(250, L'n'), 12, L"C:\\a\\" + n64 + L".89abcdef12.zarp.tmp"},
        {L"C:\\a\\" + std::wstring(63, L'n') + L"\xD83D\xDE00n", 0, L"C:\\a\\" + std::wstring(63, L'n') + tail},
    };
    for (const Temp& t : temps) EXPECT_EQ(zarp::TempPathFor(t.target, key, t.attempt), t.want);
    // Two long names that share their first 64 units are two targets: two temporary names.
    const std::wstring a = L"C:\\" + n64 + L"1.bmp", b = L"C:\\" + n64 + L"2.bmp";
    EXPECT_NE(zarp::TempPathFor(a, zarp::PathKey(a)), zarp::TempPathFor(b, zarp::PathKey(b)));
}

// Only a reparse tag that names another place makes a link: cloud files (OneDrive,
// iCloud), deduplicated and archived files are the files they look like. The lock name
// tells files apart by their whole path and is a valid object name.
TEST(PathRules, EntryKindsAndLockNames) {
    using zarp::EntryKind;
    struct Case {
        uint32_t attributes, tag;
        EntryKind want;
    } cases[] = {
        {0x20, 0, EntryKind::regular},                   {0x80, 0, EntryKind::regular},
        {0x420, 0x9000001A, EntryKind::regular},         {0x400 | 0x1000, 0x9000601A, EntryKind::regular},
        {0x420, 0x80000013, EntryKind::regular},         {0x400, 0xA000000C, EntryKind::link},
        {0x400, 0xA0000003, EntryKind::link},            {0x10, 0, EntryKind::other},
        {0x410, 0xA0000003, EntryKind::other},           {0x40, 0, EntryKind::other},
        {0x20, 0xA000000C, EntryKind::regular},  // a tag without the attribute counts for nothing
    };
    for (const Case& c : cases) EXPECT_EQ(zarp::ClassifyEntry(c.attributes, c.tag), c.want) << std::hex << c.tag;
    const std::wstring a = zarp::SaveLockName(zarp::PathKey(L"C:\\A\\PIC.BMP"));
    EXPECT_EQ(a, zarp::SaveLockName(zarp::PathKey(L"C:\\A\\PIC.BMP")));
    EXPECT_NE(a, zarp::SaveLockName(zarp::PathKey(L"C:\\A\\PIC.BMQ")));
    EXPECT_NE(a, zarp::SaveLockName(zarp::PathKey(L"D:\\A\\PIC.BMP")));
    EXPECT_EQ(a.rfind(L"Local\\", 0), 0u);
    EXPECT_EQ(a.find(L'\\', 6), std::wstring::npos);
    EXPECT_LT(a.size(), 64u);
}

}  // namespace
