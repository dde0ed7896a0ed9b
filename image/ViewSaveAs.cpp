// Save As: the save dialog in a folder it can open with the type of the last save, the
// name that decides the format, the read-only refusal, the picture written so that a
// failure never destroys the file that was there and is told with its real cause, and
// the remembered folder.
#include "../view/ZarpView.h"
#include "../framework/busy.h"
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
    case zarp::kErrorSaveStillRunning:
        return fileName + L" に書き込めません。別の Zarp がこのファイルを保存していて、まだ終わっていません。";
    case zarp::kErrorNoTemporaryName:
        return fileName + L" に書き込めません。同じフォルダーにある一時ファイル (*.zarp.tmp) の名前がすべて使われています。";
    case zarp::kErrorCannotKeepAccessRules:
        return fileName + L" に書き込めません。元のファイルのアクセス許可を新しいファイルに設定できません。"
                          L"元のファイルはそのまま残っています。";
    case zarp::kErrorCannotKeepEncryption:
        return fileName + L" に書き込めません。元のファイルは暗号化されていますが、新しいファイルを暗号化できません。"
                          L"元のファイルはそのまま残っています。";
    case zarp::kErrorFolderNotReusable:
        return fileName + L" に書き込めません。保存先のフォルダーは、次回の保存ダイアログで開けない場所です。";
    case ERROR_NOT_SUPPORTED:
        return fileName + L" に書き込めません。ファイルではありません (フォルダーまたはリンクです)。";
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
    const CString fileName(zarp::NameOf(named.path).c_str());
    // Asked about what the save would write: where a link leads, in its long form.
    if (named.path != dlg.GetPathName().str() && zarp::ResolveSaveTarget(named.path).exists &&
        MessageBox(fileName + L" は既に存在します。\n上書きしますか?", L"名前を付けて保存",
                   MB_ICONEXCLAMATION | MB_YESNO | MB_DEFBUTTON2) != IDYES)
        return;
    if (SavePicture(path, fileName)) m_nSaveType = (int)named.format + 1;
}

namespace {
const afx::CBusyJob::Texts kSaveTexts = {
    L"Zarp",
    {L"保存しています…", L"別の Zarp が同じファイルを保存しています…"},
    L"ｷｬﾝｾﾙ",
    L"画像を保存しています。",
};
}  // namespace

bool CZarpView::SavePicture(const CString& path, const CString& fileName) {
    const CRect output = OutputRect();
    if (output.IsRectEmpty()) return false;
    // Decided on the file the save writes: a link to a read-only file is refused too.
    const zarp::SaveTarget target = zarp::ResolveSaveTarget(path.str());
    if (!target.error && target.exists && (target.attributes & FILE_ATTRIBUTE_READONLY)) {
        Warn(FailureText(fileName, ERROR_WRITE_PROTECT));  // the read-only text
        return false;
    }
    CWaitCursor wait;
    CDibUtil util;
    util.SplitPath(path);
    // A name of a format's is written in it; anything else (a name the dialog did not
    // give) as the first format, BMP.
    const auto& formats = ImageFormats();
    const ImageFormat& format = formats[zarp::FormatForName(path.str(), ImageExtensions(), 0).format];

    // The picture and what the writer needs come first: when memory runs out, no file
    // has been touched.
    const std::unique_ptr<CImageWriter> writer = format.makeWriter();
    ::SetLastError(0);
    if (!ExtractRange()) {
        const DWORD err = ::GetLastError();
        Warn(FailureText(fileName, err ? err : ERROR_NOT_ENOUGH_MEMORY));  // the output bitmap could not be made
        return false;
    }
    if (DWORD err = writer->Prepare(m_bmpWork, output.Width(), output.Height(), m_hWnd)) {
        Warn(FailureText(fileName, err));
        return false;
    }
    // The folder is remembered after the picture is saved: the picture matters more,
    // and a settings file that cannot be written never costs it.
    const CString previousWork = m_strWork;
    m_strWork = zarp::FolderOfDir(util.m_strDir.str());
    // The writes and every wait run beside the window, which keeps answering; the
    // frame takes no input meanwhile, so nothing else starts.
    DWORD err = 0, settingsErr = 0;
    bool oldFileLost = false;
    const auto save = [&](bool inPlace) {
        return afx::CBusyJob::Run(::GetAncestor(m_hWnd, GA_ROOT), kSaveTexts, [&](afx::CBusyJob& job) {
            zarp::SaveControl control;
            control.cancel = job.CancelEvent();
            control.cancelled = &job.CancelFlag();
            control.lockWaitMs = INFINITE;  // as long as the user lets it: the progress window cancels
            control.onLockWait = [&job](bool waiting) { job.SetStage(waiting ? 1 : 0); };
            control.writeInPlace = inPlace;
            err = zarp::SaveReplacing(path.str(), [&writer](HANDLE h) { return writer->Write(h); },
                                      format.saveOptions(), &control);
            oldFileLost = control.oldFileLost;
            if (err == ERROR_CANCELLED || err == zarp::kErrorWriteInPlaceNeeded) return err;
            control.writeInPlace = false;
            WriteSettings(&settingsErr, &control);
            return err;
        });
    };
    if (DWORD failed = save(false)) err = failed;
    if (err == zarp::kErrorWriteInPlaceNeeded) {
        // The folder takes no new file, but the file itself may be written: where it
        // stands, and a failure midway would lose it, so the user decides.
        if (MessageBox(fileName + L" は、このフォルダーに新しいファイルを作成できないため、元のファイルに直接書き込みます。"
                                  L"書き込み中にエラーが発生すると、元のファイルは失われます。\n上書きしますか?",
                       L"名前を付けて保存", MB_ICONEXCLAMATION | MB_YESNO | MB_DEFBUTTON2) != IDYES) {
            m_strWork = previousWork;
            return false;
        }
        err = 0;
        if (DWORD failed = save(true)) err = failed;
        if (err && !oldFileLost && err != ERROR_CANCELLED) {
            Warn(FailureText(fileName, err) + L"\n元のファイルはそのまま残っています。");
            return false;
        }
    }
    if (err == ERROR_CANCELLED) {  // the user's choice, or the session's end: the old file is whole
        m_strWork = previousWork;
        return false;
    }
    if (err && oldFileLost)
        Warn(FailureText(fileName, err) + L"\n書き込みの途中で失敗したため、元のファイルは失われました。");
    else if (err)
        Warn(FailureText(fileName, err));
    else if (settingsErr)
        Warn(L"画像は保存しましたが、保存先のフォルダーを次回のために記憶できません。" + FailureText(L"zp.x", settingsErr));
    return err == 0;
}
