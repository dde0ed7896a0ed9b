// Save As: the save dialog, the read-only refusal, the remembered folder and a BMP
// file written so that a failure never destroys the file that was there.
#include "../view/ZarpView.h"
#include "DibUtil.h"
#include "path_split.h"

namespace {
const wchar_t kFilter[] = L"ﾋﾞｯﾄﾏｯﾌﾟｲﾒｰｼﾞ (*.bmp)|*.bmp||";
const wchar_t kCannotWrite[] = L" に書き込めません。読取専用か、または使用中です。";
const wchar_t kWarning[] = L"警告";

// Writes the whole file beside the target, then puts it in the target's place.
bool WriteBmpReplacing(const CString& path, const CString& dir, HGLOBAL hDib) {
    wchar_t temp[MAX_PATH * 2];
    CString folder = dir.IsEmpty() ? CString(L".") : dir;
    if (!::GetTempFileNameW(folder, L"zrp", 0, temp)) return false;
    HANDLE h = ::CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        ::DeleteFileW(temp);
        return false;
    }
    bool ok = CDibUtil::WriteBmpFile(h, hDib);
    ok = ::CloseHandle(h) && ok;
    if (ok) ok = ::MoveFileExW(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    if (!ok) ::DeleteFileW(temp);
    return ok;
}
}  // namespace

void CZarpView::OnFileSaveAs() {
    CFileDialog dlg(false, L"bmp", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kFilter);
    dlg.m_ofn.lpstrInitialDir = m_strWork;
    if (dlg.DoModal() != IDOK) return;
    CString path = dlg.GetPathName();
    if (path.IsEmpty()) return;
    SavePicture(path, dlg.GetFileName());
}

bool CZarpView::SavePicture(const CString& path, const CString& fileName) {
    CFileStatus status;
    if (CFile::GetStatus(path, status) && (status.m_attribute & CFile::readOnly)) {
        MessageBox(fileName + kCannotWrite, kWarning, MB_ICONEXCLAMATION | MB_OK);
        return false;
    }
    CDibUtil util;
    util.SplitPath(path);
    m_strWork = zarp::FolderOfDir(util.m_strDir.str());
    WriteSettings();

    bool ok = ExtractRange();
    HGLOBAL hDib = ok ? util.BitmapToDib(m_bmpWork, m_hWnd) : nullptr;
    ok = hDib && WriteBmpReplacing(path, util.m_strDir, hDib);
    if (hDib) ::GlobalFree(hDib);
    // A file that could not be written in full gets the same warning: its wording
    // already names a file that is read-only or in use.
    if (!ok) MessageBox(fileName + kCannotWrite, kWarning, MB_ICONEXCLAMATION | MB_OK);
    return ok;
}
