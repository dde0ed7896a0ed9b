"""Zarp's tool-bar pictures and icons at the larger sizes, drawn with alpha.

The tool-bar pictures are drawn for square buttons of 24 and 32 pixels: the same
21 pictures, in the same order, as the 16-colour strip of 16 x 15. Coordinates are
given on the 16-pixel design grid and rounded to whole pixels at the target size, so
straight edges stay sharp; outlines are 1 pixel wide at 24 and 2 at 32. The icons
are drawn the same way on the 32-pixel design grid at 24, 48 and 256 pixels.
"""

import art_canvas as ac

BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
NAVY = (0, 0, 128)
BLUE = (0, 0, 255)
LIGHT = (192, 192, 192)
GREY = (128, 128, 128)
CYAN = (0, 255, 255)
GREEN = (0, 255, 0)

BUTTON_SIZES = (24, 32)


class Grid:
    """Maps the 16-pixel design grid onto a canvas of size pixels."""

    def __init__(self, size, design=16):
        self.size = size
        self.k = size / design
        self.line = 1 if size < 32 else 2          # outline width in pixels

    def __call__(self, v):
        return round(v * self.k)

    def rect(self, x0, y0, x1, y1, radius=0.0):
        return ac.rect(self(x0), self(y0), self(x1), self(y1), radius * self.k)


def save_picture(s):
    g = Grid(s)
    c = ac.Canvas(s, s)
    left, top, right, bottom, cut = g(1), g(1), g(15), g(15), g(1.5)
    body = ac.polygon([(left, top), (right, top), (right, bottom), (left + cut, bottom), (left, bottom - cut)])
    c.outlined(body, ac.vertical_gradient((40, 40, 170), NAVY, top, bottom), BLACK, g.line)
    label = ac.rect(g(3.5), top, g(12.5), g(7.5))
    c.outlined(label, WHITE, BLACK, g.line)
    for y in (3, 5):
        c.fill(ac.rect(g(5), g(y), g(11), g(y) + g.line), GREY)
    shutter = ac.rect(g(4.5), g(9.5), g(11.5), bottom)
    c.outlined(shutter, ac.vertical_gradient(WHITE, LIGHT, g(9.5), bottom), BLACK, g.line)
    c.fill(ac.rect(g(6), g(10.5) + g.line, g(7.5), bottom - g.line - 1), NAVY)
    return c


def page(c, g, x0, y0, x1, y1, fold, lines):
    """A sheet with its top right corner folded over and blue lines of text."""
    X0, Y0, X1, Y1, F = g(x0), g(y0), g(x1), g(y1), g(fold)
    sheet = ac.polygon([(X0, Y0), (X1 - F, Y0), (X1, Y0 + F), (X1, Y1), (X0, Y1)])
    c.outlined(sheet, WHITE, BLACK, g.line)
    corner = ac.polygon([(X1 - F, Y0), (X1 - F, Y0 + F), (X1, Y0 + F)])
    c.outlined(corner, LIGHT, BLACK, g.line)
    for lx0, ly, lx1 in lines:
        c.fill(ac.rect(g(lx0), g(ly), g(lx1), g(ly) + g.line), NAVY)


def copy_picture(s):
    g = Grid(s)
    c = ac.Canvas(s, s)
    page(c, g, 1, 0.5, 9.5, 12, 2.5, [(2.5, 3, 5.5), (2.5, 5, 7.5), (2.5, 7, 5), (2.5, 9, 5)])
    page(c, g, 5.5, 4.5, 15, 15.5, 3, [(7, 7.5, 10.5), (7, 9.5, 13.5), (7, 11.5, 13.5), (7, 13.5, 13.5)])
    return c


def screen_picture(s):
    g = Grid(s)
    c = ac.Canvas(s, s)
    # Stand first, then the monitor over its top.
    c.outlined(g.rect(6, 11, 10, 13.5), GREY, BLACK, g.line)
    c.outlined(g.rect(3.5, 13, 12.5, 15, 0.5), LIGHT, BLACK, g.line)
    c.outlined(g.rect(0.5, 1, 15.5, 12, 0.6), ac.vertical_gradient((225, 225, 225), (170, 170, 170), g(1), g(12)),
               BLACK, g.line)
    x0, y0, x1, y1 = g(2.5), g(2.5), g(13.5), g(9.5)
    c.fill(ac.rect(x0 - 1, y0 - 1, x1 + 1, y1 + 1), GREY)
    c.fill(ac.rect(x0, y0, x1 + 1, y1 + 1), WHITE)
    c.fill(ac.rect(x0, y0, x1, y1), ac.vertical_gradient((60, 110, 255), (0, 0, 200), y0, y1))
    # A glint of light in the top left corner of the glass.
    c.fill(ac.polygon([(x0, y0), (x0 + g(3), y0), (x0, y0 + g(2))]), CYAN, 0.8)
    # The power lamp.
    c.fill(ac.rect(g(12.5), g(10.3), g(13.5), g(10.3) + g.line), GREEN)
    return c


