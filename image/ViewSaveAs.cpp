// Save As: the save dialog in a folder it can open with the type of the last save, the
// name that decides the format, the read-only refusal, the picture written so that a
// failure never destroys the file that was there and is told with its real cause, and
// the remembered folder.
#include "../view/ZarpView.h"
#include "../framework/waitcursor.h"
#include "DibUtil.h"
#include "ImageFormats.h"
#include "SafeSave.h"
#include "path_split.h"

namespace {
// "name|pattern|..." of every format, in the table's order.
std::wstring Filter() {
    std::wstring filter;
    for (const ImageFormat& f : ImageFormats()) filter += f.typeText + std::wstring(L"|*.") + f.extension + L"|";
    return filter + L"|";
}

// The system's own words for an error, without the line end it comes with.
CString SystemMessage(DWORD err) {
    wchar_t* text = nullptr;
    ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, err, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring s = text ? text : L"";
    if (text) ::LocalFree(text);
    while (!s.empty() && (s.back() == L'\r' || s.back() == L'\n' || s.back() == L' ')) s.pop_back();
    if (s.empty()) {
        wchar_t code[16];
        wsprintfW(code, err >= 0x10000 ? L"(0x%08X)" : L"(%u)", err);
        s = code;
    }
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
    case kErrorNoImagingComponent:
        return fileName + L" に書き込めません。PNG の書き出しに必要な Windows Imaging Component を使用できません。";
    default:
        return fileName + L" に書き込めません。" + SystemMessage(err);
    }
}
}  // namespace

void CZarpView::OnFileSaveAs() {
    if (OutputRect().IsRectEmpty()) return;  // nothing to save: no dialog, no file, no zp.x
    const std::wstring filter = Filter();
    const std::vector<std::wstring> extensions = ImageExtensions();
    CFileDialog dlg(false, extensions[0].c_str(), nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, filter.c_str());
    dlg.m_ofn.nFilterIndex = (DWORD)m_nSaveType;
    // A remembered folder that does not exist, is too long for the dialog or names a
    // device would make the dialog fail: the start folder stands in for it.
    std::wstring folder = zarp::UsableFolder(m_strWork.str());
    if (folder.empty()) folder = zarp::UsableFolder(m_strInitDir.str());
    dlg.m_ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    if (dlg.DoModal() != IDOK) return;
    if (dlg.GetPathName().IsEmpty()) return;
    // The name decides the format; a name of no format's gets the chosen type's extension
    // (whatever the dialog did with it), and a file at that new name is asked about.
    const size_t chosen = dlg.m_ofn.nFilterIndex >= 1 && dlg.m_ofn.nFilterIndex <= extensions.size()
                              ? dlg.m_ofn.nFilterIndex - 1 : 0;
    const zarp::NameAndFormat named = zarp::FormatForName(dlg.GetPathName().str(), extensions, chosen);
    const CString path(named.path.c_str());
    const CString fileName(named.path.substr(named.path.find_last_of(L"\\/") + 1).c_str());
    CFileStatus status;
    if (named.path != dlg.GetPathName().str() && CFile::GetStatus(path, status) &&
        MessageBox(fileName + L" は既に存在します。\n上書きしますか?", L"名前を付けて保存",
                   MB_ICONEXCLAMATION | MB_YESNO | MB_DEFBUTTON2) != IDYES)
        return;
    if (SavePicture(path, fileName)) m_nSaveType = (int)named.format + 1;
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
    // A name of a format's is written in it; anything else (a name the dialog did not
    // give) as the first format, BMP.
    const auto& formats = ImageFormats();
    const ImageFormat& format = formats[zarp::FormatForName(path.str(), ImageExtensions(), 0).format];

    // The picture and what the writer needs come first: when memory runs out, no file
    // has been touched.
    DWORD err = 0;
    const std::unique_ptr<CImageWriter> writer = format.makeWriter();
    ::SetLastError(0);
    if (!ExtractRange()) {
        err = ::GetLastError();
        if (err == 0) err = ERROR_NOT_ENOUGH_MEMORY;  // the output bitmap could not be made
    } else if (!(err = writer->Prepare(m_bmpWork, output.Width(), output.Height(), m_hWnd))) {
        err = zarp::SaveReplacing(path.str(), [&writer](HANDLE h) { return writer->Write(h); }, format.saveOptions());
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
