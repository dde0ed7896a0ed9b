#!/usr/bin/python3
"""Pixel checks on X screen grabs for the end-to-end scenarios (PIL only).

  same A ax ay B bx by w h         the w x h region at (ax,ay) of A equals the one at (bx,by) of B
  zoomed SHOT vx vy vw vh GRAB Z   the view (client rectangle vx,vy,vw,vh in SHOT) shows GRAB at Z percent
                                   from its top-left corner, and grey 0x808080 beyond the picture
  shows PATTERN GRAB x y           GRAB shows PATTERN at (x,y): the screen was not covered there
  pattern OUT W H                  writes a W x H picture of random 8 x 8 colour blocks (fixed seed)
  digits SHOT x y w h              number of dark glyphs side by side inside the box (border and caret
                                   excluded)
  picture FILE GRAB Z [x y]        FILE (a BMP, PNG...) equals GRAB at Z percent, cut at (x,y) of the
                                   zoomed picture to FILE's size
  framed SHOT sx sy REF rx ry w h l t r b
                                   the w x h region at (sx,sy) of SHOT equals the one at (rx,ry) of REF,
                                   except that the border of the rectangle l,t,r,b (region coordinates,
                                   right and bottom exclusive) is dotted: on each side 40..60 % of its
                                   pixels inverted, the others unchanged
  near FILE GRAB Z x y              FILE equals GRAB enlarged to Z percent by repeating pixels, cut at
                                   (x,y), where each pixel may come from a neighbour (rounding of the
                                   block edges differs between scalers)
  colours SHOT x y w h             the colours in the box, most frequent first (at most four)
  info FILE                        how Pillow decodes FILE: format, mode, width x height
  reserved FILE                    in a 32-bit BMP without compression, every pixel's fourth byte
                                   (reserved, read as alpha by some programs) is 0xFF: opaque
  menu-rows SHOT x y w h           the text rows of a popup menu at x,y,w,h, top to bottom: "enabled"
                                   when a row has black glyph pixels, "grayed" when its glyphs are only grey

Each prints one line and exits 0 when the check holds, 1 when it does not.
"""
import random
import struct
import sys

from PIL import Image, ImageChops

GREY = (128, 128, 128)


def load(path):
    return Image.open(path).convert("RGB")


def count_nonzero(diff):
    """Pixels of an RGB difference image that are not black."""
    grey = diff.convert("L").point(lambda v: 255 if v else 0)
    return grey.histogram()[255]


def same(a, ax, ay, b, bx, by, w, h):
    ra = load(a).crop((ax, ay, ax + w, ay + h))
    rb = load(b).crop((bx, by, bx + w, by + h))
    diff = ImageChops.difference(ra, rb)
    bbox = diff.getbbox()
    if bbox is None:
        print(f"same {w}x{h}")
        return 0
    print(f"differ in {count_nonzero(diff)} of {w * h} pixels, box {bbox}")
    return 1


def at_zoom(source, zoom):
    """The picture as Zarp shows it at zoom percent."""
    if zoom == 100:
        return source
    pw, ph = source.width * zoom // 100, source.height * zoom // 100
    # The test pattern is made of uniform blocks on even coordinates, so every reasonable
    # shrink (averaging or picking) gives exactly the block colours, and a whole-number
    # enlargement repeats each pixel.
    return source.resize((pw, ph), Image.BOX)


def zoomed(shot, vx, vy, vw, vh, grab, zoom):
    screen, source = load(shot), load(grab)
    expected = at_zoom(source, zoom)
    pw, ph = expected.size
    view = screen.crop((vx, vy, vx + vw, vy + vh))
    sw, sh = min(pw, vw), min(ph, vh)
    diff = ImageChops.difference(view.crop((0, 0, sw, sh)), expected.crop((0, 0, sw, sh)))
    wrong = count_nonzero(diff) if diff.getbbox() else 0
    # Beyond the picture: the strip to its right and the strip below it.
    beyond = 0
    not_grey = 0
    for box in ((sw, 0, vw, vh), (0, sh, sw, vh)):
        if box[2] <= box[0] or box[3] <= box[1]:
            continue
        part = view.crop(box)
        beyond += part.width * part.height
        d = ImageChops.difference(part, Image.new("RGB", part.size, GREY))
        if d.getbbox():
            not_grey += count_nonzero(d)
    print(f"picture {pw}x{ph}, shown {sw}x{sh}: {wrong} wrong pixels; beyond: {not_grey} of {beyond} not grey")
    return 0 if wrong == 0 and not_grey == 0 else 1


