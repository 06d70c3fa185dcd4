#!/usr/bin/env python3
"""Draw the toolbar icons as pixel art and write them as Windows .ico files.

Every icon is drawn by hand on a 16x16 grid below.  The 32x32 image is made
from the same drawing with the Scale2x pixel-art enlarger and the 48x48 one
by tripling every pixel, so all sizes keep the same look.  A thin dark outline is then added around every shape so the
icons stay readable on the dark toolbar as well as on light backgrounds.

Each .ico holds three images (16x16, 32x32 and 48x48), 32-bit BGRA with a 1-bit AND
mask, stored the classic way: a BITMAPINFOHEADER whose height is doubled,
the colour rows bottom-up, then the mask rows bottom-up.

Standard library only.  Run:  python3 make_icons.py   (writes next to itself)
"""

import os
import struct
import sys

# Palette: one character per pixel.  '.' is transparent.
PALETTE = {
    ".": None,
    "W": (250, 250, 250),   # white
    "w": (205, 208, 214),   # light grey
    "g": (150, 154, 162),   # mid grey
    "k": (28, 28, 32),      # near black
    "b": (110, 195, 255),   # light blue
    "B": (60, 135, 235),    # blue
    "y": (255, 214, 72),    # yellow
    "o": (226, 140, 30),    # orange
    "p": (244, 140, 160),   # eraser pink
    "t": (236, 196, 146),   # bare wood
    "G": (120, 222, 120),   # green
    "n": (255, 226, 130),   # pale gold (music note)
}

OUTLINE = (18, 18, 22, 215)

ICONS = {}

# id 1401: circular arrow
ICONS["refresh"] = """
................
................
.....bbbbb......
...bbbbbbbbb....
..bbb.....bbb...
..bb.......bb...
.bb.........bb..
.bb.........bb..
.bb.......bbbbbb
.bb........bbbb.
.bb.........bb..
..bb............
..bbb...........
...bbbbbbb......
.....bbbbb......
................
"""

# id 1403: stopwatch
ICONS["timetags"] = """
......gggg......
.......gg.......
.....oooooo.gg..
...ooWWWWWWoog..
..oWWWWgWWWWWo..
..oWWWWkWWWWWo..
.oWWWWWkWWWWWWo.
.oWWWWWkWWWWWWo.
.oWgWWWkkkWWgWo.
.oWWWWWWWWWWWWo.
.oWWWWWWWWWWWWo.
..oWWWWWWWWWWo..
..oWWWWgWWWWWo..
...ooWWWWWWoo...
.....oooooo.....
................
"""

# id 1404: pencil on a page
ICONS["editor"] = """
................
.WWWWWWWg.......
.WWWWWWWwg......
.WgggggWwwg...pp
.WWWWWWWgggg.ppp
.WWWWWWWWWWWggg.
.WggggggggWyyo..
.WWWWWWWWWyyo...
.WggggggWyyo....
.WWWWWWWyyoW....
.WggggWyyoWW....
.WWWWWtttWWW....
.WWWWktWWWWW....
.WWWkWWWWWWW....
.WWWWWWWWWWW....
................
"""

# id 1405: question mark in a circle
ICONS["help"] = """
................
.....BBBBBB.....
...BBBBBBBBBB...
..BBBBBBBBBBBB..
..BBBBWWWWBBBB..
.BBBBWWBBWWBBBB.
.BBBBBBBBWWBBBB.
.BBBBBBBWWBBBBB.
.BBBBBBWWBBBBBB.
.BBBBBBWWBBBBBB.
.BBBBBBBBBBBBBB.
..BBBBBWWBBBBB..
..BBBBBWWBBBBB..
...BBBBBBBBBB...
.....BBBBBB.....
................
"""

# id 1406: music note with an info badge
ICONS["songinfo"] = """
................
......nn........
......nnnn......
......nn.nnn....
......nn...nn...
......nn....n...
......nn........
......nn........
......nn...BBB..
..nnnnnn..BBWBB.
.nnnnnnn.BBBBBBB
.nnnnnnn.BBBWBBB
..nnnnn..BBBWBBB
..........BBWBB.
...........BBB..
................
"""

# id 1407: gear
ICONS["config"] = """
................
......wwww......
..ww..wwww..ww..
..www.wwww.www..
...wwwwwwwwww...
....wwwwwwww....
.wwwwww..wwwwww.
.wwwww....wwwww.
.wwwww....wwwww.
.wwwwww..wwwwww.
....wwwwwwww....
...wwwwwwwwww...
..www.wwww.www..
..ww..wwww..ww..
......wwww......
................
"""

