// Splitting a saved file's path, and the folder remembered from it.
#include <gtest/gtest.h>

#include <string>

#include "image/path_split.h"

namespace {

TEST(PathSplit, SplitsDirNameAndExtension) {
    struct Case {
        std::wstring path, dir, name, ext, folder;
    } cases[] = {
        {L"D:\\Pictures\\shot.bmp", L"D:\\Pictures\\", L"shot", L".bmp", L"D:\\Pictures"},
        {L"C:\\pic.bmp", L"C:\\", L"pic", L".bmp", L"C:"},
        {L"\\\\server\\share\\f.bmp", L"\\\\server\\share\\", L"f", L".bmp", L"\\\\server\\share"},
        {L"C:\\a\\b.c.d.bmp", L"C:\\a\\", L"b.c.d", L".bmp", L"C:\\a"},
        {L"C:\\my.dir\\file", L"C:\\my.dir\\", L"file", L"", L"C:\\my.dir"},  // a dot in a folder is no extension
        {L"C:\\a\\file.", L"C:\\a\\", L"file", L".", L"C:\\a"},
        {L"C:\\a\\.bmp", L"C:\\a\\", L"", L".bmp", L"C:\\a"},
        {L"C:\\a\\b\\", L"C:\\a\\b\\", L"", L"", L"C:\\a\\b"},
        {L"C:/a/b.bmp", L"C:/a/", L"b", L".bmp", L"C:/a"},
        {L"C:\\a/b\\c.bmp", L"C:\\a/b\\", L"c", L".bmp", L"C:\\a/b"},
        {L"\\a\\b.bmp", L"\\a\\", L"b", L".bmp", L"\\a"},
        {L"shot.bmp", L"", L"shot", L".bmp", L""},
        {L"shot", L"", L"shot", L"", L""},
        {L"", L"", L"", L"", L""},
        {L"D:\\\u5199\u771F\\\u753B\u9762.bmp", L"D:\\\u5199\u771F\\", L"\u753B\u9762", L".bmp", L"D:\\\u5199\u771F"},
    };
    for (const Case& c : cases) {
        zarp::PathParts p = zarp::SplitPath(c.path);
        SCOPED_TRACE(testing::Message() << c.path);
        EXPECT_EQ(p.dir, c.dir);
        EXPECT_EQ(p.name, c.name);
        EXPECT_EQ(p.ext, c.ext);
        EXPECT_EQ(zarp::FolderOf(p), c.folder);
        // The three parts put back together give the path again, and so do the folder
        // and the name; the name is what follows the folder.
        EXPECT_EQ(p.dir + p.name + p.ext, c.path);
        EXPECT_EQ(zarp::NameOf(c.path), p.name + p.ext);
        if (p.dir.empty() || p.dir.back() == L'\\') EXPECT_EQ(zarp::InFolder(c.folder, zarp::NameOf(c.path)), c.path);
    }
}

// A drive-relative path ("C:file.bmp") has a drive but no separator to drop: the
// folder is the drive itself, not the drive letter alone.
TEST(PathSplit, FolderOfDriveWithoutSeparator) {
    zarp::PathParts p = zarp::SplitPath(L"C:file.bmp");
    EXPECT_EQ(p.dir, L"C:");
    EXPECT_EQ(zarp::FolderOf(p), L"C:");
}

}  // namespace

// The name decides the content: a known extension in any case is kept, any other name
// gets the chosen type's extension.
TEST(PathSplit, TheNameDecidesTheFormat) {
    const std::vector<std::wstring> formats = {L"bmp", L"png"};
    struct Case {
        const wchar_t* typed;
        size_t chosen;
        const wchar_t* path;
        size_t format;
    } cases[] = {
        {L"C:\\a\\shot.png", 0, L"C:\\a\\shot.png", 1}, {L"C:\\a\\shot.PNG", 0, L"C:\\a\\shot.PNG", 1},
        {L"C:\\a\\shot.bmp", 1, L"C:\\a\\shot.bmp", 0}, {L"C:\\a\\shot.Bmp", 1, L"C:\\a\\shot.Bmp", 0},
        {L"C:\\a\\shot", 1, L"C:\\a\\shot.png", 1},      {L"C:\\a\\shot", 0, L"C:\\a\\shot.bmp", 0},
        {L"C:\\a\\x.jpg", 0, L"C:\\a\\x.jpg.bmp", 0},    {L"C:\\a.png\\x", 1, L"C:\\a.png\\x.png", 1},
        {L"C:\\a\\.png", 0, L"C:\\a\\.png", 1},          {L"C:\\a\\x.pngx", 1, L"C:\\a\\x.pngx.png", 1},
        {L"C:\\a\\y.png.", 0, L"C:\\a\\y.png", 1},        {L"C:\\a\\z.bmp . ", 1, L"C:\\a\\z.bmp", 0},
    };
    for (const Case& c : cases) {
        const zarp::NameAndFormat got = zarp::FormatForName(c.typed, formats, c.chosen);
        EXPECT_EQ(got.path, c.path) << c.typed;
        EXPECT_EQ(got.format, c.format) << c.typed;
    }
}