def window(c, g, x0, y0, x1, y1, title_colour):
    X0, Y0, X1, Y1 = g(x0), g(y0), g(x1), g(y1)
    w = g.line
    c.outlined(ac.rect(X0, Y0, X1, Y1), WHITE, BLACK, w)
    bar = Y0 + w + g(2)
    c.fill(ac.rect(X0 + w, Y0 + w, X1 - w, bar), title_colour)
    # A close box at the right of the title bar.
    box = max(2, bar - Y0 - w - 2 * w)
    bx = X1 - 2 * w - box
    by = Y0 + w + (bar - Y0 - w - box) // 2
    c.fill(ac.rect(bx, by, bx + box, by + box), WHITE)


def active_picture(s):
    g = Grid(s)
    c = ac.Canvas(s, s)
    window(c, g, 5, 0.5, 15.5, 10, GREY)
    window(c, g, 0.5, 5, 11, 15, ac.vertical_gradient((40, 40, 230), NAVY, g(5), g(7.5)))
    return c


def range_picture(s):
    g = Grid(s)
    c = ac.Canvas(s, s)
    # The dotted frame of the range: dashes of two design pixels.
    x0, y0, x1, y1 = g(0.5), g(0.5), g(12.5), g(12.5)
    dash = g(2)
    w = g.line
    for x in range(x0, x1, 2 * dash):
        c.fill(ac.rect(x, y0, min(x + dash, x1), y0 + w), BLACK)
        c.fill(ac.rect(x, y1 - w, min(x + dash, x1), y1), BLACK)
    for y in range(y0, y1, 2 * dash):
        c.fill(ac.rect(x0, y, x0 + w, min(y + dash, y1)), BLACK)
        c.fill(ac.rect(x1 - w, y, x1, min(y + dash, y1)), BLACK)
    # The mouse pointer, its tip inside the frame.
    tip_x, tip_y, k = g(6.5), g(6), g.k * 0.78
    arrow = [(0, 0), (0, 10.5), (2.6, 8.2), (4.4, 12.2), (6.1, 11.4), (4.4, 7.6), (7.6, 7.6)]
    pointer = ac.polygon([(tip_x + x * k, tip_y + y * k) for x, y in arrow])
    c.outlined(pointer, WHITE, BLACK, 1.0 if s < 32 else 1.6)
    return c


# Digits for the stopwatch faces: 5 x 9 with one-pixel strokes at 24, 7 x 12 with
# two-pixel strokes at 32; "1" is narrower.
DIGITS_24 = {
    '0': ".###. #...# #...# #...# #...# #...# #...# #...# .###.",
    '1': ".#. ##. .#. .#. .#. .#. .#. .#. ###",
    '2': ".###. #...# ....# ....# ...#. ..#.. .#... #.... #####",
    '3': "####. ....# ....# ....# .###. ....# ....# ....# ####.",
    '4': "...#. ..##. .#.#. #..#. #..#. ##### ...#. ...#. ...#.",
    '5': "##### #.... #.... ####. ....# ....# ....# #...# .###.",
    '6': ".###. #.... #.... ####. #...# #...# #...# #...# .###.",
    '7': "##### ....# ...#. ...#. ..#.. ..#.. .#... .#... .#...",
    '8': ".###. #...# #...# #...# .###. #...# #...# #...# .###.",
    '9': ".###. #...# #...# #...# #...# .#### ....# ....# .###.",
}
DIGITS_32 = {
    '0': "..###.. .#####. ##...## ##...## ##...## ##...## ##...## ##...## ##...## ##...## .#####. ..###..",
    '1': "..##.. .###.. ####.. ..##.. ..##.. ..##.. ..##.. ..##.. ..##.. ..##.. ###### ######",
    '2': "..###.. .#####. ##...## .....## .....## ....##. ...##.. ..##... .##.... ##..... ####### #######",
    '3': "#####.. ######. .....## .....## .....## ..####. ..####. .....## .....## .....## ######. #####..",
    '4': "....##. ...###. ..####. .##.##. ##..##. ##..##. ####### ####### ....##. ....##. ....##. ....##.",
    '5': "####### ####### ##..... ##..... ######. ####### .....## .....## .....## ##...## .#####. ..###..",
    '6': "..####. .#####. ##..... ##..... ######. ####### ##...## ##...## ##...## ##...## .#####. ..###..",
    '7': "####### ####### .....## ....##. ....##. ...##.. ...##.. ..##... ..##... ..##... ..##... ..##...",
    '8': "..###.. .#####. ##...## ##...## ##...## .#####. .#####. ##...## ##...## ##...## .#####. ..###..",
    '9': "..###.. .#####. ##...## ##...## ##...## ##...## ####### .###### .....## .....## .#####. .####..",
}