# id 1408: floppy disk
ICONS["save"] = """
................
.BBBBBBBBBBBBB..
.BBBwwwwwwwwBBB.
.BBBwwwwwkkwBBB.
.BBBwwwwwkkwBBB.
.BBBwwwwwkkwBBB.
.BBBBBBBBBBBBBB.
.BBBBBBBBBBBBBB.
.BBWWWWWWWWWWBB.
.BBWWWWWWWWWWBB.
.BBWggggggggWBB.
.BBWWWWWWWWWWBB.
.BBWggggggggWBB.
.BBWWWWWWWWWWBB.
.BBBBBBBBBBBBBB.
................
"""

TRANSPARENT = (0, 0, 0, 0)


def parse_grid(name, text):
    rows = [r for r in text.strip("\n").split("\n")]
    if len(rows) != 16 or any(len(r) != 16 for r in rows):
        raise ValueError("icon %s is not 16x16" % name)
    img = []
    for r in rows:
        line = []
        for ch in r:
            if ch not in PALETTE:
                raise ValueError("icon %s: unknown colour %r" % (name, ch))
            c = PALETTE[ch]
            line.append(TRANSPARENT if c is None else c + (255,))
        img.append(line)
    return img


def scale2x(img):
    """Scale2x (EPX): doubles the size, rounding off stair-step diagonals."""
    h = len(img)
    w = len(img[0])
    out = [[TRANSPARENT] * (w * 2) for _ in range(h * 2)]
    for y in range(h):
        for x in range(w):
            p = img[y][x]
            a = img[y - 1][x] if y > 0 else p
            b = img[y][x + 1] if x < w - 1 else p
            c = img[y][x - 1] if x > 0 else p
            d = img[y + 1][x] if y < h - 1 else p
            e0 = e1 = e2 = e3 = p
            if c == a and c != d and a != b:
                e0 = a
            if a == b and a != c and b != d:
                e1 = b
            if d == c and d != b and c != a:
                e2 = c
            if b == d and b != a and d != c:
                e3 = d
            out[2 * y][2 * x] = e0
            out[2 * y][2 * x + 1] = e1
            out[2 * y + 1][2 * x] = e2
            out[2 * y + 1][2 * x + 1] = e3
    return out


def scale3x_nearest(img):
    """Triples the size, every pixel becoming a 3x3 block."""
    out = []
    for row in img:
        wide = [p for p in row for _ in range(3)]
        out.extend([wide[:] for _ in range(3)])
    return out


def add_outline(img):
    """Fill every transparent pixel that touches a shape with a dark edge."""
    h = len(img)
    w = len(img[0])
    out = [row[:] for row in img]
    for y in range(h):
        for x in range(w):
            if img[y][x][3] != 0:
                continue
            touch = False
            for dy in (-1, 0, 1):
                for dx in (-1, 0, 1):
                    yy, xx = y + dy, x + dx
                    if 0 <= yy < h and 0 <= xx < w and img[yy][xx][3] == 255:
                        touch = True
            if touch:
                out[y][x] = OUTLINE
    return out


def dib_bytes(img):
    """One icon image: BITMAPINFOHEADER + BGRA rows + AND mask rows."""
    h = len(img)
    w = len(img[0])
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            r, g, b, a = img[y][x]
            if a == 0:
                xor += b"\0\0\0\0"
            else:
                xor += bytes((b, g, r, a))
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(mask_stride)
        for x in range(w):
            if img[y][x][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    header = struct.pack(
        "<IiiHHIIiiII",
        40,             # biSize
        w,              # biWidth
        h * 2,          # biHeight: colour + mask
        1,              # biPlanes
        32,             # biBitCount
        0,              # biCompression = BI_RGB
        len(xor) + len(mask),
        0, 0, 0, 0,
    )
    return header + bytes(xor) + bytes(mask)


def ico_bytes(images):
    count = len(images)
    blobs = [dib_bytes(im) for im in images]
    out = bytearray(struct.pack("<HHH", 0, 1, count))
    offset = 6 + 16 * count
    for im, blob in zip(images, blobs):
        w = len(im[0])
        h = len(im)
        out += struct.pack(
            "<BBBBHHII",
            w % 256, h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


def main():
    outdir = os.path.dirname(os.path.abspath(__file__))
    if len(sys.argv) > 1:
        outdir = sys.argv[1]
    for name, grid in ICONS.items():
        base = parse_grid(name, grid)
        small = add_outline(base)
        large = add_outline(scale2x(base))
        largest = add_outline(scale3x_nearest(base))
        path = os.path.join(outdir, name + ".ico")
        with open(path, "wb") as f:
            f.write(ico_bytes([small, large, largest]))
        print("wrote", path)


if __name__ == "__main__":
    main()
