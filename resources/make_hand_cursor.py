#!/usr/bin/python3
"""Writes HAND-M.CUR: a 32x32 pointing-hand cursor (32-bit colour with alpha, plus the 1-bit
mask a cursor file carries), hot spot on the tip of the index finger."""
import struct
import sys

# '#' outline, '.' fill, ' ' transparent. Rows from the top.
HAND = [
    "      ##                        ",
    "     #..#                       ",
    "     #..#                       ",
    "     #..#                       ",
    "     #..#                       ",
    "     #..###                     ",
    "     #..#..###                  ",
    "     #..#..#..##                ",
    "     #..#..#..#.#               ",
    " ### #..#..#..#..#              ",
    " #..##........#..#              ",
    " #...#...........#              ",
    "  #..#...........#              ",
    "   #.............#              ",
    "   #.............#              ",
    "    #............#              ",
    "    #...........#               ",
    "     #..........#               ",
    "     #.........#                ",
    "      #........#                ",
    "      #........#                ",
    "      ##########                ",
]
SIZE = 32
HOT_X, HOT_Y = 6, 0


def pixel(x, y):
    row = HAND[y] if y < len(HAND) else ""
    c = row[x] if x < len(row) else " "
    return {"#": (0, 0, 0, 255), ".": (255, 255, 255, 255)}.get(c, (0, 0, 0, 0))


def main(path):
    # Colour rows bottom-up, BGRA.
    xor = b"".join(
        bytes((b, g, r, a))
        for y in reversed(range(SIZE))
        for (r, g, b, a) in (pixel(x, y) for x in range(SIZE)))
    # AND mask bottom-up, 1 = transparent, rows padded to 32 bits.
    mask = b""
    for y in reversed(range(SIZE)):
        bits = 0
        for x in range(SIZE):
            if pixel(x, y)[3] == 0:
                bits |= 1 << (31 - x)
        mask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(mask),
                         0, 0, 0, 0)
    image = header + xor + mask
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, HOT_X, HOT_Y, len(image), 6 + 16)
    with open(path, "wb") as out:
        out.write(directory + entry + image)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "HAND-M.CUR")
