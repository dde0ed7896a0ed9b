// Between the platform's rectangles and points and the platform-free ones of
// zoom_math.h: one place for the conversion, field for field.
#pragma once
#include <windows.h>
#include "zoom_math.h"

namespace zarp {

inline IRect ToIRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
inline RECT ToRect(const IRect& r) { return {r.left, r.top, r.right, r.bottom}; }
inline IPoint ToIPoint(const POINT& p) { return {p.x, p.y}; }
inline POINT ToPoint(const IPoint& p) { return {p.x, p.y}; }

}  // namespace zarp
