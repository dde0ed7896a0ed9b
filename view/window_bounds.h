// Where a top-level window is on the screen, as the user sees it. On Windows 10/11 a
// window's outer rectangle includes invisible resize borders (about 7 pixels at 100 %
// on the left, right and bottom); the desktop window manager knows the visible frame.
#pragma once
#include <windows.h>

namespace zarp {

// Asks for a window's visible frame in screen pixels; S_OK with the rectangle, or a
// failure code (no desktop window manager, or it cannot tell).
using FrameBoundsQuery = HRESULT (*)(HWND hWnd, RECT* pBounds);

// The visible bounds of a top-level window in screen pixels: the desktop window
// manager's frame when it answers with a non-empty rectangle, else the window rectangle.
void GetVisibleWindowBounds(HWND hWnd, RECT* pBounds);

// Replaces the frame query (null restores the desktop window manager's); returns the
// previous one.
FrameBoundsQuery SetFrameBoundsQueryForTesting(FrameBoundsQuery query);

// The virtual screen: the rectangle that holds every monitor, in the coordinates of
// the display's device context (the primary monitor's top-left is 0,0; monitors left
// of or above it have negative coordinates).
RECT VirtualScreen();
// Makes VirtualScreen answer *pScreen (null: the system's again).
void SetVirtualScreenForTesting(const RECT* pScreen);

}  // namespace zarp
