#!/usr/bin/env python3
"""Draws donate.bmp, the About dialog's donate picture: 74 x 21 pixels,
24 bits, an orange button with a heart and the word "Donate" in pixel
letters.  Run it after changing a glyph or a colour here, and commit the
bitmap:
    python3 quornvale/resources/draw_donate.py"""
import struct
from pathlib import Path

WIDTH, HEIGHT = 74, 21

# Glyphs on a 9-row grid (capital height); "#" is ink.
GLYPHS = {
    "D": ["####..", "##.##.", "##..##", "##..##", "##..##", "##..##", "##..##", "##.##.", "####.."],
    "o": ["", "", ".###.", "##.##", "##.##", "##.##", "##.##", "##.##", ".###."],
    "n": ["", "", "####.", "##.##", "##.##", "##.##", "##.##", "##.##", "##.##"],
    "a": ["", "", ".###.", "...##", ".####", "##.##", "##.##", "##.##", ".####"],
    "t": ["", ".##.", ".##.", "####", ".##.", ".##.", ".##.", ".##.", "..##"],
    "e": ["", "", ".###.", "##.##", "##.##", "#####", "##...", "##...", ".####"],
}
HEART = [".##...##.", "####.####", "#########", "#########", ".#######.", "..#####..", "...###...",
         "....#...."]

BORDER = (0x9A, 0x4A, 0x00)
TOP, BOTTOM = (0xFF, 0xC2, 0x5E), (0xF0, 0x84, 0x1C)
INK = (0x3A, 0x1A, 0x00)
HIGHLIGHT = (0xFF, 0xE4, 0xB0)
HEART_RED, HEART_SHINE = (0xD0, 0x1C, 0x24), (0xFF, 0x9A, 0x9A)


def glyph_width(glyph):
    return max(len(line) for line in glyph)


def draw():
    pixels = [[None] * WIDTH for _ in range(HEIGHT)]
    for y in range(HEIGHT):
        t = y / (HEIGHT - 1)
        colour = tuple(round(a + (b - a) * t) for a, b in zip(TOP, BOTTOM))
        for x in range(WIDTH):
            pixels[y][x] = colour
    for x in range(WIDTH):
        pixels[0][x] = pixels[HEIGHT - 1][x] = BORDER
    for y in range(HEIGHT):
        pixels[y][0] = pixels[y][WIDTH - 1] = BORDER
    for x in range(1, WIDTH - 1):
        pixels[1][x] = HIGHLIGHT  # a lit upper edge, as a raised button

    word = "Donate"
    text_width = sum(glyph_width(GLYPHS[c]) for c in word) + len(word) - 1
    gap = 4
    left = (WIDTH - (len(HEART[0]) + gap + text_width)) // 2
    top = (HEIGHT - 9) // 2 + 1

    for row, line in enumerate(HEART):
        for col, cell in enumerate(line):
            if cell == "#":
                pixels[top + row][left + col] = HEART_RED
    pixels[top + 1][left + 1] = pixels[top + 1][left + 2] = pixels[top + 2][left + 1] = HEART_SHINE

    x = left + len(HEART[0]) + gap
    for c in word:
        glyph = GLYPHS[c]
        for row, line in enumerate(glyph):
            for col, cell in enumerate(line):
                if cell == "#":
                    pixels[top + row][x + col] = INK
        x += glyph_width(glyph) + 1
    return pixels


def bmp(pixels):
    stride = (WIDTH * 3 + 3) & ~3
    body = bytearray()
    for row in reversed(pixels):  # bottom-up
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        body += line + bytes(stride - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(body), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    return header + info + bytes(body)


if __name__ == "__main__":
    target = Path(__file__).resolve().parent / "donate.bmp"
    target.write_bytes(bmp(draw()))
    print(target)
