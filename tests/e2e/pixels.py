#!/usr/bin/python3
"""Pixel checks on X screen grabs for the end-to-end scenarios (PIL only).

  same A ax ay B bx by w h         the w x h region at (ax,ay) of A equals the one at (bx,by) of B
  zoomed SHOT vx vy vw vh GRAB Z   the view (client rectangle vx,vy,vw,vh in SHOT) shows GRAB at Z percent
                                   from its top-left corner, and grey 0x808080 beyond the picture
  shows PATTERN GRAB x y           GRAB shows PATTERN at (x,y): the screen was not covered there
  pattern OUT W H                  writes a W x H picture of random 8 x 8 colour blocks (fixed seed)
  digits SHOT x y w h              number of dark glyphs side by side inside the box (border and caret
                                   excluded)

Each prints one line and exits 0 when the check holds, 1 when it does not.
"""
import random
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


def zoomed(shot, vx, vy, vw, vh, grab, zoom):
    screen, source = load(shot), load(grab)
    pw, ph = source.width * zoom // 100, source.height * zoom // 100
    if zoom == 100:
        expected = source
    else:
        # The test pattern is made of uniform blocks on even coordinates, so every
        # reasonable shrink (averaging or picking) gives exactly the block colours.
        expected = source.resize((pw, ph), Image.BOX)
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
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