def shows(pattern, grab, x, y):
    pat, scr = load(pattern), load(grab)
    region = scr.crop((x, y, x + pat.width, y + pat.height))
    diff = ImageChops.difference(region, pat).convert("L")
    hist = diff.histogram()
    mean = sum(i * n for i, n in enumerate(hist)) / (pat.width * pat.height)
    # The viewer may shift colours a little; anything else on top changes them a lot.
    print(f"mean difference {mean:.2f}")
    return 0 if mean < 8 else 1


def digits(shot, x, y, w, h):
    img = load(shot).convert("L")
    widths, width = [], 0
    for cx in range(x + 2, x + w - 2):
        if any(img.getpixel((cx, cy)) < 100 for cy in range(y + 2, y + h - 2)):
            width += 1
        elif width:
            widths.append(width)
            width = 0
    if width:
        widths.append(width)
    # A one-pixel column is the caret, not a digit.
    print(sum(1 for n in widths if n > 1))
    return 0


def picture(path, grab, zoom, x=0, y=0):
    got = load(path)
    whole = at_zoom(load(grab), zoom)
    w, h = got.size
    if x + w > whole.width or y + h > whole.height:
        print(f"{w}x{h} at ({x},{y}) reaches beyond the {whole.width}x{whole.height} picture")
        return 1
    diff = ImageChops.difference(got, whole.crop((x, y, x + w, y + h)))
    if diff.getbbox() is None:
        print(f"{w}x{h} equal")
        return 0
    print(f"{w}x{h}: differ in {count_nonzero(diff)} pixels, box {diff.getbbox()}")
    return 1


def framed(shot, sx, sy, ref, rx, ry, w, h, l, t, r, b):
    got = load(shot).crop((sx, sy, sx + w, sy + h))
    want = load(ref).crop((rx, ry, rx + w, ry + h))
    sides = {
        "left": [(l, y) for y in range(t, b)],
        "right": [(r - 1, y) for y in range(t, b)],
        "top": [(x, t) for x in range(l, r)],
        "bottom": [(x, b - 1) for x in range(l, r)],
    }
    border = {p for points in sides.values() for p in points}
    # Away from the border the two must be equal: copy the border over, then compare.
    masked = got.copy()
    for p in border:
        masked.putpixel(p, want.getpixel(p))
    diff = ImageChops.difference(masked, want)
    elsewhere = count_nonzero(diff) if diff.getbbox() else 0
    ok = elsewhere == 0 and r - l >= 3 and b - t >= 3
    report = []
    for name, points in sides.items():
        inverted = other = 0
        for p in points:
            g, e = got.getpixel(p), want.getpixel(p)
            if g == tuple(255 - c for c in e):
                inverted += 1
            elif g != e:
                other += 1
        share = inverted / len(points) if points else 0
        ok = ok and other == 0 and 0.4 <= share <= 0.6
        report.append(f"{name} {inverted}/{len(points)}" + (f" ({other} other)" if other else ""))
    print(f"inverted: {', '.join(report)}; {elsewhere} wrong pixels elsewhere")
    return 0 if ok else 1


