#include "zoom_math.h"
#include <algorithm>
#include <cstdint>

namespace zarp {

int ZoomedLength(int length, int percent) { return (int)((int64_t)percent * length / 100); }

IRect NormaliseDrag(IPoint s, IPoint p) {
    IRect r{};
    if (s.x < p.x) { r.left = s.x; r.right = p.x; } else { r.left = p.x; r.right = s.x; }
    if (s.y < p.y) { r.top = s.y; r.bottom = p.y; } else { r.top = p.y; r.bottom = s.y; }
    return r;
}

IRect ClipToPicture(IRect r, int sx, int sy, int cx, int cy) {
    if (sx + r.left < 0) r.left = -sx;
    if (sy + r.top < 0) r.top = -sy;
    if (sx + r.right > cx) r.right = cx - sx;
    if (sy + r.bottom > cy) r.bottom = cy - sy;
    return r;
}

IRect ClipToScreen(IRect w, IRect screen) {
    const IRect r{std::max(w.left, screen.left), std::max(w.top, screen.top), std::min(w.right, screen.right),
                  std::min(w.bottom, screen.bottom)};
    return r.IsEmpty() ? IRect{0, 0, 0, 0} : r;
}

IPoint KeyboardMenuPoint(IRect range, IPoint scroll, int clientCx, int clientCy) {
    if (range.IsEmpty()) return {0, 0};
    auto inside = [](int64_t v, int length) { return (int)std::clamp<int64_t>(v, 0, length > 1 ? length - 1 : 0); };
    return {inside((int64_t)range.left - scroll.x, clientCx), inside((int64_t)range.top - scroll.y, clientCy)};
}

}  // namespace zarp
