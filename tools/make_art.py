#!/usr/bin/env python3
"""Draw Zarp's resource pictures and write them into res/.

Writes
  res/toolbar.bmp    the tool-bar strip: 21 button pictures of 16 x 15 pixels side
                     by side (336 x 15), 4 bits per pixel, standard 16-colour table
  res/toolbar24.bmp  the same 21 pictures drawn for 24 x 24 buttons (504 x 24) and
  res/toolbar32.bmp  for 32 x 32 buttons (672 x 32): 32 bits per pixel with alpha,
                     for screens of about 150 % and 200 %
  res/zarp.ico       main icon (camera): 32 x 32 at 24 bits per pixel, and 16, 24,
                     48 and 256 pixels with alpha (the 256 one stored as PNG)
  res/doc.ico        document icon (page with a picture on it): the same sizes

Everything is drawn from the tables and shapes below and in art_hidpi.py, so the
output is the same byte for byte on every run. Only the Python standard library is
used.

  python3 tools/make_art.py                      # write into res/ beside tools/
  python3 tools/make_art.py --preview /tmp/art   # also write enlarged PNGs there

The PNG previews are for looking at the pictures; they are never written into res/.
"""

import argparse
import os
import struct
import sys

import art_canvas
import art_hidpi

# ---------------------------------------------------------------------------
# The 16-colour table of the tool-bar bitmap, in the order every 16-colour
# Windows bitmap uses. The tool bar maps light grey (index 7) to the button
# face colour, so it is the background of every picture.
# ---------------------------------------------------------------------------

VGA16 = [
    (0x00, 0x00, 0x00),  # 0 black
    (0x80, 0x00, 0x00),  # 1 dark red
    (0x00, 0x80, 0x00),  # 2 dark green
    (0x80, 0x80, 0x00),  # 3 dark yellow
    (0x00, 0x00, 0x80),  # 4 dark blue
    (0x80, 0x00, 0x80),  # 5 dark magenta
    (0x00, 0x80, 0x80),  # 6 dark cyan
    (0xC0, 0xC0, 0xC0),  # 7 light grey (button face)
    (0x80, 0x80, 0x80),  # 8 dark grey
    (0xFF, 0x00, 0x00),  # 9 red
    (0x00, 0xFF, 0x00),  # 10 green
    (0xFF, 0xFF, 0x00),  # 11 yellow
    (0x00, 0x00, 0xFF),  # 12 blue
    (0xFF, 0x00, 0xFF),  # 13 magenta
    (0x00, 0xFF, 0xFF),  # 14 cyan
    (0xFF, 0xFF, 0xFF),  # 15 white
]

FACE = 7

# One character per pixel in the picture grids below.
CHAR_INDEX = {
    '.': FACE,  # button face
    'K': 0, 'r': 1, 'g': 2, 'y': 3, 'b': 4, 'm': 5, 'c': 6,
    'd': 8, 'R': 9, 'G': 10, 'Y': 11, 'B': 12, 'M': 13, 'C': 14, 'W': 15,
}

BUTTON_W = 16
BUTTON_H = 15
BUTTON_COUNT = 21

# ---------------------------------------------------------------------------
# Tool-bar pictures. Each is 15 rows of 16 characters, top row first.
# ---------------------------------------------------------------------------

SAVE = """
................
.KKKKKKKKKKKKKK.
.KbKWWWWWWWWKbK.
.KbKWddddddWKbK.
.KbKWWWWWWWWKbK.
.KbKWddddddWKbK.
.KbKWWWWWWWWKbK.
.KbbKKKKKKKKbbK.
.KbbbbbbbbbbbbK.
.KbbKKKKKKKKbbK.
.KbbKWdWWWWKbbK.
.KbbKWdWWWWKbbK.
.KbbKWdWWWWKbbK.
..KKKKKKKKKKKKK.
................
"""