def near(path, grab, zoom, x, y):
    got = load(path)
    source = load(grab)
    expected = source.resize((source.width * zoom // 100, source.height * zoom // 100), Image.NEAREST)
    w, h = got.size
    matched = Image.new("L", (w, h), 0)
    for dx in (-1, 0, 1):
        for dy in (-1, 0, 1):
            shifted = expected.crop((x + dx, y + dy, x + dx + w, y + dy + h))
            same_here = ImageChops.difference(got, shifted).convert("L").point(lambda v: 255 if v == 0 else 0)
            matched = ImageChops.lighter(matched, same_here)
    unmatched = matched.histogram()[0]
    exact = ImageChops.difference(got, expected.crop((x, y, x + w, y + h))).getbbox() is None
    print(f"{w}x{h}: {unmatched} pixels unlike their place or its neighbours" + (", exactly equal" if exact else ""))
    return 0 if unmatched == 0 else 1


def colours(shot, x, y, w, h):
    found = load(shot).crop((x, y, x + w, y + h)).getcolors(w * h)
    found.sort(key=lambda c: -c[0])
    print(" ".join("#%02x%02x%02x" % c[1] for c in found[:4]))
    return 0


def info(path):
    img = Image.open(path)
    img.load()
    print(f"{img.format} {img.mode} {img.width}x{img.height}")
    return 0


def reserved(path):
    data = open(path, "rb").read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    if bits != 32 or compression != 0:
        print(f"{bits} bits per pixel, compression {compression}: no reserved byte")
        return 1
    pixels = data[offset:offset + abs(width) * abs(height) * 4]
    other = sum(1 for b in pixels[3::4] if b != 0xFF)
    print(f"fourth byte not 0xFF in {other} of {len(pixels) // 4} pixels")
    return 0 if other == 0 and len(pixels) == abs(width) * abs(height) * 4 else 1


def menu_rows(shot, x, y, w, h):
    img = load(shot).crop((x, y, x + w, y + h))
    states, run = [], []
    # Glyph pixels: black for enabled text, the grey text colour for grayed text. The
    # border (3 pixels) and the separator (one grey, one white line) are not glyph rows.
    for cy in range(3, h - 3):
        row = [img.getpixel((cx, cy)) for cx in range(3, w - 3)]
        dark = sum(1 for p in row if max(p) < 64)
        grey = sum(1 for p in row if max(p) - min(p) < 16 and 96 <= p[0] <= 176)
        if dark or (grey and grey < (w - 6) // 2):
            run.append(dark)
        elif run:
            states.append(run)
            run = []
    if run:
        states.append(run)
    words = ["enabled" if any(run) else "grayed" for run in states if len(run) >= 5]
    print(" ".join(words))
    return 0


def pattern(out, w, h):
    rng = random.Random(20261209)
    small = Image.new("RGB", (w // 8, h // 8))
    small.putdata([tuple(rng.randrange(256) for _ in range(3)) for _ in range(small.width * small.height)])
    small.resize((w // 8 * 8, h // 8 * 8), Image.NEAREST).save(out)
    print(out)
    return 0


def main(argv):
    cmd, args = argv[1], argv[2:]
    if cmd == "same":
        return same(args[0], int(args[1]), int(args[2]), args[3], *map(int, args[4:8]))
    if cmd == "zoomed":
        return zoomed(args[0], *map(int, args[1:5]), args[5], int(args[6]))
    if cmd == "shows":
        return shows(args[0], args[1], int(args[2]), int(args[3]))
    if cmd == "pattern":
        return pattern(args[0], int(args[1]), int(args[2]))
    if cmd == "digits":
        return digits(args[0], *map(int, args[1:5]))
    if cmd == "picture":
        return picture(args[0], args[1], *map(int, args[2:5]))
    if cmd == "framed":
        return framed(args[0], int(args[1]), int(args[2]), args[3], *map(int, args[4:12]))
    if cmd == "near":
        return near(args[0], args[1], *map(int, args[2:5]))
    if cmd == "colours":
        return colours(args[0], *map(int, args[1:5]))
    if cmd == "info":
        return info(args[0])
    if cmd == "reserved":
        return reserved(args[0])
    if cmd == "menu-rows":
        return menu_rows(args[0], *map(int, args[1:5]))
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
