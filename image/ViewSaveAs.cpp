// Save As: the save dialog in a folder it can open, the read-only refusal, the
// remembered folder, and a BMP file written so that a failure never destroys the file
// that was there and is told with its real cause.
#include "../view/ZarpView.h"
#include "../framework/waitcursor.h"
#include "BmpBandWriter.h"
#include "DibUtil.h"
#include "SafeSave.h"
#include "path_split.h"

namespace {
const wchar_t kFilter[] = L"ﾋﾞｯﾄﾏｯﾌﾟｲﾒｰｼﾞ (*.bmp)|*.bmp||";

// The system's own words for an error, without the line end it comes with.
CString SystemMessage(DWORD err) {
    wchar_t* text = nullptr;
    ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, err, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring s = text ? text : L"";
    if (text) ::LocalFree(text);
    while (!s.empty() && (s.back() == L'\r' || s.back() == L'\n' || s.back() == L' ')) s.pop_back();
    if (s.empty()) s = L"(" + std::to_wstring(err) + L")";
    return CString(s);
}

// What the warning box says when fileName could not be saved for the error err.
CString FailureText(const CString& fileName, DWORD err) {
    switch (err) {
    case ERROR_ACCESS_DENIED:  // after the waits: no right to replace it, or held all along
        return fileName + L" に書き込めません。書き込む権限がないか、ほかのプログラムが使用中です。";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:  // the old file is held by another program
        return fileName + L" に書き込めません。読取専用か、または使用中です。";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return fileName + L" に書き込めません。ディスクの空き容量が不足しています。";
    case ERROR_PATH_NOT_FOUND:
        return fileName + L" に書き込めません。フォルダーが見つかりません。";
    case zarp::kErrorFolderRefusesFiles:
        return fileName + L" に書き込めません。このフォルダーには新しいファイルを作成できません。"
                          L"アクセス許可がないか、セキュリティ ソフトウェアが書き込みを禁止しています。";
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return L"メモリが不足しているため、" + fileName + L" を保存できません。";
    default:
        return fileName + L" に書き込めません。" + SystemMessage(err);
    }
}
}  // namespace

void CZarpView::OnFileSaveAs() {
    if (OutputRect().IsRectEmpty()) return;  // nothing to save: no dialog, no file, no zp.x
    CFileDialog dlg(false, L"bmp", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kFilter);
    // A remembered folder that does not exist, is too long for the dialog or names a
    // device would make the dialog fail: the start folder stands in for it.
    std::wstring folder = zarp::UsableFolder(m_strWork.str());
    if (folder.empty()) folder = zarp::UsableFolder(m_strInitDir.str());
    dlg.m_ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    if (dlg.DoModal() != IDOK) return;
    CString path = dlg.GetPathName();
    if (path.IsEmpty()) return;
    SavePicture(path, dlg.GetFileName());
}

bool CZarpView::SavePicture(const CString& path, const CString& fileName) {
    const CRect output = OutputRect();
    if (output.IsRectEmpty()) return false;
    CFileStatus status;
    if (CFile::GetStatus(path, status) && (status.m_attribute & CFile::readOnly)) {
        Warn(FailureText(fileName, ERROR_WRITE_PROTECT));  // the read-only text
        return false;
    }
    // Waits for other programs that hold a file for a moment: the thread handles no
    // message meanwhile.
    CWaitCursor wait;
    CDibUtil util;
    util.SplitPath(path);

    // The picture and the buffer to write it through come first: when memory runs
    // out, no file has been touched.
    DWORD err = 0;
    CBmpBandWriter writer;
    ::SetLastError(0);
    if (!ExtractRange()) {
        err = ::GetLastError();
        if (err == 0) err = ERROR_NOT_ENOUGH_MEMORY;  // the output bitmap could not be made
    } else if (!writer.Prepare(m_bmpWork, output.Width(), output.Height(), m_hWnd)) {
        err = ::GetLastError();
        if (err == 0) err = ERROR_NOT_ENOUGH_MEMORY;
    } else {
        err = zarp::SaveReplacing(path.str(), [&writer](HANDLE h) { return writer.Write(h); },
                                  zarp::PictureSaveOptions());
    }
    // The folder is remembered after the picture is saved: the picture matters more,
    // and a settings file that cannot be written never costs it.
    m_strWork = zarp::FolderOfDir(util.m_strDir.str());
    DWORD settingsErr = 0;
    WriteSettings(&settingsErr);
    if (err)
        Warn(FailureText(fileName, err));
    else if (settingsErr)
        Warn(L"画像は保存しましたが、保存先のフォルダーを次回のために記憶できません。" + FailureText(L"zp.x", settingsErr));
    return err == 0;
}

namespace zarp {
SaveOptions PictureSaveOptions() {
    SaveOptions options;
    options.isLeftover = [](const std::string& head) {
        return BeginsAsBmpFile(reinterpret_cast<const uint8_t*>(head.data()), head.size());
    };
    options.isComplete = [](const std::string& head, uint64_t size) {
        return IsCompleteBmpFile(reinterpret_cast<const uint8_t*>(head.data()), head.size(), size);
    };
    return options;
}
}  // namespace zarp