COPY = """
.KKKKKK.........
.KWWWWKK........
.KWbbWKWK.......
.KWWWWKKKK......
.KWbbbbbWK......
.KWWWKKKKKKK....
.KWbbKWWWWWKK...
.KWWWKWbbbWKWK..
.KWbbKWWWWWKKKK.
.KWWWKWbbbbbbWK.
.KWbbKWWWWWWWWK.
.KKKKKWbbbbbbWK.
.....KWWWWWWWWK.
.....KWbbbbbbWK.
.....KKKKKKKKKK.
"""

SCREEN = """
................
.KKKKKKKKKKKKKK.
.K............K.
.K.dddddddddd.K.
.K.dCBBBBBBBW.K.
.K.dCCBBBBBBW.K.
.K.dBBBBBBBBW.K.
.K.dBBBBBBBBW.K.
.K.dBBBBBBBBW.K.
.K.dWWWWWWWWW.K.
.K..........G.K.
.KKKKKKKKKKKKKK.
......KddK......
....KKKKKKKK....
................
"""

ACTIVE = """
................
.....KKKKKKKKKK.
.....KddddddddK.
.....KKKKKKKKKK.
.KKKKKKKKKKWWWK.
.KbbbbbbbbKWWWK.
.KbbbbbbbbKWWWK.
.KKKKKKKKKKWWWK.
.KWWWWWWWWKWWWK.
.KWWWWWWWWKKKKK.
.KWWWWWWWWK.....
.KWWWWWWWWK.....
.KWWWWWWWWK.....
.KKKKKKKKKK.....
................
"""

RANGE = """
................
.KK.KK.KK.KK....
.K.........K....
................
.K.........K....
.K..............
...........K....
.K.....K........
.K.....KK..K....
.......KWK......
.K.....KWWK.....
.KK.KK.KWWWK....
.......KWWWWK...
.......KWKKKK...
.......KK.......
"""

ABOUT = """
.....KKKKK......
...KKBBBBBKK....
..KBBBBBBBBBK...
.KBBBWWWWWBBBK..
.KBBWWBBBWWBBK..
KBBBBBBBBWWBBBK.
KBBBBBBBWWBBBBK.
KBBBBBBWWBBBBBK.
KBBBBBBWWBBBBBK.
KBBBBBBBBBBBBBK.
.KBBBBBWWBBBBK..
.KBBBBBWWBBBBK..
..KBBBBBBBBBK...
...KKBBBBBKK....
.....KKKKK......
"""

# Digits for the wait buttons: 7 rows each; "1" is narrower than the rest.
DIGITS = {
    '0': [".KK.", "K..K", "K..K", "K..K", "K..K", "K..K", ".KK."],
    '1': [".K.", "KK.", ".K.", ".K.", ".K.", ".K.", "KKK"],
    '2': [".KK.", "K..K", "...K", "..K.", ".K..", "K...", "KKKK"],
    '3': ["KKK.", "...K", "...K", ".KK.", "...K", "...K", "KKK."],
    '4': ["..K.", ".KK.", "K.K.", "K.K.", "KKKK", "..K.", "..K."],
    '5': ["KKKK", "K...", "KKK.", "...K", "...K", "K..K", ".KK."],
    '6': [".KK.", "K...", "KKK.", "K..K", "K..K", "K..K", ".KK."],
    '7': ["KKKK", "...K", "..K.", "..K.", ".K..", ".K..", ".K.."],
    '8': [".KK.", "K..K", "K..K", ".KK.", "K..K", "K..K", ".KK."],
    '9': [".KK.", "K..K", "K..K", ".KKK", "...K", "...K", ".KK."],
}


def parse_grid(text, name):
    """Turn a picture grid into rows of colour indices, checking its size."""
    rows = text.strip('\n').split('\n')
    if len(rows) != BUTTON_H:
        raise ValueError('%s: %d rows, expected %d' % (name, len(rows), BUTTON_H))
    out = []
    for y, line in enumerate(rows):
        if len(line) != BUTTON_W:
            raise ValueError('%s row %d: %d columns, expected %d'
                             % (name, y, len(line), BUTTON_W))
        try:
            out.append([CHAR_INDEX[ch] for ch in line])
        except KeyError as e:
            raise ValueError('%s row %d: unknown colour %s' % (name, y, e))
    return out