def glyph_rows(text):
    return text.split()


def wait_picture(s, seconds):
    g = Grid(s)
    c = ac.Canvas(s, s)
    r = s / 2 - g(1) + (0.5 if s < 32 else 0.0)
    cx, cy = s / 2, s - r - 0.5
    # The winding knob and its stem on top, then the face.
    c.fill(ac.rect(g(6.5), g(0), g(9.5), g(1.5), 0.5), BLACK)
    c.fill(ac.rect(g(7.5), g(1), g(8.5), cy - r + 1), BLACK)
    face = ac.disc(cx, cy, r)
    c.outlined(face, WHITE, BLACK, g.line)
    digits = DIGITS_24 if s < 32 else DIGITS_32
    glyphs = [glyph_rows(digits[ch]) for ch in str(seconds)]
    gap = 1 if s < 32 else 2
    width = sum(len(gl[0]) for gl in glyphs) + gap * (len(glyphs) - 1)
    height = len(glyphs[0])
    x = int(round(cx - width / 2))
    y = int(round(cy - height / 2))
    for gl in glyphs:
        c.grid(x, y, '\n'.join(gl), BLACK)
        x += len(gl[0]) + gap
    return c


QUESTION_24 = "..####.. .######. ##....## ##....## ......## .....##. ....##.. ...##... ...##... " \
              "........ ...##... ...##..."
QUESTION_32 = "...####... .########. ###....### ###....### .......### ......###. .....###.. " \
              "....###... ....###... ....###... .......... ....###... ....###... ....###..."


def about_picture(s):
    g = Grid(s)
    c = ac.Canvas(s, s)
    r = s / 2 - 0.5
    ball = ac.disc(s / 2, s / 2, r)
    c.outlined(ball, ac.vertical_gradient((70, 110, 255), (0, 0, 190), 0, s), BLACK, g.line)
    rows = glyph_rows(QUESTION_24 if s < 32 else QUESTION_32)
    x = (s - len(rows[0])) // 2
    y = (s - len(rows)) // 2
    c.grid(x, y, '\n'.join(rows), WHITE)
    return c


def toolbar_pictures(s):
    """The 21 pictures at s x s, in tool-bar order (as the 16-colour strip)."""
    pics = [save_picture(s), copy_picture(s), screen_picture(s), active_picture(s), range_picture(s)]
    pics += [wait_picture(s, n) for n in range(1, 16)]
    pics.append(about_picture(s))
    return pics


def toolbar_strip(s):
    pics = toolbar_pictures(s)
    strip = ac.Canvas(s * len(pics), s)
    for i, pic in enumerate(pics):
        strip.paste(pic, i * s, 0)
    return strip


# ---------------------------------------------------------------------------
# Icons on the 32-pixel design grid.
# ---------------------------------------------------------------------------

def icon_line(size):
    return 1 if size <= 48 else max(2, round(size / 40))


