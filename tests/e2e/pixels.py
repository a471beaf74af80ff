"""Pixel queries on screenshots for the end-to-end tests (run with /usr/bin/python3, which has PIL).

  pixels.py rgb PNG X Y                        -> "R G B"
  pixels.py count PNG X Y W H PRED             -> number of pixels of the rectangle matching PRED
  pixels.py bbox PNG X Y W H PRED              -> "X0 Y0 X1 Y1" (inclusive) of the matches, or "none"
  pixels.py diff A B [X Y W H]                 -> number of pixels that differ between A and B
  pixels.py shifted A B X Y W H DX DY          -> pixels of A's rectangle that differ from B's
                                                  rectangle moved by (DX, DY)
  pixels.py brightest PNG X Y W H PRED         -> "X Y" of the brightest matching pixel, or "none"
  pixels.py keyblend PNG BACK OX OY X Y W H TEXT KEY
                                               -> pixels of the rectangle X Y W H of the picture BACK
                                                  (shown with its origin at OX, OY of PNG) that are
                                                  a blend of the colours TEXT and KEY (RRGGBB) and
                                                  no blend of TEXT with BACK's pixel beneath

A blend here is T + k * (D - T) with one coverage k (0..1) for all three channels, each within 1
(rounding): Wine smooths text in grey levels, one coverage per pixel. Text drawn over the picture
beneath gives blends with that picture; text drawn over the key colour of a colour-keyed window
gives blends with the key, which the key does not hide: a fringe around the glyphs.

PRED: exact:RRGGBB | near:RRGGBB:TOL | grey:LO:HI:SPREAD (max-min of the channels <= SPREAD and
their mean in LO..HI) | notblack | any.  Rectangles are clipped to the picture.
"""
import sys

from PIL import Image, ImageChops


def load(path):
    return Image.open(path).convert("RGB")


def predicate(text):
    kind, _, rest = text.partition(":")
    args = rest.split(":") if rest else []
    if kind == "exact":
        want = tuple(int(args[0][i:i + 2], 16) for i in (0, 2, 4))
        return lambda p: p == want
    if kind == "near":
        want = tuple(int(args[0][i:i + 2], 16) for i in (0, 2, 4))
        tol = int(args[1])
        return lambda p: all(abs(a - b) <= tol for a, b in zip(p, want))
    if kind == "grey":
        lo, hi, spread = (int(a) for a in args)
        return lambda p: max(p) - min(p) <= spread and lo * 3 <= sum(p) <= hi * 3
    if kind == "notblack":
        return lambda p: p != (0, 0, 0)
    if kind == "any":
        return lambda p: True
    raise SystemExit(f"pixels.py: unknown predicate {text!r}")


def rect(img, x, y, w, h):
    x0, y0 = max(0, x), max(0, y)
    x1, y1 = min(img.width, x + w), min(img.height, y + h)
    return x0, y0, x1, y1


def matches(img, x, y, w, h, pred):
    px = img.load()
    x0, y0, x1, y1 = rect(img, x, y, w, h)
    for yy in range(y0, y1):
        for xx in range(x0, x1):
            if pred(px[xx, yy]):
                yield xx, yy, px[xx, yy]


def on_blend(p, text, other, tol=1):
    """Whether p is text + k * (other - text) for one k in 0..1, each channel within tol."""
    lo, hi = 0.0, 1.0
    for pc, tc, oc in zip(p, text, other):
        d = oc - tc
        if d == 0:
            if abs(pc - tc) > tol:
                return False
            continue
        a, b = (pc - tc - tol) / d, (pc - tc + tol) / d
        lo, hi = max(lo, min(a, b)), min(hi, max(a, b))
    return lo <= hi


def count_key_blends(shot, back, ox, oy, x, y, w, h, text, key):
    sp, bp = shot.load(), back.load()
    count = 0
    for yy in range(max(0, y), min(back.height, y + h)):
        for xx in range(max(0, x), min(back.width, x + w)):
            p, beneath = sp[ox + xx, oy + yy], bp[xx, yy]
            if on_blend(p, text, key) and not on_blend(p, text, beneath):
                count += 1
    return count


def rgb(text):
    return tuple(int(text[i:i + 2], 16) for i in (0, 2, 4))


def count_different(a, b):
    """Pixels that differ in any channel between two pictures of the same size."""
    r, g, b_ = ImageChops.difference(a, b).split()
    combined = ImageChops.lighter(ImageChops.lighter(r, g), b_)
    return combined.point(lambda v: 255 if v else 0).histogram()[255]


def main(argv):
    if len(argv) < 2:
        raise SystemExit(__doc__)
    cmd, args = argv[1], argv[2:]
    if cmd == "rgb":
        r, g, b = load(args[0]).getpixel((int(args[1]), int(args[2])))
        print(r, g, b)
    elif cmd in ("count", "bbox", "brightest"):
        img = load(args[0])
        x, y, w, h = (int(a) for a in args[1:5])
        found = list(matches(img, x, y, w, h, predicate(args[5])))
        if cmd == "count":
            print(len(found))
        elif not found:
            print("none")
        elif cmd == "bbox":
            xs = [f[0] for f in found]
            ys = [f[1] for f in found]
            print(min(xs), min(ys), max(xs), max(ys))
        else:
            best = max(found, key=lambda f: sum(f[2]))
            print(best[0], best[1])
    elif cmd == "diff":
        a, b = load(args[0]), load(args[1])
        if a.size != b.size:
            print(a.width * a.height)
            return
        x, y, w, h = (int(v) for v in args[2:6]) if len(args) >= 6 else (0, 0, a.width, a.height)
        box = rect(a, x, y, w, h)
        print(count_different(a.crop(box), b.crop(box)))
    elif cmd == "shifted":
        a, b = load(args[0]), load(args[1])
        x, y, w, h, dx, dy = (int(v) for v in args[2:8])
        x0, y0, x1, y1 = rect(a, x, y, w, h)
        # Parts of the moved rectangle outside B count as different (crop pads them with black,
        # so count them explicitly).
        bx0, by0, bx1, by1 = rect(b, x0 + dx, y0 + dy, x1 - x0, y1 - y0)
        outside = (x1 - x0) * (y1 - y0) - max(0, bx1 - bx0) * max(0, by1 - by0)
        inside = count_different(a.crop((bx0 - dx, by0 - dy, bx1 - dx, by1 - dy)), b.crop((bx0, by0, bx1, by1)))
        print(inside + outside)
    elif cmd == "keyblend":
        shot, back = load(args[0]), load(args[1])
        ox, oy, x, y, w, h = (int(v) for v in args[2:8])
        print(count_key_blends(shot, back, ox, oy, x, y, w, h, rgb(args[8]), rgb(args[9])))
    else:
        raise SystemExit(f"pixels.py: unknown command {cmd!r}\n{__doc__}")


if __name__ == "__main__":
    main(sys.argv)
