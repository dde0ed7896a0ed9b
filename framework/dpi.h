// The dots per inch a window is shown at. Windows 10 (1607 and later) answers per
// window, so a window on a second monitor may differ from the sign-in DPI; older
// systems have one DPI for the whole session.
#pragma once
#include <windows.h>

namespace afx {

// The window's DPI, or the screen's when the system cannot tell per window.
int WindowDpi(HWND hWnd);

}  // namespace afx