def camera_icon(size):
    g = Grid(size, 32)
    c = ac.Canvas(size, size)
    w = icon_line(size)
    body_top, body_bottom = g(9), g(28)
    c.outlined(g.rect(9, 5, 21, 11, 1.2), (170, 170, 180), BLACK, w)
    c.outlined(g.rect(22.5, 5.5, 28, 9.5, 0.8), (225, 35, 35), BLACK, w)
    c.outlined(g.rect(1, 9, 31, 28, 2.5), ac.vertical_gradient((125, 125, 135), (78, 78, 86), body_top, body_bottom),
               BLACK, w)
    c.fill(ac.rect(g(1) + w, g(9) + w, g(31) - w, g(12), max(0.0, 2.5 * g.k - w)), (160, 160, 170))
    c.outlined(g.rect(3, 13.5, 8, 17.5, 0.5), (255, 255, 200), BLACK, w)
    cx, cy = 16 * g.k, 18.5 * g.k
    c.fill(ac.disc(cx, cy, 9.2 * g.k), BLACK)
    c.fill(ac.disc(cx, cy, 9.2 * g.k - w), ac.vertical_gradient((235, 235, 245), (150, 150, 165), cy - 9 * g.k,
                                                                 cy + 9 * g.k))
    c.fill(ac.disc(cx, cy, 6.6 * g.k), BLACK)
    c.fill(ac.disc(cx, cy, 6.6 * g.k - w), ac.vertical_gradient((10, 25, 80), (30, 60, 150), cy - 6 * g.k,
                                                                 cy + 6 * g.k))
    c.fill(ac.disc(cx, cy, 3.8 * g.k), ac.vertical_gradient((40, 90, 190), (70, 140, 230), cy - 4 * g.k,
                                                            cy + 4 * g.k))
    c.fill(ac.disc(cx - 2.3 * g.k, cy - 2.3 * g.k, 1.4 * g.k), WHITE, 0.9)
    return c


def document_icon(size):
    g = Grid(size, 32)
    c = ac.Canvas(size, size)
    w = icon_line(size)
    x0, y0, x1, y1, fold = g(5), g(1), g(27), g(31), g(7)
    sheet = ac.polygon([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)])
    c.outlined(sheet, WHITE, BLACK, w)
    corner = ac.polygon([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)])
    c.outlined(corner, (205, 205, 205), BLACK, w)
    px0, py0, px1, py1 = g(9), g(8), g(23), g(21)
    c.fill(ac.rect(px0, py0, px1, py1), ac.vertical_gradient((90, 160, 255), (170, 215, 255), py0, py1))
    c.fill(ac.disc(px1 - 4 * g.k, py0 + 3.5 * g.k, 2 * g.k), (255, 200, 0))

    def hill(level, bend, centre):
        def dist(x, y):
            t = (x - px0) / (px1 - px0)
            return (py0 + (py1 - py0) * (level + bend * (t - centre) ** 2)) - y
        return ac.Shape((px0, py0, px1, py1), dist)

    clip = ac.rect(px0, py0, px1, py1)
    c.fill(clip.intersect(hill(0.58, 1.2, 0.8)), (20, 110, 40))
    c.fill(clip.intersect(hill(0.62, 1.6, 0.2)), (40, 160, 60))
    c.fill(ac.rect(px0, py0, px1, py1).ring(w), BLACK)
    for y in (23.5, 26.5):
        c.fill(ac.rect(g(9), g(y), g(23), g(y) + max(1, round(g.k))), (120, 120, 140))
    return c


# ---------------------------------------------------------------------------
# Previews (never written into res/)
# ---------------------------------------------------------------------------

def on_background(rgba_rows, background, scale):
    """Straight-alpha rows composed over a plain colour and enlarged."""
    out = []
    for row in rgba_rows:
        line = []
        for r, g, b, a in row:
            k = a / 255.0
            line += [tuple(int(round(v * k + w * (1 - k))) for v, w in zip((r, g, b), background))] * scale
        out += [line] * scale
    return out


def stack(images, gap=8, background=(40, 40, 40)):
    """Images one under another on a dark background."""
    width = max(len(img[0]) for img in images) + 2 * gap
    out = [[background] * width for _ in range(gap)]
    for img in images:
        for row in img:
            out.append([background] * gap + row + [background] * (width - gap - len(row)))
        out += [[background] * width for _ in range(gap)]
    return out


def toolbar_preview():
    """Each large strip at its real size and enlarged, on the button face of Windows 10."""
    images = []
    for size in BUTTON_SIZES:
        rows = toolbar_strip(size).rgba_rows()
        images += [on_background(rows, (240, 240, 240), 1), on_background(rows, (240, 240, 240), 2)]
    return stack(images)


def icons_preview():
    """Both icons at 24, 48 and 256 pixels on grey."""
    images = [on_background(draw(size).rgba_rows(), (200, 200, 200), 1)
              for draw in (camera_icon, document_icon) for size in (24, 48, 256)]
    height = max(len(img) for img in images)
    row_of = [sum(((img[y] if y < len(img) else [(40, 40, 40)] * len(img[0])) + [(40, 40, 40)] * 8
                   for img in images), []) for y in range(height)]
    return stack([row_of])
