#!/usr/bin/env python3
"""Writes brintova.ico, the Windows program's icon: a small sheet with a green header band and a
highlighted column, the same mark the Linux window paints. Sizes 16, 32 and 48; 32-bit colour."""
import struct
import sys
from pathlib import Path

GREEN = (0x2E, 0x8B, 0x57, 255)
DARK = (0x20, 0x60, 0x30, 255)
YELLOW = (0xFF, 0xD7, 0x00, 255)
WHITE = (255, 255, 255, 255)
CLEAR = (0, 0, 0, 0)


def draw(size):
    """The 32-pixel design scaled to `size`: rows of RGBA tuples, top row first."""
    s = size / 32.0
    px = [[CLEAR] * size for _ in range(size)]

    def fill(x0, y0, x1, y1, colour):
        for y in range(int(round(y0 * s)), max(int(round(y1 * s)), int(round(y0 * s)) + 1)):
            for x in range(int(round(x0 * s)), max(int(round(x1 * s)), int(round(x0 * s)) + 1)):
                if 0 <= x < size and 0 <= y < size:
                    px[y][x] = colour

    fill(3, 2, 29, 30, DARK)      # outline
    fill(4, 3, 28, 29, WHITE)     # sheet
    fill(4, 3, 28, 9, GREEN)      # header band
    fill(13, 9, 19, 29, YELLOW)   # the highlighted column
    for y in (14, 19, 24):        # grid
        fill(4, y, 28, y + 1, DARK)
    for x in (12, 19):
        fill(x, 9, x + 1, 29, DARK)
    return px


def bitmap(px):
    size = len(px)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(px) for (r, g, b, a) in row)
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(px):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + colour + bytes(mask)


def icon(sizes):
    images = [bitmap(draw(size)) for size in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


if __name__ == "__main__":
    target = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).with_name("brintova.ico")
    target.write_bytes(icon([16, 32, 48]))
