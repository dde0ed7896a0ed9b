// Zoomed sizes and the rectangle rules of capture and range selection. Platform-free.
#pragma once

namespace zarp {

struct IPoint {
    int x, y;
};

struct IRect {
    int left, top, right, bottom;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    // No area: right <= left or bottom <= top.
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const IRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// percent * length / 100: the product first, truncated, no minimum of one pixel.
// Sizes whose product would overflow 32 bits are computed in 64 bits.
int ZoomedLength(int length, int percent);

// The rectangle spanned by the drag's anchor and the pointer, whatever the direction.
IRect NormaliseDrag(IPoint start, IPoint pointer);

// Clips a client rectangle, side by side, to a zoomed picture of cx * cy scrolled by
// (sx, sy). Left and top only rise, right and bottom only fall, so a drag wholly past
// the picture keeps right < left (an empty range).
IRect ClipToPicture(IRect r, int sx, int sy, int cx, int cy);

// The part of a window's rectangle that lies on the virtual screen, the rectangle that
// holds every monitor (its origin is negative where a monitor stands left of or above
// the primary one). Empty when nothing of the window is on it.
IRect ClipToScreen(IRect window, IRect virtualScreen);

// Where the context menu opens when asked for from the keyboard, in client
// coordinates: at the range's top-left corner (range in picture coordinates, less the
// scroll position) or, without a range, at the client area's top-left corner; always
// inside a client area of clientCx * clientCy.
IPoint KeyboardMenuPoint(IRect range, IPoint scroll, int clientCx, int clientCy);

}  // namespace zarp
