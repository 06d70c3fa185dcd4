#!/usr/bin/env python3
"""Draw the configuration dialog banner as a 24-bit BMP.

A dark background with a soft vertical gradient, the words "Velmor Lyrics"
in a small pixel font defined below (drawn at 2x), a faint shadow under the
letters, a little music note and a thin accent line along the bottom.

Standard library only.  Run:  python3 make_banner.py   (writes banner.bmp
next to itself)
"""

import os
import struct
import sys

WIDTH = 220
HEIGHT = 50
SCALE = 2

# 5 columns x 9 rows per glyph: rows 0-6 sit on the baseline, rows 7-8 are
# for descenders.
FONT = {
    "V": ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#..",
          ".....", "....."],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####",
          ".....", "....."],
    "e": [".....", ".....", ".###.", "#...#", "#####", "#....", ".###.",
          ".....", "....."],
    "l": [".##..", "..#..", "..#..", "..#..", "..#..", "..#..", ".###.",
          ".....", "....."],
    "m": [".....", ".....", "##.#.", "#.#.#", "#.#.#", "#.#.#", "#.#.#",
          ".....", "....."],
    "o": [".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###.",
          ".....", "....."],
    "r": [".....", ".....", "#.##.", "##..#", "#....", "#....", "#....",
          ".....", "....."],
    "y": [".....", ".....", "#...#", "#...#", "#...#", "#...#", ".####",
          "....#", ".###."],
    "i": ["..#..", ".....", ".##..", "..#..", "..#..", "..#..", ".###.",
          ".....", "....."],
    "c": [".....", ".....", ".###.", "#....", "#....", "#...#", ".###.",
          ".....", "....."],
    "s": [".....", ".....", ".####", "#....", ".###.", "....#", "####.",
          ".....", "....."],
    " ": ["...", "...", "...", "...", "...", "...", "...", "...", "..."],
}

# Eighth note drawn in the same pixel style (7 x 9), shown left of the text.
NOTE = [
    "..##...",
    "..####.",
    "..##.##",
    "..##..#",
    "..##...",
    "..##...",
    "####...",
    "####...",
    ".##....",
]

TEXT = "Velmor Lyrics"
TEXT_COLOUR = (236, 240, 248)
SHADOW_COLOUR = (8, 10, 16)
NOTE_COLOUR = (255, 214, 110)
ACCENT_COLOUR = (70, 150, 240)
TOP_COLOUR = (22, 24, 32)
BOTTOM_COLOUR = (42, 46, 60)


def blank_canvas():
    rows = []
    for y in range(HEIGHT):
        t = y / (HEIGHT - 1)
        c = tuple(int(round(TOP_COLOUR[k] + (BOTTOM_COLOUR[k] - TOP_COLOUR[k]) * t))
                  for k in range(3))
        rows.append([c] * WIDTH)
    return rows


def plot_block(canvas, x, y, colour):
    for dy in range(SCALE):
        for dx in range(SCALE):
            px, py = x + dx, y + dy
            if 0 <= px < WIDTH and 0 <= py < HEIGHT:
                canvas[py][px] = colour


def draw_bitmap(canvas, bitmap, x0, y0, colour, shadow):
    for pass_colour, off in ((shadow, SCALE // 2 + 1), (colour, 0)):
        for row, line in enumerate(bitmap):
            for col, ch in enumerate(line):
                if ch == "#":
                    plot_block(canvas, x0 + col * SCALE + off,
                               y0 + row * SCALE + off, pass_colour)


def text_width(text):
    cols = sum(len(FONT[ch][0]) for ch in text) + (len(text) - 1)
    return cols * SCALE


def render():
    canvas = blank_canvas()
    note_w = len(NOTE[0]) * SCALE
    gap = 4 * SCALE
    total = note_w + gap + text_width(TEXT)
    x = (WIDTH - total) // 2
    # Caps are 7 rows tall; centre them, letting descenders hang below.
    y = (HEIGHT - 7 * SCALE) // 2 - SCALE
    draw_bitmap(canvas, NOTE, x, y, NOTE_COLOUR, SHADOW_COLOUR)
    x += note_w + gap
    for ch in TEXT:
        glyph = FONT[ch]
        draw_bitmap(canvas, glyph, x, y, TEXT_COLOUR, SHADOW_COLOUR)
        x += (len(glyph[0]) + 1) * SCALE
    for yy in (HEIGHT - 3, HEIGHT - 2):
        for xx in range(WIDTH):
            canvas[yy][xx] = ACCENT_COLOUR
    return canvas


def bmp_bytes(canvas):
    stride = (WIDTH * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(HEIGHT - 1, -1, -1):
        row = bytearray()
        for r, g, b in canvas[y]:
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        pixels += row
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0,
                       len(pixels), 2835, 2835, 0, 0)
    offset = 14 + len(info)
    head = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return head + info + bytes(pixels)


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "banner.bmp")
    if len(sys.argv) > 1:
        out = sys.argv[1]
    with open(out, "wb") as f:
        f.write(bmp_bytes(render()))
    print("wrote", out)


if __name__ == "__main__":
    main()
