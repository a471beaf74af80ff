#!/usr/bin/python3
"""Draws the program icon, resources/quorlin.ico, from code so it can be rebuilt exactly.

The mark is the one in the title strip of the backgrounds: an orange rounded square (a vertical
gradient from amber to a deep orange) with a white monitor glyph - a screen outline with two text
lines, a neck and a foot. Each size is drawn on its own at 16 times its resolution and reduced by
area averaging; at 16, 24 and 32 pixels the glyph's strokes are snapped to whole pixels so the
small icons stay sharp. The file holds 16, 24, 32, 48 and 64 pixel images as 32-bit BMP entries
(every Windows version reads those) and the 256 pixel image as PNG, as Windows does itself.

    /usr/bin/python3 tools/make_icon.py [output.ico]    (default: resources/quorlin.ico)
    /usr/bin/python3 tools/make_icon.py --preview out.png
"""
import os
import struct
import sys
import zlib

from PIL import Image, ImageDraw

SIZES = (16, 24, 32, 48, 64, 256)
PNG_FROM = 256  # sizes from here on are stored as PNG
OVERSAMPLE = 16

TOP = (240, 176, 84)     # gradient of the rounded square, as in the title strip's mark
BOTTOM = (214, 92, 52)
WHITE = (255, 255, 255)


def glyph_boxes(size):
    """The monitor glyph as boxes (left, top, right, bottom, radius) in icon pixels, exclusive
    right and bottom. Up to 32 pixels every edge lies on a whole pixel."""
    margin = 0 if size <= 16 else size / 32
    unit = (size - 2 * margin) / 26  # the title strip draws the mark on a 26-unit grid

    def at(v):
        return margin + v * unit

    if size > 32:
        stroke, line = 2.2 * unit, 1.6 * unit
        left, top, right, bottom = at(5), at(6), at(21), at(17)
        text_x = left + stroke + 1.3 * unit
        lines = [(text_x, at(10) - line / 2, text_x + 8 * unit, at(10) + line / 2),
                 (text_x, at(12.5) - line / 2, text_x + 4 * unit, at(12.5) + line / 2)]
        neck = (at(12), bottom - stroke / 2, at(14), at(19.6))
        foot = (at(8.5), at(19.6), at(17.5), at(21.6))
        return [("outline", (left, top, right, bottom), 2 * unit, stroke)] + \
               [("fill", box, 0, 0) for box in lines] + [("fill", neck, 0, 0), ("fill", foot, unit, 0)]

    def whole(v):
        return int(v + 0.5)

    stroke = max(1, whole(2 * unit))
    line = max(1, whole(1.4 * unit))
    gap = max(1, whole(unit))
    left, top, right, bottom = whole(at(5)), whole(at(6)), whole(at(21)), whole(at(17))
    width = right - left
    text_x = left + stroke + gap
    first = top + stroke + gap
    second = first + line + gap
    lines = [(text_x, first, text_x + whole(8 * unit), first + line),
             (text_x, second, text_x + whole(4 * unit), second + line)]
    # Neck and foot centred under the screen: their widths take the parity of the screen's.
    neck_w = max(1, whole(2 * unit))
    neck_w += (width - neck_w) % 2
    foot_w = whole(9 * unit)
    foot_w += (width - foot_w) % 2
    foot_top = whole(at(19.6))
    foot_h = max(1, whole(2 * unit))
    neck_x = left + (width - neck_w) // 2
    foot_x = left + (width - foot_w) // 2
    return [("outline", (left, top, right, bottom), max(1, whole(2 * unit)) if size > 16 else 1, stroke)] + \
           [("fill", box, 0, 0) for box in lines] + \
           [("fill", (neck_x, bottom, neck_x + neck_w, foot_top), 0, 0),
            ("fill", (foot_x, foot_top, foot_x + foot_w, foot_top + foot_h), foot_h / 2 if size > 16 else 0, 0)]


