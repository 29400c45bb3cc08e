#!/usr/bin/env python3
"""Draws the program's icon, velmora.ico: one 32 x 32 image with alpha.

A rounded tile in deep teal carries an amber sine wave over the Morse letter V (dot, dot, dot,
dash) in white. Drawn by supersampling, so the output is the same bytes on every machine.
Run it from anywhere; it writes velmora.ico beside itself.
"""
import math
import pathlib
import struct

SIZE = 32
SUB = 8  # samples per pixel side

TILE_TOP = (0x1D, 0x6F, 0x8A)
TILE_BOTTOM = (0x10, 0x3B, 0x55)
WAVE = (0xF5, 0xB3, 0x2E)
MARK = (0xFF, 0xFF, 0xFF)


def inside_tile(x, y):
    r = 6.0
    cx = min(max(x, r), SIZE - r)
    cy = min(max(y, r), SIZE - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def on_wave(x, y):
    if not 4.0 <= x <= 28.0:
        return False
    centre = 11.0 - 4.5 * math.sin((x - 4.0) / 24.0 * 2.0 * math.pi * 1.5)
    return abs(y - centre) <= 1.3


def on_mark(x, y):
    # V: three dots and a dash on the line y = 22.5
    if abs(y - 22.5) > 2.2:
        return False
    for cx in (6.5, 12.0, 17.5):
        if (x - cx) ** 2 + (y - 22.5) ** 2 <= 2.2 ** 2:
            return True
    return 21.5 <= x <= 28.0


def pixel(px, py):
    acc = [0.0, 0.0, 0.0, 0.0]
    for sy in range(SUB):
        for sx in range(SUB):
            x = px + (sx + 0.5) / SUB
            y = py + (sy + 0.5) / SUB
            if not inside_tile(x, y):
                continue
            if on_mark(x, y):
                colour = MARK
            elif on_wave(x, y):
                colour = WAVE
            else:
                t = y / SIZE
                colour = tuple(a + (b - a) * t for a, b in zip(TILE_TOP, TILE_BOTTOM))
            for i in range(3):
                acc[i] += colour[i]
            acc[3] += 1
    n = acc[3]
    if n == 0:
        return (0, 0, 0, 0)
    alpha = round(255 * n / (SUB * SUB))
    return tuple(round(acc[i] / n) for i in range(3)) + (alpha,)


def icon_bytes():
    rows = [[pixel(x, y) for x in range(SIZE)] for y in range(SIZE)]
    bgra = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask = bytes(SIZE * 4)  # 1 bit per pixel, rows padded to 32 bits; alpha does the work
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(bgra) + len(mask), 0, 0, 0, 0)
    image = header + bgra + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    target = pathlib.Path(__file__).with_name("velmora.ico")
    target.write_bytes(icon_bytes())
