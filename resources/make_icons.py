#!/usr/bin/env python3
"""Writes the program's two icons as 16-colour .ico files.

The pictures are drawn here pixel by pixel, so every build makes the same
bytes: a small map view (dark blue grid, red-outlined sectors, the green start
disc) like the one the editor shows.

Usage: make_icons.py <large.ico> <small.ico>
  large.ico holds a 32 x 32 and a 16 x 16 image, small.ico a 16 x 16 image.
"""
import struct
import sys

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, RED, LIME, WHITE = 0, 4, 9, 10, 15


def draw_map(size):
    """A size x size picture as rows of palette indices, top row first."""
    cell = size // 4
    px = [[BLACK] * size for _ in range(size)]
    for i in range(0, size, cell):
        for j in range(size):
            px[i][j] = NAVY
            px[j][i] = NAVY

    def sector(left, top, right, bottom):
        for y in range(top, bottom):
            for x in range(left, right):
                edge = y in (top, bottom - 1) or x in (left, right - 1)
                px[y][x] = RED if edge else BLACK

    sector(0, cell, 2 * cell + 1, 3 * cell + 1)
    sector(2 * cell, 2 * cell, size, size)
    # The start disc fills one cell, outlined in red like the editor's.
    centre = cell / 2.0 - 0.5
    ox, oy = 2 * cell + cell // 4, cell // 4 - (1 if size > 16 else 0)
    radius = cell / 2.0
    for y in range(cell):
        for x in range(cell):
            d = ((x - centre) ** 2 + (y - centre) ** 2) ** 0.5
            if d <= radius - 1.0:
                px[oy + y][ox + x] = LIME
            elif d <= radius:
                px[oy + y][ox + x] = RED
    # A selection frame, dotted white, one pixel outside the lower sector.
    for x in range(2 * cell - 1, size, 2):
        px[2 * cell - 1][x] = WHITE
    for y in range(2 * cell - 1, size, 2):
        px[y][2 * cell - 1] = WHITE
    return px


def image_bytes(px):
    """BITMAPINFOHEADER, palette, 4-bit colour rows and 1-bit mask, bottom-up."""
    size = len(px)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    for row in reversed(px):
        line = bytearray()
        for x in range(0, size, 2):
            line.append(row[x] << 4 | row[x + 1])
        xor += line + bytes(xor_stride - len(line))
    mask = bytes(and_stride * size)  # fully opaque
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0,
                         len(xor) + len(mask), 0, 0, 16, 0)
    palette = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + bytes(xor) + mask


def write_icon(path, sizes):
    images = [image_bytes(draw_map(s)) for s in sizes]
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', s, s, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    if len(sys.argv) != 3:
        sys.exit('usage: make_icons.py <large.ico> <small.ico>')
    write_icon(sys.argv[1], [32, 16])
    write_icon(sys.argv[2], [16])
