#!/usr/bin/python3
"""Writes the seed corpus of the fuzz targets into tests/fuzz/corpus/<target>/.

The seeds are the embedded progress strip, a few crafted GIFs that reach the decoder's corners
(interlacing, local colour tables, disposal, transparency, extensions, a full code table), and
damaged or odd data (truncation, missing trailer, bad codes, hostile sizes, odd block headers).
The output is the same on every run; the corpus is committed, this script documents it.
"""
import os
import shutil
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
CORPUS = os.path.join(HERE, "corpus")


def lzw(indices, min_code_size, clear_when_full=True):
    """Plain GIF LZW; with clear_when_full False it keeps coding on a full table."""
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    out, bits, count = bytearray(), 0, 0

    def put(code, width):
        nonlocal bits, count
        bits |= code << count
        count += width
        while count >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            count -= 8

    def fresh():
        return {(-1, i): i for i in range(clear)}, end + 1, min_code_size + 1

    table, nxt, width = fresh()
    put(clear, width)
    prefix = indices[0]
    for k in indices[1:]:
        if (prefix, k) in table:
            prefix = table[(prefix, k)]
            continue
        put(prefix, width)
        if nxt < 4096:
            table[(prefix, k)] = nxt
            nxt += 1
            if nxt > (1 << width) and width < 12:
                width += 1
        elif clear_when_full:
            put(clear, width)
            table, nxt, width = fresh()
        prefix = k
    put(prefix, width)
    put(end, width)
    if count:
        out.append(bits & 0xFF)
    return bytes(out)


def sub_blocks(data):
    out = bytearray()
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out += bytes([len(chunk)]) + chunk
    return bytes(out + b"\x00")


def palette(n_bits, seed=0):
    return bytes((seed + i * 37 + c * 91) & 0xFF for i in range(1 << n_bits) for c in range(3))


def screen(w, h, table_bits=None, version=b"GIF89a"):
    packed = 0 if table_bits is None else 0x80 | (table_bits - 1)
    head = version + struct.pack("<HHBBB", w, h, packed, 0, 0)
    return head + (palette(table_bits) if table_bits else b"")


def control(delay_cs=10, disposal=1, transparent=None):
    packed = (disposal << 2) | (1 if transparent is not None else 0)
    return b"\x21\xF9\x04" + struct.pack("<BHB", packed, delay_cs, transparent or 0) + b"\x00"


def image(x, y, w, h, indices, min_code=2, local_bits=None, interlaced=False, clear_when_full=True):
    packed = (0x40 if interlaced else 0) | (0x80 | (local_bits - 1) if local_bits else 0)
    out = b"\x2C" + struct.pack("<HHHHB", x, y, w, h, packed)
    if local_bits:
        out += palette(local_bits, seed=17)
    return out + bytes([min_code]) + sub_blocks(lzw(indices, min_code, clear_when_full))


def pattern(n, colours, step=1):
    return [(i * step // 3) % colours for i in range(n)]


COMMENT = b"\x21\xFE" + sub_blocks(b"seed corpus comment")[:-1] + b"\x00"
PLAIN_TEXT = b"\x21\x01\x0C" + bytes(12) + sub_blocks(b"hi")
LOOP = b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"
OTHER_APP = b"\x21\xFF\x0BXMPDataXMP!" + sub_blocks(b"<x/>")


def gifs():
    strip = open(os.path.join(ROOT, "resources", "progress_strip.gif"), "rb").read()
    tiny = screen(1, 1, 1, b"GIF87a") + image(0, 0, 1, 1, [1]) + b"\x3B"
    interlaced = (screen(5, 10) + control(0, 0) +
                  image(0, 0, 5, 10, pattern(50, 8), 3, local_bits=3, interlaced=True) + b"\x3B")
    disposal = (screen(8, 6, 2) + LOOP + COMMENT +
                control(0, 2, transparent=0) + image(1, 1, 4, 3, pattern(12, 4)) +
                PLAIN_TEXT + control(5, 3, transparent=3) + image(3, 2, 5, 4, pattern(20, 4, 2)) +
                OTHER_APP + control(7, 1) + image(0, 0, 8, 6, pattern(48, 4, 5)) + b"\x3B")
    # Enough varied pixels to fill the 4096-entry table, then coding goes on without a clear.
    full = [(i * 7 + (i // 64) * 13 + (i * i) % 11) % 256 for i in range(96 * 96)]
    deferred = screen(96, 96, 8) + control(3, 0) + image(0, 0, 96, 96, full, 8,
                                                         clear_when_full=False) + b"\x3B"
    one = screen(4, 4, 2) + image(0, 0, 4, 4, pattern(16, 4))
    bad_code = bytearray(one + b"\x3B")
    bad_code[screen(4, 4, 2).__len__() + 10 + 1 + 1] ^= 0xF0  # first data byte: codes past the table
    return {
        "strip.gif": strip,
        "tiny_gif87a.gif": tiny,
        "interlaced_local_table.gif": interlaced,
        "disposal_transparency_extensions.gif": disposal,
        "deferred_clear.gif": deferred,
        "strip_truncated.gif": strip[:len(strip) * 2 // 3],
        "no_trailer.gif": one,
        "bad_lzw_code.gif": bytes(bad_code),
        "image_outside_screen.gif": screen(4, 4, 2) + image(2, 2, 4, 4, pattern(16, 4)) + b"\x3B",
        "huge_screen.gif": screen(16384, 16384, 1) + image(0, 0, 1, 1, [0]) + b"\x3B",
        "min_code_size_12.gif": screen(2, 2, 1) + b"\x2C" + struct.pack("<HHHHB", 0, 0, 2, 2, 0) +
                                b"\x0C\x02\x00\x10\x00\x3B",
        "not_a_gif.png": open(os.path.join(ROOT, "resources", "close_over.png"), "rb").read(),
    }


def block(payload, type_word=1, length=None):
    return struct.pack("<II", type_word, len(payload) if length is None else length) + payload


def image_blocks(g):
    res = lambda name: open(os.path.join(ROOT, "resources", name), "rb").read()
    return {
        "strip_block.bin": block(g["strip.gif"]),
        "two_png_blocks.bin": block(res("radio_off.png")) + block(res("radio_on.png")),
        "gif_then_overlong.bin": block(g["tiny_gif87a.gif"]) + block(b"GIF89a", length=4096),
        "short_header.bin": b"\x01\x00\x00\x00\x10",
        "huge_length.bin": block(b"GIF89a\x01\x00", length=0xFFFFFFFF),
        "empty_blocks_odd_types.bin": block(b"", 0) + block(b"", 0xFFFFFFFF) + block(b"", 7) + b"\x01\x00",
        "odd_type_gifs.bin": block(g["disposal_transparency_extensions.gif"], 0xDEADBEEF) +
                             block(g["interlaced_local_table.gif"], 2),
    }


def write(target, files):
    directory = os.path.join(CORPUS, target)
    shutil.rmtree(directory, ignore_errors=True)
    os.makedirs(directory)
    for name, data in sorted(files.items()):
        with open(os.path.join(directory, name), "wb") as f:
            f.write(data)


def main():
    g = gifs()
    write("gif_decoder_fuzz", g)
    write("image_blocks_fuzz", image_blocks(g))


if __name__ == "__main__":
    main()
