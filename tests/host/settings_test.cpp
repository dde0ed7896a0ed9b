// The bytes of the settings file and the reading of its folder line.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "image/settings_format.h"

namespace {

using namespace std::string_literals;
using zarp::BuildSettings;
using zarp::ParseSettings;

const std::string kBom = "\xEF\xBB\xBF";
// "D:\写真" in UTF-8, and "D:\表" in the Japanese code page, whose second byte is a backslash.
const std::string kUtf8Folder = "D:\\\xE5\x86\x99\xE7\x9C\x9F";
const std::string kSjisFolder = "D:\\\x95\x5C";

TEST(Settings, BuildWritesHeaderAndFolderLines) {
    const std::string plain = BuildSettings("C:\\a\\b", false);
    EXPECT_EQ(plain, "[ InitDir ] =\r\nC:\\a\\b\r\n");
    EXPECT_EQ(plain.size(), 23u);

    const std::string utf8 = BuildSettings(kUtf8Folder, true);
    EXPECT_EQ(utf8, kBom + "[ InitDir ] =\r\n" + kUtf8Folder + "\r\n");
    EXPECT_EQ(utf8.compare(0, 3, kBom), 0);  // the mark is the very first bytes
}

TEST(Settings, ParseFindsTheSecondLine) {
    struct Case {
        const char* what;
        std::string file;
        std::optional<std::string> folder;
        bool utf8;
    } cases[] = {
        {"written by the program", "[ InitDir ] =\r\nD:\\Pictures\r\n", "D:\\Pictures", false},
        {"lines after the folder", "[ InitDir ] =\r\nD:\\x\r\nmore\r\n", "D:\\x", false},
        {"foreign first line", "whatever it says\r\nE:\\shots\r\n", "E:\\shots", false},
        {"empty first line", "\r\nE:\\shots\r\n", "E:\\shots", false},
        {"lone CR inside the folder", "[ InitDir ] =\r\nD:\\a\rb\r\n", "D:\\a\rb", false},
        {"lone LF ends nothing", "[ InitDir ] =\nD:\\x\r\nE:\\y\r\n", "E:\\y", false},
        {"code-page bytes", "[ InitDir ] =\r\n" + kSjisFolder + "\r\n", kSjisFolder, false},
        {"UTF-8 with its mark", kBom + "[ InitDir ] =\r\n" + kUtf8Folder + "\r\n", kUtf8Folder, true},
        {"mark on the folder line", "[ InitDir ] =\r\n" + kBom + "D:\\x\r\n", kBom + "D:\\x", false},
        {"partial mark", "\xEF\xBB[ InitDir ] =\r\nD:\\x\r\n", "D:\\x", false},
        {"NUL after the folder line", "[ InitDir ] =\r\nD:\\x\r\n\0junk"s, "D:\\x", false},
        {"missing final CR LF", "[ InitDir ] =\r\nD:\\Pictures", std::nullopt, false},
        {"final LF only", "[ InitDir ] =\r\nD:\\Pictures\n", std::nullopt, false},
        {"header only", "[ InitDir ] =\r\n", std::nullopt, false},
        {"empty folder line", "[ InitDir ] =\r\n\r\nD:\\x\r\n", std::nullopt, false},
        {"NUL inside the folder line", "[ InitDir ] =\r\nD:\\Pic\0tures\r\n"s, std::nullopt, false},
        {"NUL on the first line", "[ Init\0Dir ] =\r\nD:\\x\r\n"s, std::nullopt, false},
        {"no CR LF at all", "D:\\Pictures", std::nullopt, false},
        {"one character", "x", std::nullopt, false},
        {"mark only", kBom, std::nullopt, true},
        {"empty", "", std::nullopt, false},
        {"just NUL", "\0\r\nD:\\x\r\n"s, std::nullopt, false},
    };
    for (const Case& c : cases) {
        auto got = ParseSettings(c.file);
        ASSERT_EQ(got.has_value(), c.folder.has_value()) << c.what;
        if (got) {
            EXPECT_EQ(got->bytes, *c.folder) << c.what;
            EXPECT_EQ(got->utf8, c.utf8) << c.what;
        }
    }
}

TEST(Settings, WhatIsWrittenReadsBack) {
    const std::string folders[] = {
        "D:\\Pictures", "C:\\", "C:\\a\\b", "\\\\server\\share", "a", kSjisFolder, kUtf8Folder,
        "C:\\folder with spaces\\and [brackets] =", std::string(300, 'x'),
    };
    for (const std::string& folder : folders) {
        for (bool utf8 : {false, true}) {
            const std::string file = BuildSettings(folder, utf8);
            auto got = ParseSettings(file);
            ASSERT_TRUE(got.has_value()) << folder;
            EXPECT_EQ(got->bytes, folder);
            EXPECT_EQ(got->utf8, utf8) << folder;
            // Whole as written; every shorter start of it is an unfinished write's leftover.
            EXPECT_TRUE(zarp::IsCompleteSettings(file));
            EXPECT_FALSE(zarp::IsCompleteSettings(file + "x"));
            for (size_t n : {size_t(0), size_t(5), file.size() - 1}) {
                EXPECT_TRUE(zarp::BeginsAsSettings(file.substr(0, n)));
                EXPECT_FALSE(zarp::IsCompleteSettings(file.substr(0, n)));
            }
        }
    }
    EXPECT_FALSE(zarp::BeginsAsSettings("BM"));
    EXPECT_FALSE(zarp::BeginsAsSettings("[ InitDir ] ~\r\n"));
}

}  // namespace
