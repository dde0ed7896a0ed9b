// The dots per inch a window is shown at. Windows 10 (1607 and later) answers per
// window, so a window on a second monitor may differ from the sign-in DPI; older
// systems have one DPI for the whole session.
#pragma once
#include <windows.h>

namespace afx {

// The window's DPI, or the screen's when the system cannot tell per window.
int WindowDpi(HWND hWnd);

// A system metric (scroll-bar width and the like) as it is at dpi; before Windows 10
// there is one DPI and the plain metric.
int SystemMetricForDpi(int index, int dpi);

// Windows 10 (1703 and later) rescales a dialog and its controls by itself when a
// per-monitor aware window moves to a screen of another DPI. A dialog that lays itself
// out for each DPI turns that off; elsewhere this does nothing.
void KeepDialogLayoutOnDpiChange(HWND hDlg);

}  // namespace afx