def wait_picture(seconds):
    """A stopwatch whose white face shows the number of seconds."""
    px = [[FACE] * BUTTON_W for _ in range(BUTTON_H)]
    # Face of 14 pixels across, rows 1..14, columns 1..14: an even width, so
    # the 4-pixel digits and the 8-pixel two-digit numbers sit exactly centred.
    cx, cy, r2 = 7.5, 7.5, 7.3 * 7.3

    def inside(x, y):
        return (x - cx) ** 2 + (y - cy) ** 2 <= r2

    for y in range(BUTTON_H):
        for x in range(BUTTON_W):
            if not inside(x, y):
                continue
            edge = not all(inside(x + dx, y + dy)
                           for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            px[y][x] = 0 if edge else 15
    # The winding knob on top.
    for x in (6, 7, 8, 9):
        px[0][x] = 0

    glyphs = [DIGITS[ch] for ch in str(seconds)]
    width = sum(len(g[0]) for g in glyphs) + len(glyphs) - 1
    x0 = int(cx + 0.5) - width // 2
    y0 = 4
    for g in glyphs:
        for dy, line in enumerate(g):
            for dx, ch in enumerate(line):
                if ch != '.':
                    px[y0 + dy][x0 + dx] = CHAR_INDEX[ch]
        x0 += len(g[0]) + 1
    return px


def toolbar_pictures():
    """The 21 button pictures in tool-bar order: Save As, Copy, capture the
    screen, capture the active window, range, the waits 1 to 15 seconds, About.
    The tool-bar resource lists its buttons in this same order."""
    pics = [
        parse_grid(SAVE, 'save'),
        parse_grid(COPY, 'copy'),
        parse_grid(SCREEN, 'screen'),
        parse_grid(ACTIVE, 'active window'),
        parse_grid(RANGE, 'range'),
    ]
    pics += [wait_picture(s) for s in range(1, 16)]
    pics.append(parse_grid(ABOUT, 'about'))
    assert len(pics) == BUTTON_COUNT
    return pics


def toolbar_strip():
    """All pictures side by side: rows of palette indices, top row first."""
    pics = toolbar_pictures()
    return [sum((pic[y] for pic in pics), []) for y in range(BUTTON_H)]


# ---------------------------------------------------------------------------
# File writers
# ---------------------------------------------------------------------------

def bmp_4bpp(rows, palette):
    """A Windows BMP file: 4 bits per pixel, 16-entry colour table, bottom-up."""
    height = len(rows)
    width = len(rows[0])
    stride = ((width * 4 + 31) // 32) * 4
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, v in enumerate(row):
            if x % 2 == 0:
                line[x // 2] = v << 4
            else:
                line[x // 2] |= v
        pixels += line
    table = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 4, 0,
                       len(pixels), 0, 0, len(palette), 0)
    off = 14 + len(info) + len(table)
    head = struct.pack('<2sIHHI', b'BM', off + len(pixels), 0, 0, off)
    return head + info + table + bytes(pixels)


def icon_image_24bpp(w, h, rgb, opaque):
    """One image of an .ico, 24 bits per pixel, with doubled height: the colour
    rows, then a 1-bit mask where a set bit marks a transparent pixel. The colour of
    a transparent pixel is black, so it leaves the screen as it is."""
    xor_stride = ((w * 24 + 31) // 32) * 4
    and_stride = ((w + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(h)):
        line = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x in range(w):
            if opaque[y][x]:
                r, g, b = rgb[y][x]
                line[x * 3:x * 3 + 3] = bytes((b, g, r))
            else:
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += line
        mask += bits
    info = struct.pack('<IiiHHIIiiII', 40, w, 2 * h, 1, 24, 0,
                       len(xor) + len(mask), 0, 0, 0, 0)
    return info + bytes(xor) + bytes(mask)


# ---------------------------------------------------------------------------
# Icons: drawn on a small RGB canvas with a separate opacity map.
# ---------------------------------------------------------------------------

class Canvas:
    def __init__(self, size):
        self.size = size
        self.rgb = [[(0, 0, 0)] * size for _ in range(size)]
        self.opaque = [[False] * size for _ in range(size)]

    def put(self, x, y, colour):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.rgb[y][x] = colour
            self.opaque[y][x] = True

    def rect(self, x0, y0, x1, y1, colour):
        """Fill the rectangle with corners (x0, y0) and (x1, y1), both included."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        for x in range(x0, x1 + 1):
            self.put(x, y0, colour)
            self.put(x, y1, colour)
        for y in range(y0, y1 + 1):
            self.put(x0, y, colour)
            self.put(x1, y, colour)

    def disc(self, cx, cy, r, colour):
        """Fill the pixels whose centres lie within r of (cx, cy)."""
        for y in range(self.size):
            for x in range(self.size):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.put(x, y, colour)

    def round_rect(self, x0, y0, x1, y1, colour, outline):
        """A filled rectangle with its four corner pixels cut off, outlined."""
        self.rect(x0, y0, x1, y1, outline)
        self.rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, colour)
        for x, y in ((x0, y0), (x1, y0), (x0, y1), (x1, y1)):
            self.rgb[y][x] = (0, 0, 0)
            self.opaque[y][x] = False

    def grid(self, x0, y0, text, colours):
        """Paint a character grid; '.' leaves the pixel as it is."""
        for dy, line in enumerate(text.strip('\n').split('\n')):
            for dx, ch in enumerate(line):
                if ch != '.':
                    self.put(x0 + dx, y0 + dy, colours[ch])


BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
DARK = (64, 64, 64)
BODY = (96, 96, 104)
BODY_LIGHT = (150, 150, 160)
GLASS = (20, 40, 110)
GLASS_MID = (40, 90, 190)
SKY = (120, 190, 255)
GRASS = (40, 160, 60)
HILL = (20, 110, 40)
SUN = (255, 200, 0)
RED = (220, 30, 30)
PAPER = (255, 255, 255)
PAPER_SHADE = (200, 200, 200)
LINE = (120, 120, 140)


def camera_icon(size):
    """The main icon: a camera with a big lens."""
    c = Canvas(size)
    if size == 32:
        # Viewfinder hump and shutter button on top of the body.
        c.round_rect(9, 5, 20, 10, BODY_LIGHT, BLACK)
        c.rect(23, 6, 27, 8, BLACK)
        c.rect(24, 7, 26, 8, RED)
        # Body.
        c.round_rect(1, 9, 30, 27, BODY, BLACK)
        c.rect(2, 10, 29, 11, BODY_LIGHT)
        # Flash window.
        c.rect(3, 13, 7, 16, BLACK)
        c.rect(4, 14, 6, 15, (255, 255, 200))
        # Lens: metal ring between two black rings, dark glass, highlight.
        c.disc(15.5, 18.0, 8.6, BLACK)
        c.disc(15.5, 18.0, 7.6, (205, 205, 215))
        c.disc(15.5, 18.0, 6.0, BLACK)
        c.disc(15.5, 18.0, 5.0, GLASS)
        c.disc(15.5, 18.0, 3.4, GLASS_MID)
        c.rect(12, 15, 13, 15, WHITE)
        c.put(12, 16, WHITE)
    else:
        c.round_rect(4, 2, 10, 5, BODY_LIGHT, BLACK)
        c.rect(12, 3, 13, 4, RED)
        c.round_rect(0, 4, 15, 14, BODY, BLACK)
        c.rect(1, 5, 14, 5, BODY_LIGHT)
        c.rect(2, 7, 3, 8, (255, 255, 200))
        c.disc(8, 9.5, 4.3, BLACK)
        c.disc(8, 9.5, 3.3, (200, 200, 210))
        c.disc(8, 9.5, 2.4, GLASS)
        c.put(7, 8, WHITE)
    return c


def document_icon(size):
    """The document icon: a page with a folded corner and a landscape on it."""
    c = Canvas(size)
    if size == 32:
        x0, y0, x1, y1, fold = 5, 1, 26, 30, 7
        pic = (9, 8, 22, 20)
    else:
        x0, y0, x1, y1, fold = 2, 0, 13, 15, 4
        pic = (4, 4, 11, 10)
    # Page with its top right corner folded over.
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            if x - (x1 - fold) > y - y0:
                continue  # cut-off corner
            edge = x in (x0, x1) or y in (y0, y1) or x - (x1 - fold) == y - y0
            c.put(x, y, BLACK if edge else PAPER)
    for i in range(fold + 1):
        c.put(x1 - fold, y0 + i, BLACK)
        c.put(x1 - fold + i, y0 + fold, BLACK)
    for y in range(y0 + 1, y0 + fold):
        for x in range(x1 - fold + 1, x1):
            if x - (x1 - fold) < y - y0:
                c.put(x, y, PAPER_SHADE)
    # The picture on the page: sky, sun, two hills.
    px0, py0, px1, py1 = pic
    c.frame(px0, py0, px1, py1, BLACK)
    c.rect(px0 + 1, py0 + 1, px1 - 1, py1 - 1, SKY)
    w = px1 - px0
    h = py1 - py0
    if size == 32:
        c.disc(px1 - 4, py0 + 3, 1.9, SUN)
    else:
        c.rect(px1 - 2, py0 + 1, px1 - 1, py0 + 2, SUN)
    # Hills: a dark one behind on the right, a light one in front on the left.
    for x in range(px0 + 1, px1):
        t = (x - px0) / w
        far = py0 + round(h * (0.58 + 1.2 * (t - 0.8) ** 2))
        near = py0 + round(h * (0.60 + 1.6 * (t - 0.2) ** 2))
        for y in range(max(far, py0 + 1), py1):
            c.put(x, y, HILL)
        for y in range(max(near, py0 + 1), py1):
            c.put(x, y, GRASS)
    # A few lines of text under the picture.
    if size == 32:
        for y in (23, 26):
            c.rect(9, y, 22, y, LINE)
    else:
        c.rect(4, 12, 11, 12, LINE)
    return c


def icon_file(draw, draw_large):
    """The .ico of one picture: the 32 x 32 image at 24 bits per pixel first, as it
    always was, then 16 (the hand-drawn picture, opaque where it is drawn), 24 and 48
    at 32 bits per pixel with alpha, and 256 as PNG, as systems since Vista read it."""
    big = draw(32)
    small = draw(16)
    small_rows = [[(r, g, b, 255) if small.opaque[y][x] else (0, 0, 0, 0) for x, (r, g, b) in enumerate(row)]
                  for y, row in enumerate(small.rgb)]
    entries = [
        (32, 24, icon_image_24bpp(32, 32, big.rgb, big.opaque)),
        (16, 32, art_canvas.icon_image_32bpp(small_rows)),
        (24, 32, art_canvas.icon_image_32bpp(draw_large(24).rgba_rows())),
        (48, 32, art_canvas.icon_image_32bpp(draw_large(48).rgba_rows())),
        (256, 32, art_canvas.png_rgba(draw_large(256).rgba_rows())),
    ]
    return art_canvas.ico_file(entries)


# ---------------------------------------------------------------------------
# Previews
# ---------------------------------------------------------------------------

def enlarge(rows, scale):
    out = []
    for row in rows:
        wide = [p for p in row for _ in range(scale)]
        out += [wide] * scale
    return out


def toolbar_preview(scale=8, per_row=7):
    """The strip at its real size and at 2x on top, then every button
    enlarged, per_row to a line, on a dark background."""
    strip = [[VGA16[v] for v in row] for row in toolbar_strip()]
    gap = 8
    strip_w = BUTTON_W * BUTTON_COUNT
    tile_w, tile_h = BUTTON_W * scale, BUTTON_H * scale
    lines = (BUTTON_COUNT + per_row - 1) // per_row
    width = max(2 * strip_w, per_row * (tile_w + gap)) + gap
    height = gap + BUTTON_H + gap + 2 * BUTTON_H + gap + lines * (tile_h + gap)
    out = [[(40, 40, 40)] * width for _ in range(height)]

    def paste(img, x0, y0):
        for y, row in enumerate(img):
            out[y0 + y][x0:x0 + len(row)] = row

    paste(strip, gap, gap)
    paste(enlarge(strip, 2), gap, 2 * gap + BUTTON_H)
    top = 3 * gap + 3 * BUTTON_H
    for i in range(BUTTON_COUNT):
        tile = [row[i * BUTTON_W:(i + 1) * BUTTON_W] for row in strip]
        paste(enlarge(tile, scale), gap + (i % per_row) * (tile_w + gap),
              top + (i // per_row) * (tile_h + gap))
    return out


def icons_preview(scale=8):
    """Both icons at both sizes on a checkered background."""
    canvases = [draw(s) for draw in (camera_icon, document_icon) for s in (32, 16)]
    height = 32 * scale
    width = sum(c.size * scale for c in canvases) + 8 * (len(canvases) + 1)
    rows = [[(90, 90, 90)] * width for _ in range(height + 16)]
    x0 = 8
    for c in canvases:
        for y in range(c.size * scale):
            for x in range(c.size * scale):
                sx, sy = x // scale, y // scale
                if c.opaque[sy][sx]:
                    colour = c.rgb[sy][sx]
                else:
                    colour = (230, 230, 230) if (x // 8 + y // 8) % 2 else (200, 200, 200)
                rows[8 + y][x0 + x] = colour
        x0 += c.size * scale + 8
    return rows


# ---------------------------------------------------------------------------

def write(path, data):
    with open(path, 'wb') as f:
        f.write(data)


def main(argv=None):
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description='Write the tool-bar bitmap and icons of Zarp.')
    ap.add_argument('--res', default=os.path.join(os.path.dirname(here), 'res'),
                    help='folder to write the resources into (default: res/ beside tools/)')
    ap.add_argument('--preview', metavar='DIR',
                    help='also write 8x enlarged PNG previews into DIR')
    args = ap.parse_args(argv)

    os.makedirs(args.res, exist_ok=True)
    write(os.path.join(args.res, 'toolbar.bmp'), bmp_4bpp(toolbar_strip(), VGA16))
    for size in art_hidpi.BUTTON_SIZES:
        strip = art_hidpi.toolbar_strip(size).rgba_rows()
        write(os.path.join(args.res, 'toolbar%d.bmp' % size), art_canvas.bmp_32bpp(strip))
    write(os.path.join(args.res, 'zarp.ico'), icon_file(camera_icon, art_hidpi.camera_icon))
    write(os.path.join(args.res, 'doc.ico'), icon_file(document_icon, art_hidpi.document_icon))

    if args.preview:
        os.makedirs(args.preview, exist_ok=True)
        write(os.path.join(args.preview, 'toolbar.png'), art_canvas.png_rgb(toolbar_preview()))
        write(os.path.join(args.preview, 'icons.png'), art_canvas.png_rgb(icons_preview()))
        write(os.path.join(args.preview, 'toolbar-large.png'), art_canvas.png_rgb(art_hidpi.toolbar_preview()))
        write(os.path.join(args.preview, 'icons-large.png'), art_canvas.png_rgb(art_hidpi.icons_preview()))
    return 0


if __name__ == '__main__':
    sys.exit(main())