def mark(size):
    """The icon at `size` pixels, RGBA, straight alpha."""
    k = OVERSAMPLE
    s = size * k
    margin = 0 if size <= 16 else size / 32
    unit = (size - 2 * margin) / 26

    square = Image.new("L", (s, s), 0)
    lo, hi = round(margin * k), s - round(margin * k)
    ImageDraw.Draw(square).rounded_rectangle((lo, lo, hi - 1, hi - 1), radius=round(7 * unit * k), fill=255)
    gradient = Image.new("RGB", (1, s))
    for y in range(s):
        t = min(max((y - lo) / max(hi - lo - 1, 1), 0.0), 1.0)
        gradient.putpixel((0, y), tuple(round(a + (b - a) * t) for a, b in zip(TOP, BOTTOM)))
    icon = gradient.resize((s, s), Image.NEAREST).convert("RGBA")
    icon.putalpha(square)

    glyph = Image.new("L", (s, s), 0)
    g = ImageDraw.Draw(glyph)
    for kind, (l, t, r, b), radius, stroke in glyph_boxes(size):
        box = (round(l * k), round(t * k), round(r * k) - 1, round(b * k) - 1)
        if kind == "outline":
            g.rounded_rectangle(box, radius=round(radius * k), outline=255, width=round(stroke * k))
        else:
            g.rounded_rectangle(box, radius=round(radius * k), fill=255)

    white = Image.new("RGBA", (s, s), WHITE + (255,))
    white.putalpha(Image.composite(glyph, Image.new("L", (s, s), 0), square))
    icon.alpha_composite(white)
    # Area averaging on premultiplied colour keeps the transparent corners from bleeding dark.
    return icon.convert("RGBa").resize((size, size), Image.BOX).convert("RGBA")


def png_bytes(img):
    """RGBA PNG with IHDR, IDAT and IEND only, filter 0 on every row, fixed zlib level."""
    w, h = img.size
    raw = img.tobytes()
    rows = b"".join(b"\x00" + raw[y * w * 4:(y + 1) * w * 4] for y in range(h))

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def bmp_entry(img):
    """A 32-bit icon image: BITMAPINFOHEADER (double height), BGRA rows bottom-up, AND mask."""
    w, h = img.size
    pixels = img.load()
    header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    for y in reversed(range(h)):
        for x in range(w):
            r, g, b, a = pixels[x, y]
            colour += bytes((b, g, r, a))
    stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(h)):
        row = bytearray(stride)
        for x in range(w):
            if pixels[x, y][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return header + bytes(colour) + bytes(mask)


def ico_bytes(images):
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for img in images:
        w, h = img.size
        blob = png_bytes(img) if w >= PNG_FROM else bmp_entry(img)
        entries.append(struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs)


def preview(images, path):
    """Every size side by side on a dark and a light strip, enlarged 4 times, for a look."""
    width = sum(i.size[0] for i in images) + 12 * (len(images) + 1)
    sheet = Image.new("RGBA", (width, 2 * (256 + 24)), (30, 36, 46, 255))
    ImageDraw.Draw(sheet).rectangle((0, 280, width, 560), fill=(240, 240, 240, 255))
    x = 12
    for img in images:
        for y in (12, 292):
            sheet.alpha_composite(img, (x, y))
        x += img.size[0] + 12
    sheet = sheet.resize((sheet.size[0] * 2, sheet.size[1] * 2), Image.NEAREST)
    sheet.convert("RGB").save(path)


def main(argv):
    images = [mark(size) for size in SIZES]
    if len(argv) == 3 and argv[1] == "--preview":
        preview(images, argv[2])
        return 0
    root = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    out = argv[1] if len(argv) > 1 else os.path.join(root, "resources", "quorlin.ico")
    data = ico_bytes(images)
    with open(out, "wb") as f:
        f.write(data)
    print(f"{out}: {len(data)} bytes, sizes {', '.join(map(str, SIZES))}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
