"""A small anti-aliased RGBA canvas and the file writers for pictures with alpha.

Shapes are given by signed distance functions (negative inside, in pixels), so a
pixel's coverage is clamp(0.5 - distance): edges that lie on pixel boundaries stay
crisp, curves and slants get smooth edges. Only the Python standard library is used,
and the results are the same byte for byte on every run.
"""

import math
import struct
import zlib


# ---------------------------------------------------------------------------
# Shapes: each has a bounding box (x0, y0, x1, y1) and a distance function of a
# point (the centre of a pixel is at x + 0.5, y + 0.5).
# ---------------------------------------------------------------------------

class Shape:
    def __init__(self, box, dist):
        self.box = box
        self.dist = dist

    def ring(self, width):
        """The band of the given width just inside the shape's edge."""
        d = self.dist
        return Shape(self.box, lambda x, y: max(d(x, y), -d(x, y) - width))

    def intersect(self, other):
        d, e = self.dist, other.dist
        return Shape(self.box, lambda x, y: max(d(x, y), e(x, y)))


def rect(x0, y0, x1, y1, radius=0.0):
    """The rectangle between the edges x0..x1 and y0..y1, corners rounded by radius."""
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius

    def dist(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius

    return Shape((x0, y0, x1, y1), dist)


def disc(cx, cy, r):
    return Shape((cx - r, cy - r, cx + r, cy + r), lambda x, y: math.hypot(x - cx, y - cy) - r)


def polygon(points):
    """A simple polygon (corners in order, either direction)."""
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    edges = list(zip(points, points[1:] + points[:1]))

    def dist(x, y):
        best = float('inf')
        inside = False
        for (ax, ay), (bx, by) in edges:
            ex, ey = bx - ax, by - ay
            t = ((x - ax) * ex + (y - ay) * ey) / (ex * ex + ey * ey)
            t = min(max(t, 0.0), 1.0)
            best = min(best, math.hypot(x - ax - t * ex, y - ay - t * ey))
            if (ay > y) != (by > y) and x < ax + (y - ay) * ex / ey:
                inside = not inside
        return -best if inside else best

    return Shape((min(xs), min(ys), max(xs), max(ys)), dist)


# ---------------------------------------------------------------------------
# The canvas: straight (not premultiplied) RGBA, 0..255 floats while drawing.
# ---------------------------------------------------------------------------

class Canvas:
    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.px = [[(0.0, 0.0, 0.0, 0.0)] * width for _ in range(height)]

    def blend(self, x, y, colour, alpha):
        """Paints colour over pixel (x, y) with the given opacity (0..1)."""
        if alpha <= 0.0 or not (0 <= x < self.width and 0 <= y < self.height):
            return
        r, g, b = colour
        dr, dg, db, da = self.px[y][x]
        da /= 255.0
        out = alpha + da * (1.0 - alpha)
        if out <= 0.0:
            return
        k = da * (1.0 - alpha)
        self.px[y][x] = ((r * alpha + dr * k) / out, (g * alpha + dg * k) / out,
                         (b * alpha + db * k) / out, out * 255.0)

    def fill(self, shape, colour, opacity=1.0):
        """Paints the shape. colour is (r, g, b) or a function of the pixel (x, y)."""
        x0, y0, x1, y1 = shape.box
        for y in range(max(0, int(math.floor(y0)) - 1), min(self.height, int(math.ceil(y1)) + 1)):
            for x in range(max(0, int(math.floor(x0)) - 1), min(self.width, int(math.ceil(x1)) + 1)):
                cover = min(max(0.5 - shape.dist(x + 0.5, y + 0.5), 0.0), 1.0)
                if cover > 0.0:
                    c = colour(x, y) if callable(colour) else colour
                    self.blend(x, y, c, cover * opacity)

    def outlined(self, shape, colour, outline, width):
        """The shape filled, with a band of the given width along its edge."""
        self.fill(shape, colour)
        self.fill(shape.ring(width), outline)

    def grid(self, x0, y0, text, colour):
        """Paints the '#' cells of a character grid, one pixel each."""
        for dy, line in enumerate(text.strip('\n').split('\n')):
            for dx, ch in enumerate(line.strip()):
                if ch == '#':
                    self.blend(x0 + dx, y0 + dy, colour, 1.0)

    def paste(self, other, x0, y0):
        for y in range(other.height):
            self.px[y0 + y][x0:x0 + other.width] = other.px[y]

    def rgba_rows(self):
        """Rows of (r, g, b, a) bytes, top row first."""
        return [[tuple(int(round(min(max(v, 0.0), 255.0))) for v in p) for p in row]
                for row in self.px]


def vertical_gradient(top, bottom, y0, y1):
    """A colour function running from top at edge y0 to bottom at edge y1."""
    def colour(x, y):
        t = min(max((y + 0.5 - y0) / max(y1 - y0, 1e-9), 0.0), 1.0)
        return tuple(a + (b - a) * t for a, b in zip(top, bottom))
    return colour


# ---------------------------------------------------------------------------
# Writers
# ---------------------------------------------------------------------------

def bmp_32bpp(rows):
    """A Windows BMP file, 32 bits per pixel with straight alpha, bottom-up."""
    height = len(rows)
    width = len(rows[0])
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 32, 0, len(pixels), 0, 0, 0, 0)
    off = 14 + len(info)
    head = struct.pack('<2sIHHI', b'BM', off + len(pixels), 0, 0, off)
    return head + info + bytes(pixels)


def icon_image_32bpp(rows):
    """One image of an .ico: 32-bit colour rows with alpha, then the 1-bit mask
    (set where the pixel is fully transparent), for systems that ignore alpha."""
    h = len(rows)
    w = len(rows[0])
    and_stride = ((w + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(and_stride)
        for x, (r, g, b, a) in enumerate(row):
            xor += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    info = struct.pack('<IiiHHIIiiII', 40, w, 2 * h, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + bytes(xor) + bytes(mask)


def ico_file(entries):
    """An .ico file from (size, bit_count, blob) entries, in the given order."""
    directory = b''
    blobs = b''
    offset = 6 + 16 * len(entries)
    for size, bits, blob in entries:
        directory += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, bits, len(blob), offset)
        blobs += blob
        offset += len(blob)
    return struct.pack('<HHH', 0, 1, len(entries)) + directory + blobs


def _png(width, height, colour_type, raw):
    def chunk(tag, data):
        body = tag + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body) & 0xFFFFFFFF)

    return (b'\x89PNG\r\n\x1a\n'
            + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, colour_type, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(bytes(raw), 9))
            + chunk(b'IEND', b''))


def png_rgba(rows):
    """A PNG file of 8-bit RGBA rows."""
    raw = bytearray()
    for row in rows:
        raw.append(0)
        for p in row:
            raw += bytes(p)
    return _png(len(rows[0]), len(rows), 6, raw)


def png_rgb(rows):
    """A PNG file of 8-bit RGB rows."""
    raw = bytearray()
    for row in rows:
        raw.append(0)
        for r, g, b in row:
            raw += bytes((r, g, b))
    return _png(len(rows[0]), len(rows), 2, raw)
