// Save As through the real save dialog, filled in by a helper thread as a user would.
#include <direct.h>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include "dialog_robot.h"
#include "support.h"

using zt::FakeClock;

namespace {
std::vector<uint8_t> ReadFileBytes(const std::wstring& path) {
    std::vector<uint8_t> out;
    HANDLE f = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return out;
    out.resize(::GetFileSize(f, nullptr));
    DWORD got = 0;
    if (!out.empty()) ::ReadFile(f, out.data(), (DWORD)out.size(), &got, nullptr);
    ::CloseHandle(f);
    return out;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE f = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD put = 0;
    ::WriteFile(f, bytes.data(), (DWORD)bytes.size(), &put, nullptr);
    ::CloseHandle(f);
}

struct SaveFixture : ::testing::Test {
    FakeClock clock;
    zt::PatternWindow pattern{700, 300, 120, 90};
    zt::ZarpWindow w{400, 300};
    std::wstring start, out;
    wchar_t* savedCwd = nullptr;

    void SetUp() override {
        savedCwd = _wgetcwd(nullptr, 0);
        wchar_t base[MAX_PATH];
        ::GetTempPathW(MAX_PATH, base);
        start = std::wstring(base) + L"zarp-start";
        out = std::wstring(base) + L"zarp-out";
        ::CreateDirectoryW(start.c_str(), nullptr);
        ::CreateDirectoryW(out.c_str(), nullptr);
        for (const wchar_t* f : {L"\\shot.bmp", L"\\ro.bmp", L"\\held.bmp", L"\\old.bmp"}) {
            ::SetFileAttributesW((out + f).c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileW((out + f).c_str());
        }
        ::SetFileAttributesW((start + L"\\zp.x").c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW((start + L"\\zp.x").c_str());
        w.view->m_strInitDir = start.c_str();
        w.view->m_strWork = out.c_str();
        w.view->WriteSettings();
        w.CaptureWindow(pattern.hwnd);
    }
    void TearDown() override {
        _wchdir(savedCwd);
        free(savedCwd);
    }
    void SaveWith(zt::SaveRobot& robot) {
        robot.Start();
        w.Command(ID_FILE_SAVE_AS);
        robot.Join();
    }
};
}  // namespace

TEST_F(SaveFixture, SavesTheZoomedPictureAndRemembersTheFolder) {
    ASSERT_EQ(w.view->m_nImageCx, 120);
    w.view->m_nZoom = 50;
    w.Tick();
    zt::SaveRobot robot;
    robot.name = out + L"\\shot";  // no extension: the dialog adds .bmp
    SaveWith(robot);
    ASSERT_TRUE(robot.sawDialog);
    EXPECT_TRUE(robot.warningText.empty());
    auto bytes = ReadFileBytes(out + L"\\shot.bmp");
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ(bytes[0], 'B');
    std::vector<uint8_t> dib(bytes.begin() + 14, bytes.end());
    int cx = 0, cy = 0;
    auto px = zt::DibPixels(dib, &cx, &cy);
    EXPECT_EQ(cx, 60);
    EXPECT_EQ(cy, 45);
    EXPECT_EQ(px, zt::ReadPixels(w.view->m_bmpZoom));
    EXPECT_EQ(w.view->m_strWork, CString(out.c_str()));
    auto settings = ReadFileBytes(start + L"\\zp.x");
    std::string s(settings.begin(), settings.end());
    EXPECT_NE(s.find("\r\n"), std::string::npos);
    EXPECT_EQ(s.substr(s.find("\r\n") + 2, out.size()), std::string(out.begin(), out.end()));
    EXPECT_TRUE(::GetFileAttributesW((start + L"\\zp.x").c_str()) & FILE_ATTRIBUTE_READONLY);
}

TEST_F(SaveFixture, AReadOnlyFileIsRefusedWithTheWarningAndNothingChanges) {
    const std::wstring ro = out + L"\\ro.bmp";
    WriteFileBytes(ro, "original");
    ::SetFileAttributesW(ro.c_str(), FILE_ATTRIBUTE_READONLY);
    auto settingsBefore = ReadFileBytes(start + L"\\zp.x");
    w.view->m_strWork = L"C:\\somewhere";
    zt::SaveRobot robot;
    robot.name = ro;
    robot.answerReplace = true;
    SaveWith(robot);
    EXPECT_EQ(robot.warningText, L"ro.bmp に書き込めません。読取専用か、または使用中です。");
    auto now = ReadFileBytes(ro);
    EXPECT_EQ(std::string(now.begin(), now.end()), "original");
    EXPECT_EQ(ReadFileBytes(start + L"\\zp.x"), settingsBefore);
    EXPECT_EQ(w.view->m_strWork, CString(L"C:\\somewhere"));
    ::SetFileAttributesW(ro.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(SaveFixture, CancelChangesNothing) {
    auto settingsBefore = ReadFileBytes(start + L"\\zp.x");
    zt::SaveRobot robot;
    robot.cancel = true;
    SaveWith(robot);
    EXPECT_TRUE(robot.sawDialog);
    EXPECT_EQ(ReadFileBytes(start + L"\\zp.x"), settingsBefore);
    EXPECT_EQ(w.view->m_strWork, CString(out.c_str()));
    EXPECT_TRUE(w.view->m_bmpWork.IsNull());
}

TEST_F(SaveFixture, AFileHeldOpenByAnotherProgramIsNotDestroyed) {
    const std::wstring held = out + L"\\held.bmp";
    WriteFileBytes(held, "precious");
    HANDLE lock = ::CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    zt::SaveRobot robot;
    robot.name = held;
    robot.answerReplace = true;
    SaveWith(robot);
    ::CloseHandle(lock);
    EXPECT_EQ(robot.warningText, L"held.bmp に書き込めません。読取専用か、または使用中です。");
    auto now = ReadFileBytes(held);
    EXPECT_EQ(std::string(now.begin(), now.end()), "precious");
    // No temporary file is left behind.
    WIN32_FIND_DATAW fd;
    HANDLE find = ::FindFirstFileW((out + L"\\zrp*.tmp").c_str(), &fd);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE);
    if (find != INVALID_HANDLE_VALUE) ::FindClose(find);
}

TEST_F(SaveFixture, AnExistingWritableFileIsReplacedAfterTheQuestion) {
    const std::wstring old = out + L"\\old.bmp";
    WriteFileBytes(old, "old content");
    zt::SaveRobot robot;
    robot.name = old;
    robot.answerReplace = true;
    SaveWith(robot);
    EXPECT_TRUE(robot.sawReplace);
    auto now = ReadFileBytes(old);
    ASSERT_GE(now.size(), 2u);
    EXPECT_EQ(now[0], 'B');
    EXPECT_EQ(now.size(), 14u + 40u + 120u * 4u * 90u);
}

TEST_F(SaveFixture, AnUnwritableSettingsFileNeverStopsTheSave) {
    // zp.x cannot be written when a folder stands in its place.
    const std::wstring settings = start + L"\\zp.x";
    ::SetFileAttributesW(settings.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(settings.c_str());
    ASSERT_TRUE(::CreateDirectoryW(settings.c_str(), nullptr));
    EXPECT_TRUE(w.view->SavePicture((out + L"\\shot.bmp").c_str(), L"shot.bmp"));
    EXPECT_EQ(ReadFileBytes(out + L"\\shot.bmp").size(), 14u + 40u + 120u * 4u * 90u);
    EXPECT_EQ(w.view->m_strWork, CString(out.c_str()));  // remembered for this run
    ::RemoveDirectoryW(settings.c_str());
}

// A save onto a file system with too little room (a tiny tmpfs, mounted by
// tests/win32/full_disk.sh, which passes its folder in ZARP_FULL_DIR) fails with the
// warning, and the file that was there survives whole.
TEST_F(SaveFixture, AFullDiskLeavesTheOldFileWhole) {
    const char* full = std::getenv("ZARP_FULL_DIR");
    if (!full) GTEST_SKIP() << "needs a nearly full file system (tests/win32/full_disk.sh)";
    std::wstring dir(full, full + strlen(full));
    const std::wstring target = dir + L"\\kept.bmp";
    auto before = ReadFileBytes(target);
    ASSERT_FALSE(before.empty());
    // A picture far larger than the room left.
    zt::PatternWindow big(0, 0, 400, 300);
    w.CaptureWindow(big.hwnd);
    zt::SaveRobot robot;
    robot.name = target;
    robot.answerReplace = true;
    SaveWith(robot);
    EXPECT_EQ(robot.warningText, L"kept.bmp に書き込めません。読取専用か、または使用中です。");
    EXPECT_EQ(ReadFileBytes(target), before);
    WIN32_FIND_DATAW fd;
    HANDLE find = ::FindFirstFileW((dir + L"\\zrp*.tmp").c_str(), &fd);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE) << "a temporary file was left behind";
    if (find != INVALID_HANDLE_VALUE) ::FindClose(find);
}
