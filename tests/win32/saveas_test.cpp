// Save As through the real save dialog, filled in by a helper thread as a user would;
// the folder the dialog is given; every way a save can fail; the BMP written in bands.
#include <direct.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include "../../framework/handles.h"
#include "../../image/BmpBandWriter.h"
#include "../../image/DibUtil.h"
#include "../../image/PngWriter.h"
#include "../../image/path_rules.h"
#include "../../image/path_split.h"
#include <wincodec.h>
#include "../../image/SafeSave.h"
#include "dialog_robot.h"
#include "support.h"

using zt::FakeClock;

using zt::ReadFileBytes;
using zt::WriteFileBytes;
using zt::Widen;

namespace {
// Names of the temporary files left in a folder.
std::vector<std::wstring> Leftovers(const std::wstring& dir) {
    std::vector<std::wstring> out;
    WIN32_FIND_DATAW fd;
    HANDLE find = ::FindFirstFileW((L"\\\\?\\" + dir + L"\\*.tmp").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return out;
    do out.push_back(fd.cFileName);
    while (::FindNextFileW(find, &fd));
    ::FindClose(find);
    return out;
}

// A folder whose full path is exactly length characters: base, a separator and one
// name of the rest. Made through the long form, which takes any length.
std::wstring FolderOfLength(const std::wstring& base, size_t length) {
    std::wstring dir = base + L"\\" + std::wstring(length - base.size() - 1, L'd');
    ::CreateDirectoryW((L"\\\\?\\" + dir).c_str(), nullptr);
    return dir;
}

const size_t kShotFileBytes = 14u + 40u + 120u * 4u * 90u;  // the 120 x 90 pattern at 32 bpp

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
        for (const wchar_t* f : {L"\\shot.bmp", L"\\ro.bmp", L"\\held.bmp", L"\\old.bmp", L"\\left.bmp"}) {
            ::SetFileAttributesW((out + f).c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileW((out + f).c_str());
        }
        for (const std::wstring& f : Leftovers(out)) {
            ::SetFileAttributesW((out + L"\\" + f).c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileW((out + L"\\" + f).c_str());
        }
        ::SetFileAttributesW((start + L"\\zp.x").c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW((start + L"\\zp.x").c_str());
        ::RemoveDirectoryW((start + L"\\zp.x").c_str());  // left by an interrupted run
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

namespace {
using zarp::KeptProtection;
// The old file as the test says it was, given to the new file by apply (null: the real step).
zarp::ProtectionSteps g_realSteps{};
void (*g_report)(KeptProtection&) = nullptr;
void Protect(void (*report)(KeptProtection&), DWORD (*apply)(HANDLE, const KeptProtection&) = nullptr) {
    g_report = report;
    g_realSteps = zarp::SetProtectionStepsForTesting({});
    zarp::SetProtectionStepsForTesting({[](HANDLE, DWORD, KeptProtection& k) { return g_report(k), DWORD(0); },
                                        apply ? apply : g_realSteps.apply});
}
void Unprotect() { zarp::SetProtectionStepsForTesting(g_realSteps); }
}  // namespace

TEST_F(SaveFixture, SavesTheZoomedPictureAndRemembersTheFolder) {
    ASSERT_EQ(w.view->m_nImageCx, 120);
    w.frame->SetZoomPosition(50);  // the slider too, or the frame's timer puts 100 back
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
    EXPECT_EQ(px, zt::ZoomedPixels(*w.view));
    EXPECT_EQ(w.view->m_strWork, CString(out.c_str()));
    const std::string s = ReadFileBytes(start + L"\\zp.x");
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
    EXPECT_EQ(ReadFileBytes(ro), "original");
    EXPECT_EQ(ReadFileBytes(start + L"\\zp.x"), settingsBefore);
    EXPECT_EQ(w.view->m_strWork, CString(L"C:\\somewhere"));
    ::SetFileAttributesW(ro.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A whole picture that an interrupted save left never takes a name by itself (the user
// may have emptied it): it stays through a failing save, and goes after one that succeeds.
TEST_F(SaveFixture, AWholeLeftoverOfAPictureNeverTakesTheNameByItself) {
    const std::wstring target = out + L"\\fresh.png";
    ASSERT_TRUE(w.view->SavePicture(target.c_str(), L"fresh.png"));
    const std::wstring left = zarp::TempNameOf(target);
    ASSERT_TRUE(::MoveFileW(target.c_str(), left.c_str()));
    CPngWriter::SetFailureForTesting(S_OK, WINCODEC_ERR_BADHEADER);
    zt::WarningCatcher catcher;
    EXPECT_FALSE(w.view->SavePicture(target.c_str(), L"fresh.png"));
    CPngWriter::SetFailureForTesting(S_OK, S_OK);
    EXPECT_EQ(catcher.Stop().rfind(L"fresh.png に書き込めません。", 0), 0u);
    EXPECT_TRUE(ReadFileBytes(target).empty() && !ReadFileBytes(left).empty());
    EXPECT_TRUE(w.view->SavePicture(target.c_str(), L"fresh.png") && ReadFileBytes(left).empty());
    ::DeleteFileW(target.c_str());
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

// ... and the new file gets what the old one was before a byte is written (through steps
// that report and record).
TEST_F(SaveFixture, AnExistingWritableFileIsReplacedAfterTheQuestion) {
    static std::wstring given;  // the file the steps gave it to, its size then, what it got
    Protect([](KeptProtection& k) { k.daclProtected = true; }, [](HANDLE h, const KeptProtection& k) -> DWORD {
        wchar_t name[MAX_PATH * 2] = L"";
        LARGE_INTEGER size{};
        ::GetFinalPathNameByHandleW(h, name, MAX_PATH * 2, 0);
        ::GetFileSizeEx(h, &size);
        given += zarp::NameOf(name) + L" " + std::to_wstring(size.QuadPart) + (k.daclProtected ? L" protected" : L"");
        return 0;
    });
    const std::wstring old = out + L"\\old.bmp";
    WriteFileBytes(old, "old content");
    zt::SaveRobot robot;
    robot.name = old;
    robot.answerReplace = true;
    SaveWith(robot);
    Unprotect();
    EXPECT_EQ(given, zarp::NameOf(zarp::TempNameOf(old)) + L" 0 protected");
    EXPECT_TRUE(robot.sawReplace);
    auto now = ReadFileBytes(old);
    ASSERT_GE(now.size(), 2u);
    EXPECT_EQ(now[0], 'B');
    EXPECT_EQ(now.size(), kShotFileBytes);
}

TEST_F(SaveFixture, AnUnwritableSettingsFileNeverStopsTheSave) {
    // zp.x cannot be written when a folder stands in its place (left alone), nor while
    // another program holds it: the picture is saved, and one box says why the folder
    // is not remembered.
    const std::wstring settings = start + L"\\zp.x";
    const std::wstring kept = L"画像は保存しましたが、保存先のフォルダーを次回のために記憶できません。zp.x に書き込めません。";
    ::SetFileAttributesW(settings.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(settings.c_str());
    ASSERT_TRUE(::CreateDirectoryW(settings.c_str(), nullptr));
    zt::WarningCatcher folder;
    EXPECT_TRUE(w.view->SavePicture((out + L"\\shot.bmp").c_str(), L"shot.bmp"));
    EXPECT_EQ(folder.Stop(), kept + L"ファイルではありません (フォルダーまたはリンクです)。");
    EXPECT_EQ(ReadFileBytes(out + L"\\shot.bmp").size(), kShotFileBytes);
    EXPECT_EQ(w.view->m_strWork, CString(out.c_str()));  // remembered for this run
    ::RemoveDirectoryW(settings.c_str());
    WriteFileBytes(settings, "[ InitDir ] =\r\nC:\\\r\n");
    HANDLE held = ::CreateFileW(settings.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    zt::WarningCatcher catcher;
    EXPECT_TRUE(w.view->SavePicture((out + L"\\shot.bmp").c_str(), L"shot.bmp"));
    EXPECT_EQ(catcher.Stop(), kept + L"読取専用か、または使用中です。");
    ::CloseHandle(held);
    EXPECT_EQ(ReadFileBytes(settings).size(), 20u);
    EXPECT_TRUE(Leftovers(start).empty());
}

namespace {
std::wstring g_initialDir;
int g_dialogs = 0;
BOOL RecordInitialDir(OPENFILENAMEW& ofn, bool) {
    ++g_dialogs;
    g_initialDir = ofn.lpstrInitialDir ? ofn.lpstrInitialDir : L"<none>";
    return FALSE;  // the user cancels
}
}  // namespace

// The dialog gets the remembered folder only when it can open it; otherwise the start
// folder. Through a stand-in for the platform's dialog, which records what it gets.
TEST_F(SaveFixture, TheDialogGetsTheRememberedFolderOnlyWhenItCanOpenIt) {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring base = std::wstring(temp) + L"zarp-folders";
    ::CreateDirectoryW(base.c_str(), nullptr);
    const std::wstring aux = base + L"\\aux";
    ::CreateDirectoryW((L"\\\\?\\" + aux).c_str(), nullptr);  // a name only the long form can make
    const std::wstring aFile = base + L"\\plain.txt";
    const std::wstring dots = base + L"\\dots...";  // plain parsing would name base\dots
    ::CreateDirectoryW((L"\\\\?\\" + dots).c_str(), nullptr);
    ::CreateDirectoryW((base + L"\\dots").c_str(), nullptr);
    WriteFileBytes(aFile, "not a folder");
    struct Case {
        const char* what;
        std::wstring work;
        bool usable;
        std::wstring shown;  // what the dialog gets when usable, if not work itself
    } cases[] = {
        {"the folder of the last save", out, true},
        {"a drive's root, remembered as C:", L"C:", true, L"C:\\"},
        {"a folder of 257 characters", FolderOfLength(base, 257), true},
        {"CON", L"CON", false},
        {"NUL", L"NUL", false},
        {"AUX", L"AUX", false},
        {"COM1", L"COM1", false},
        {"a device in a path", L"Z:\\tmp\\CON", false},
        {"a folder named aux", aux, false},
        {"a folder ending in dots, beside one without", dots, false},
        {"a device name with an extension", base + L"\\lpt1.dir", false},
        {"a folder of 258 characters", FolderOfLength(base, 258), false},
        {"a folder of 300 characters", FolderOfLength(base, 300), false},
        {"a missing folder", base + L"\\missing", false},
        {"a file, not a folder", aFile, false},
        {"a colon in a name", base + L"\\a:b", false},
    };
    auto previous = CFileDialog::SetStandInForTesting(&RecordInitialDir);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        w.view->m_strWork = c.work.c_str();
        g_initialDir.clear();
        w.Command(ID_FILE_SAVE_AS);
        EXPECT_EQ(g_initialDir, !c.usable ? start : c.shown.empty() ? c.work : c.shown);
    }
    // An over-long folder line in zp.x, read at start-up: the start folder again.
    WriteFileBytes(start + L"\\zp.x", "[ InitDir ] =\r\n" + std::string(1000, 'x') + "\r\n");
    w.view->ReadSettings();
    g_initialDir.clear();
    w.Command(ID_FILE_SAVE_AS);
    EXPECT_EQ(g_initialDir, start);
    // With nothing to output there is no dialog at all, and zp.x stays as it was.
    const auto settings = ReadFileBytes(start + L"\\zp.x");
    w.Command(ID_RANGE);  // range mode with no range marked
    const int dialogs = g_dialogs;
    w.view->OnFileSaveAs();
    EXPECT_EQ(g_dialogs, dialogs);
    EXPECT_FALSE(w.view->SavePicture((out + L"\\nothing.bmp").c_str(), L"nothing.bmp"));
    EXPECT_EQ(::GetFileAttributesW((out + L"\\nothing.bmp").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ReadFileBytes(start + L"\\zp.x"), settings);
    CFileDialog::SetStandInForTesting(previous);
}

namespace {
afx::HandleKind g_refused;
bool RefuseOneKind(afx::HandleKind kind, unsigned long long) { return kind != g_refused; }
}  // namespace

// Every failure gets a box that names its cause, the file that was there stays whole
// and no temporary file is left. Two rows need a special file system: a full disk
// (tests/win32/full_disk.sh) and a folder the test's user may not write to
// (tests/win32/unprivileged.sh); they are skipped elsewhere.

TEST_F(SaveFixture, EachFailureNamesItsCauseAndKeepsTheOldFile) {
    const char* fullDir = std::getenv("ZARP_FULL_DIR");
    const char* lockedDir = std::getenv("ZARP_LOCKED_DIR");
    const std::wstring inUse = L" に書き込めません。読取専用か、または使用中です。";
    const std::wstring refuses = L" に書き込めません。このフォルダーには新しいファイルを作成できません。"
                                 L"アクセス許可がないか、セキュリティ ソフトウェアが書き込みを禁止しています。";
    HANDLE held = INVALID_HANDLE_VALUE;
    struct Row {
        const char* what;
        std::wstring dir, name;
        std::wstring text;  // empty: any text naming the file, other than the in-use one
        std::function<void()> before, after;
    } rows[] = {
        {"a folder that vanished", out + L"\\gone", L"lost.bmp", L"lost.bmp に書き込めません。フォルダーが見つかりません。"},
        {"a file another program holds", out, L"held.bmp", L"held.bmp" + inUse,
         [&] {
             held = ::CreateFileW((out + L"\\held.bmp").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
         },
         [&] { ::CloseHandle(held); }},
        {"no memory for the picture", out, L"old.bmp", L"メモリが不足しているため、old.bmp を保存できません。",
         [&] {
             w.view->m_bmpWork.DeleteObject();
             g_refused = afx::HandleKind::Bitmap;
             afx::SetAllocGateForTesting(&RefuseOneKind);
         },
         [] { afx::SetAllocGateForTesting(nullptr); }},
        {"no memory for the band buffer", out, L"old.bmp", L"メモリが不足しているため、old.bmp を保存できません。",
         [&] {
             g_refused = afx::HandleKind::Global;
             afx::SetAllocGateForTesting(&RefuseOneKind);
         },
         [] { afx::SetAllocGateForTesting(nullptr); }},
        {"a device's name", out, L"aux.bmp", L""},
        {"no memory for the PNG's pixels", out, L"old.png", L"メモリが不足しているため、old.png を保存できません。",
         [&] {
             g_refused = afx::HandleKind::Global;
             afx::SetAllocGateForTesting(&RefuseOneKind);
         },
         [] { afx::SetAllocGateForTesting(nullptr); }},
        {"the PNG encoder fails", out, L"old.png", L"", [] { CPngWriter::SetFailureForTesting(S_OK, WINCODEC_ERR_BADHEADER); },
         [] { CPngWriter::SetFailureForTesting(S_OK, S_OK); }},
        {"no COM for the imaging component", out, L"old.png",
         L"old.png に書き込めません。PNG の書き出しに必要な Windows Imaging Component を使用できません。",
         [] { CPngWriter::SetFailureForTesting(CO_E_NOTINITIALIZED, S_OK); }, [] { CPngWriter::SetFailureForTesting(S_OK, S_OK); }},
        {"every temporary name taken", out, L"taken.bmp",
         L"taken.bmp に書き込めません。同じフォルダーにある一時ファイル (*.zarp.tmp) の名前がすべて使われています。",
         [&] { for (unsigned i = 0; i < 10; ++i) ::CreateDirectoryW(zarp::TempNameOf(out + L"\\taken.bmp", i).c_str(), nullptr); },
         [&] { for (unsigned i = 0; i < 10; ++i) ::RemoveDirectoryW(zarp::TempNameOf(out + L"\\taken.bmp", i).c_str()); }},
        {"access rules of the old file that cannot be given", out, L"old.bmp",
         L"old.bmp に書き込めません。元のファイルのアクセス許可を新しいファイルに設定できません。元のファイルはそのまま残っています。",
         [] { Protect([](KeptProtection& k) { k.explicitAceCount = 1; }, [](HANDLE, const KeptProtection&) {
                  return zarp::kErrorCannotKeepAccessRules;  // as Windows refuses an entry the saver may not set
              }); }, Unprotect},
        {"an encrypted old file, a new one that cannot be", out, L"old.bmp",
         L"old.bmp に書き込めません。元のファイルは暗号化されていますが、新しいファイルを暗号化できません。元のファイルはそのまま残っています。",
         [&] { Protect([](KeptProtection& k) { k.encrypted = true; }); }, Unprotect},
        {"a full disk", fullDir ? Widen(fullDir) : L"", L"kept.bmp",
         L"kept.bmp に書き込めません。ディスクの空き容量が不足しています。"},
        {"a folder and a file of another user", lockedDir ? Widen(lockedDir) : L"", L"theirs.bmp", L"theirs.bmp" + refuses},
        {"a new file in a folder of another user", lockedDir ? Widen(lockedDir) : L"", L"new.bmp", L"new.bmp" + refuses},
    };
    WriteFileBytes(out + L"\\held.bmp", "precious");
    WriteFileBytes(out + L"\\old.bmp", "old content");
    WriteFileBytes(out + L"\\old.png", "old content");
    for (Row& r : rows) {
        SCOPED_TRACE(r.what);
        if (r.dir.empty()) continue;  // needs a file system this run does not have
        const std::wstring target = r.dir + L"\\" + r.name;
        const bool device = r.text.empty();  // any text that names the file, other than the in-use one
        const auto before = zarp::IsDosDeviceName(r.name) ? std::string() : ReadFileBytes(target);
        if (r.before) r.before();
        zt::WarningCatcher catcher;
        EXPECT_FALSE(w.view->SavePicture(target.c_str(), r.name.c_str()));
        const std::wstring text = catcher.Stop();
        if (r.after) r.after();
        if (device) {
            EXPECT_EQ(text.rfind(r.name + L" に書き込めません。", 0), 0u) << text.size();
            EXPECT_GT(text.size(), r.name.size() + 9);
            EXPECT_EQ(text.find(inUse), std::wstring::npos);
        } else {
            EXPECT_EQ(text, r.text);
        }
        if (!zarp::IsDosDeviceName(r.name)) {
            EXPECT_EQ(ReadFileBytes(target), before);
        }
        EXPECT_EQ(catcher.count, 1);
        EXPECT_TRUE(Leftovers(r.dir).empty());
    }
}

// Where the folder refuses new files but the file itself may be written, the file is
// written in place: a picture over the user's own file, and zp.x, read-only, in a start
// folder of another user. File modes count only for an unprivileged user:
// tests/win32/unprivileged.sh runs this as one and names the folder in ZARP_LOCKED_DIR.
TEST_F(SaveFixture, AFolderThatRefusesNewFilesIsWrittenInPlace) {
    const char* locked = std::getenv("ZARP_LOCKED_DIR");
    if (!locked) GTEST_SKIP() << "needs a folder of another user (tests/win32/unprivileged.sh)";
    const std::wstring dir = Widen(locked);
    const std::wstring mine = dir + L"\\mine.bmp";
    // Written where it stands only when the user says so: a failure midway would lose it.
    zt::WarningCatcher no;
    EXPECT_FALSE(w.view->SavePicture(mine.c_str(), L"mine.bmp"));
    EXPECT_EQ(no.Stop(), L"");
    EXPECT_EQ(no.question.rfind(L"mine.bmp は、このフォルダーに新しいファイルを作成できないため、元のファイルに直接書き込みます。", 0), 0u);
    EXPECT_EQ(ReadFileBytes(mine), "mine, to be replaced\n");
    zt::WarningCatcher catcher;
    catcher.answerYes = true;
    EXPECT_TRUE(w.view->SavePicture(mine.c_str(), L"mine.bmp"));
    EXPECT_EQ(catcher.Stop(), L"");
    if (const char* full = std::getenv("ZARP_LOCKED_FULL_DIR")) {  // the new picture does not fit
        const std::wstring small = Widen(full) + L"\\small.bmp";
        zt::WarningCatcher yes;
        yes.answerYes = true;
        EXPECT_FALSE(w.view->SavePicture(small.c_str(), L"small.bmp"));
        EXPECT_EQ(yes.Stop(), L"small.bmp に書き込めません。ディスクの空き容量が不足しています。\n元のファイルはそのまま残っています。");
        EXPECT_EQ(ReadFileBytes(small), "small, keep me whole\n");
    }
    const auto bytes = ReadFileBytes(mine);
    ASSERT_EQ(bytes.size(), kShotFileBytes);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_TRUE(Leftovers(dir).empty());

    const std::wstring startDir = dir + L"\\start";
    w.view->m_strInitDir = startDir.c_str();
    w.view->m_strWork = out.c_str();
    EXPECT_TRUE(w.view->WriteSettings());
    const auto settings = ReadFileBytes(startDir + L"\\zp.x");
    EXPECT_EQ(settings,
              "[ InitDir ] =\r\n" + std::string(out.begin(), out.end()) + "\r\n");
    EXPECT_TRUE(::GetFileAttributesW((startDir + L"\\zp.x").c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(Leftovers(startDir).empty());
}

// Any path the dialog accepts can be written, even where the temporary file's name
// passes MAX_PATH or the longest name a component may have; a temporary file left by an
// interrupted save is cleared first, and what is not a leftover at the temporary name (a
// folder, a file of the user's, a file another save still holds) is stepped around.
TEST_F(SaveFixture, LongPathsAndLeftoversStillSave) {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring base = std::wstring(temp) + L"zarp-long";
    ::CreateDirectoryW(base.c_str(), nullptr);
    const auto tempOf = [this](const wchar_t* name) { return zarp::TempNameOf(out + L"\\" + name); };
    const std::wstring leftover = tempOf(L"left.bmp"), settingsTemp = tempOf(L"zp.x");
    const std::wstring longName = std::wstring(246, L'n') + L".bmp";
    struct Case {
        const char* what;
        std::wstring dir, name;
    } cases[] = {
        {"a folder of 255 characters", FolderOfLength(base, 255), L"a.b"},
        {"again, over the file just written", FolderOfLength(base, 255), L"a.b"},
        {"a folder of 250 characters", FolderOfLength(base, 250), L"ab.bmp"},
        {"a name of 250 characters in a drive's root", L"C:", longName},
        {"a leftover beside the target", out, L"left.bmp"},
        {"a folder at the temporary name", out, L"blocked.bmp"},
        {"a temporary file another save holds open", out, L"busy.bmp"},
        {"a file of the user's at the temporary name", out, L"mine.bmp"},
        {"the settings file's temporary name taken by a picture", out, settingsTemp.substr(out.size() + 1)},
    };
    WriteFileBytes(leftover, "BM half a picture");
    ::SetFileAttributesW(leftover.c_str(), FILE_ATTRIBUTE_READONLY);
    const std::wstring mine = tempOf(L"mine.bmp"), blocked = tempOf(L"blocked.bmp"), busy = tempOf(L"busy.bmp");
    WriteFileBytes(mine, "the user's own");
    ::CreateDirectoryW(blocked.c_str(), nullptr);
    WriteFileBytes(busy, "another save's half");
    HANDLE held = ::CreateFileW(busy.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring target = c.dir + L"\\" + c.name;
        ASSERT_LT(target.size(), (size_t)MAX_PATH);
        zt::WarningCatcher catcher;
        EXPECT_TRUE(w.view->SavePicture(target.c_str(), c.name.c_str()));
        EXPECT_EQ(catcher.Stop(), L"");
        EXPECT_EQ(ReadFileBytes(target).size(), kShotFileBytes);
        std::vector<std::wstring> left = Leftovers(c.dir);
        if (c.dir == out) left.erase(std::remove_if(left.begin(), left.end(), [&](const std::wstring& f) {
            const std::wstring path = out + L"\\" + f;
            return path == blocked || path == busy || path == mine || path == settingsTemp;
        }), left.end());
        EXPECT_TRUE(left.empty()) << (left.empty() ? "" : std::string(left[0].begin(), left[0].end()));
        EXPECT_EQ(w.view->m_strWork, CString(c.dir.c_str()));
    }
    // The picture saved under the settings file's temporary name survives the settings
    // file's rewrite (with the start folder as the out folder).
    w.view->m_strInitDir = out.c_str();
    EXPECT_TRUE(w.view->WriteSettings());
    EXPECT_EQ(ReadFileBytes(settingsTemp).size(), kShotFileBytes);
    EXPECT_EQ(ReadFileBytes(mine), "the user's own");
    ::DeleteFileW(mine.c_str());
    ::DeleteFileW(settingsTemp.c_str());
    ::SetFileAttributesW((out + L"\\zp.x").c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW((out + L"\\zp.x").c_str());
    ::CloseHandle(held);
    EXPECT_EQ(ReadFileBytes(busy).size(), 19u);  // the other save's file is its own
    ::DeleteFileW(busy.c_str());
    ::RemoveDirectoryW(blocked.c_str());
    ::DeleteFileW((L"C:\\" + longName).c_str());
}

// Writing in bands through one buffer gives the bytes of the whole packed DIB written
// after its file header, for odd widths, partial last bands and one-row bands; on a
// palette display too (tests/win32/palette_display.sh runs this test there).
TEST(BmpBands, SameBytesAsTheWholePackedDib) {
    struct Case {
        int cx, cy;
        SIZE_T bandBytes;
    } cases[] = {
        {1, 1, CBmpBandWriter::kBandBytes}, {3, 5, 1}, {121, 90, 1000}, {1001, 7, 1},
        {64, 300, CBmpBandWriter::kBandBytes}, {700, 500, 64 * 1024},
    };
    std::mt19937 random(7);
    HWND desktop = ::GetDesktopWindow();
    wchar_t tempDir[MAX_PATH];
    ::GetTempPathW(MAX_PATH, tempDir);
    const std::wstring file = std::wstring(tempDir) + L"zarp-bands.bmp";
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cx << "x" << c.cy << " band " << c.bandBytes);
        CBitmap bmp;
        {
            CClientDC screen(nullptr);
            ASSERT_TRUE(bmp.Attach(::CreateCompatibleBitmap(screen, c.cx, c.cy)));
            // Random pixels, the fourth byte of each included.
            std::vector<uint32_t> px((size_t)c.cx * c.cy);
            for (auto& p : px) p = random();
            BITMAPINFO bi{};
            bi.bmiHeader = {sizeof(BITMAPINFOHEADER), c.cx, -c.cy, 1, 32, BI_RGB};
            ::SetDIBits(screen, bmp, 0, c.cy, px.data(), &bi, DIB_RGB_COLORS);
        }
        CDibUtil util;
        // The file of the packed DIB: its 14-byte file header by the platform-free rules,
        // then the block as it is.
        CGlobalMem dib = util.BitmapToDib(bmp, desktop);
        ASSERT_NE(dib.Get(), nullptr);
        CGlobalLock block(dib.Get());
        zarp::DibHeader stored;
        std::memcpy(&stored, block.Get(), sizeof stored);
        const auto fileHeader = zarp::MakeBmpFileHeader(stored, zarp::FixUpHeader(stored));
        std::vector<uint8_t> whole(fileHeader.begin(), fileHeader.end());
        const auto* bytes = static_cast<const uint8_t*>(block.Get());
        whole.insert(whole.end(), bytes, bytes + zarp::PackedDibLength(zarp::FixUpHeader(stored)));
        CBmpBandWriter writer;
        ASSERT_EQ(writer.PrepareBands(bmp, c.cx, c.cy, desktop, c.bandBytes), 0u);
        if (c.bandBytes < 1000) {
            EXPECT_EQ(writer.BandRows(), 1);  // a band of one row when not even a row fits
        }
        HANDLE h = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        EXPECT_EQ(writer.Write(h), 0u);
        ::CloseHandle(h);
        const auto banded = ReadFileBytes(file);
        ASSERT_GT(whole.size(), 54u);
        EXPECT_TRUE(std::vector<uint8_t>(banded.begin(), banded.end()) == whole) << banded.size() << " bytes against " << whole.size();
    }
    ::DeleteFileW(file.c_str());
}
