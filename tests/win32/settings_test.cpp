// The settings file "zp.x": its exact bytes, its read-only attribute, and how the
// start-up reads it.
#include <direct.h>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include "support.h"
#include "../../image/SafeSave.h"

namespace {
std::wstring TempFolder(const wchar_t* name) {
    wchar_t base[MAX_PATH];
    ::GetTempPathW(MAX_PATH, base);
    std::wstring dir = std::wstring(base) + name;
    ::CreateDirectoryW(dir.c_str(), nullptr);
    std::wstring file = dir + L"\\zp.x";
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(file.c_str());
    return dir;
}
std::string ReadAll(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES ? "<missing>" : zt::ReadFileBytes(path);
}
std::string Narrow(const std::wstring& s) {
    int n = ::WideCharToMultiByte(CP_ACP, 0, s.c_str(), (int)s.size(), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    ::WideCharToMultiByte(CP_ACP, 0, s.c_str(), (int)s.size(), &out[0], n, nullptr, nullptr);
    return out;
}

struct SettingsFixture : ::testing::Test {
    zt::ZarpWindow w;
    std::wstring dir, file;
    wchar_t* savedCwd = nullptr;
    void SetUp() override {
        savedCwd = _wgetcwd(nullptr, 0);
        dir = TempFolder(L"zarp-settings");
        file = dir + L"\\zp.x";
        w.view->m_strInitDir = dir.c_str();
    }
    void TearDown() override {
        ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        _wchdir(savedCwd);
        free(savedCwd);
    }
};
}  // namespace

TEST_F(SettingsFixture, FirstRunCreatesTheFileWithTheStartFolderReadOnly) {
    w.view->ReadSettings();
    EXPECT_EQ(w.view->m_strWork, CString(dir.c_str()));
    EXPECT_EQ(ReadAll(file), "[ InitDir ] =\r\n" + Narrow(dir) + "\r\n");
    DWORD attrs = ::GetFileAttributesW(file.c_str());
    EXPECT_TRUE(attrs & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(attrs & FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(SettingsFixture, WriteGivesTheExactBytesAndRewritesAReadOnlyFile) {
    ::CreateDirectoryW(L"C:\\a", nullptr);
    ::CreateDirectoryW(L"C:\\a\\b", nullptr);
    w.view->m_strWork = L"C:\\a\\b";
    ASSERT_TRUE(w.view->WriteSettings());
    EXPECT_EQ(ReadAll(file), std::string("[ InitDir ] =\r\nC:\\a\\b\r\n"));
    EXPECT_EQ(ReadAll(file).size(), 23u);
    w.view->m_strWork = L"C:\\windows";
    ASSERT_TRUE(w.view->WriteSettings());
    EXPECT_EQ(ReadAll(file), std::string("[ InitDir ] =\r\nC:\\windows\r\n"));
    EXPECT_TRUE(::GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(::GetFileAttributesW(zarp::TempNameOf(file).c_str()), INVALID_FILE_ATTRIBUTES);
}

// A folder the save dialog could not be given never reaches the file; the file keeps
// what it held.
TEST_F(SettingsFixture, AFolderTheDialogCannotTakeIsNeverWritten) {
    const std::wstring aux = dir + L"\\aux";
    ::CreateDirectoryW((L"\\\\?\\" + aux).c_str(), nullptr);
    w.view->m_strWork = dir.c_str();
    ASSERT_TRUE(w.view->WriteSettings());
    const std::string before = ReadAll(file);
    const std::wstring refused[] = {aux, L"CON", L"Z:\\tmp\\CON", dir + L"\\missing", file,
                                    L"C:\\" + std::wstring(300, L'x')};
    for (const std::wstring& folder : refused) {
        w.view->m_strWork = folder.c_str();
        EXPECT_FALSE(w.view->WriteSettings()) << folder.size();
        EXPECT_EQ(ReadAll(file), before);
    }
    // Started from such a folder: no file is made there, not even an empty one.
    w.view->m_strInitDir = aux.c_str();
    w.view->ReadSettings();
    EXPECT_EQ(ReadAll(aux + L"\\zp.x"), "<missing>");
}

TEST_F(SettingsFixture, ReadTakesTheSecondLineOrFallsBackToTheStartFolder) {
    struct Case {
        std::string bytes;
        const wchar_t* work;  // null: the start folder
        bool rewritten;
    } cases[] = {
        {"[ InitDir ] =\r\nD:\\Pictures\r\n", L"D:\\Pictures", false},
        {"anything\r\nE:\\x y\r\n", L"E:\\x y", false},
        {"[ InitDir ] =\r\nD:\\Pictures", nullptr, false},  // no final CR LF
        {"[ InitDir ] =\r\n", nullptr, false},              // header only
        {std::string("[ InitDir ] =\r\nD:\\P\0x\r\n", 22), nullptr, false},  // NUL inside
        {"[ InitDir ] =\nD:\\Pictures\n", nullptr, false},  // other line ends
        {"", nullptr, true},                                // empty: rewritten
        // A line too long for any folder the dialog can open; a long first line, skipped;
        // a folder line that starts beyond what is read.
        {"[ InitDir ] =\r\n" + std::string(1000, 'x') + "\r\n", nullptr, false},
        {std::string(2000, '[') + "\r\nD:\\x\r\n", L"D:\\x", false},
        {std::string(70000, '[') + "\r\nD:\\x\r\n", nullptr, false},
        // A long file whose folder line comes first is read as far as it needs.
        {"[ InitDir ] =\r\nD:\\Pictures\r\n" + std::string(5000, 'j'), L"D:\\Pictures", false},
    };
    for (const Case& c : cases) {
        zt::WriteFileBytes(file, c.bytes);
        w.view->m_strWork = L"unset";
        w.view->ReadSettings();
        EXPECT_EQ(w.view->m_strWork, CString(c.work ? c.work : dir.c_str())) << c.bytes;
        std::string now = ReadAll(file);
        if (c.rewritten)
            EXPECT_EQ(now, "[ InitDir ] =\r\n" + Narrow(dir) + "\r\n");
        else
            EXPECT_EQ(now, c.bytes);
    }
}

// A rewrite stopped after its last byte left the only whole zp.x under its temporary
// name: the next start puts it in place and reads it. A half-written one is removed.
TEST_F(SettingsFixture, AWholeLeftoverTakesTheMissingFilesPlace) {
    for (const std::string& left : {std::string("[ InitDir ] =\r\nD:\\kept\r\n"), std::string("[ InitDir ] =\r\nD:")}) {
        zt::WriteFileBytes(zarp::TempNameOf(file), left);
        ::DeleteFileW(file.c_str());
        w.view->ReadSettings();
        const bool whole = left.back() == '\n';
        EXPECT_EQ(w.view->m_strWork, CString(whole ? L"D:\\kept" : dir.c_str()));
        EXPECT_EQ(ReadAll(file), whole ? left : "[ InitDir ] =\r\n" + Narrow(dir) + "\r\n");
        EXPECT_EQ(ReadAll(zarp::TempNameOf(file)), "<missing>");
        ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

// Another Zarp's rewrite of zp.x (its lock held) never holds up a start: zp.x is read as it stands.
TEST_F(SettingsFixture, AStartDoesNotWaitForAnotherRewrite) {
    zt::WriteFileBytes(file, "[ InitDir ] =\r\nD:\\as it stands\r\n");
    std::atomic<bool> taken{false}, released{false};
    std::thread holder([&] {  // another Zarp, rewriting zp.x for 3 s
        HANDLE m = ::CreateMutexW(nullptr, FALSE, zarp::SaveLockNameOf(file).c_str());
        taken = ::WaitForSingleObject(m, INFINITE) == WAIT_OBJECT_0;
        ::Sleep(3000);
        released = true, ::ReleaseMutex(m), ::CloseHandle(m);  // set first: a start that waited finds it
    });
    while (!taken) ::Sleep(5);
    w.view->ReadSettings();
    EXPECT_TRUE(!released && w.view->m_strWork == CString(L"D:\\as it stands"));
    holder.join();
}

TEST_F(SettingsFixture, AFolderTheCodePageCannotHoldSurvivesTheRoundTrip) {
    // A folder the code page holds keeps the plain narrow form, with no mark (under
    // the Japanese code page the tests run with, that includes kanji).
    const std::wstring plain = dir + (::GetACP() == 932 ? L"\\写真" : L"\\Pictures");
    const std::wstring folder = plain + L"\\Ω\U0001F600";  // the emoji has no narrow form
    ::CreateDirectoryW(plain.c_str(), nullptr);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    w.view->m_strWork = folder.c_str();
    ASSERT_TRUE(w.view->WriteSettings());
    std::string bytes = ReadAll(file);
    EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    w.view->m_strWork = L"";
    w.view->ReadSettings();
    EXPECT_EQ(w.view->m_strWork, CString(folder.c_str()));
    w.view->m_strWork = plain.c_str();
    ASSERT_TRUE(w.view->WriteSettings());
    EXPECT_EQ(ReadAll(file), "[ InitDir ] =\r\n" + Narrow(plain) + "\r\n");
}

TEST_F(SettingsFixture, AnUnwritableFileKeepsTheFolderForThisRun) {
    // A directory where the file should be: it can be neither read nor written.
    ::CreateDirectoryW(file.c_str(), nullptr);
    w.view->m_strWork = L"";
    w.view->ReadSettings();
    EXPECT_EQ(w.view->m_strWork, CString(dir.c_str()));
    w.view->m_strWork = L"C:\\later";
    EXPECT_FALSE(w.view->WriteSettings());
    EXPECT_EQ(w.view->m_strWork, CString(L"C:\\later"));
    ::RemoveDirectoryW(file.c_str());
}

// A read error, a failed rewrite: the file stays as it was, whole. The full disk needs
// tests/win32/full_disk.sh, which passes a nearly full file system in ZARP_FULL_DIR.
TEST_F(SettingsFixture, AFileThatCannotBeReadOrRewrittenStaysWhole) {
    const std::string text = "[ InitDir ] =\r\nD:\\Pictures\r\n";
    zt::WriteFileBytes(file, text);
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
    // Another program holds the file and lets nobody in: it cannot be read. (A read that
    // fails after the file opened cannot be made under Wine, which ignores byte locks
    // on reading; the program treats both alike.)
    HANDLE other = ::CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    w.view->m_strWork = L"unset";
    w.view->ReadSettings();
    ::CloseHandle(other);
    EXPECT_EQ(w.view->m_strWork, CString(dir.c_str()));
    EXPECT_EQ(ReadAll(file), text);

    const char* full = std::getenv("ZARP_FULL_DIR");
    if (!full) return;
    const std::wstring fullDir(full, full + strlen(full));
    const std::string kept = ReadAll(fullDir + L"\\zp.x");
    ASSERT_EQ(kept.compare(0, 13, "[ InitDir ] ="), 0);
    w.view->m_strInitDir = fullDir.c_str();
    w.view->m_strWork = L"C:\\windows\\system32\\drivers";  // longer than what the file holds
    EXPECT_FALSE(w.view->WriteSettings());
    EXPECT_EQ(ReadAll(fullDir + L"\\zp.x"), kept);
    EXPECT_TRUE(::GetFileAttributesW((fullDir + L"\\zp.x").c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(::GetFileAttributesW(zarp::TempNameOf(fullDir + L"\\zp.x").c_str()), INVALID_FILE_ATTRIBUTES);
}

// A few hundred random settings files fed to a real start-up: the program always comes
// up with a usable folder, and a file with a folder line gives exactly that line.
TEST(SettingsStartup, RandomFilesNeverStopTheStartUp) {
    wchar_t* savedCwd = _wgetcwd(nullptr, 0);
    const std::wstring dir = TempFolder(L"zarp-random-settings");
    const std::wstring file = dir + L"\\zp.x";
    _wchdir(dir.c_str());
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    const char alphabet[] = "\r\n\0[ ]=InitDirC:\\\xEF\xBB\xBF\x82\xA0zx";
    for (int round = 0; round < 200; ++round) {
        std::string bytes;
        const size_t len = next() % 64;
        for (size_t i = 0; i < len; ++i) bytes += alphabet[next() % (sizeof alphabet - 1)];
        if (round % 3 == 0) bytes = "[ InitDir ] =\r\n" + bytes;
        zt::WriteFileBytes(file, bytes);
        zt::ZarpWindow w;
        ASSERT_NE(w.view, nullptr) << "round " << round;
        EXPECT_FALSE(w.view->m_strWork.IsEmpty()) << "round " << round;
        EXPECT_NE(w.view->m_dcScreen.GetSafeHdc(), nullptr);
        EXPECT_TRUE(w.frame->m_bZoomBarReady);
    }
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    _wchdir(savedCwd);
    free(savedCwd);
}
