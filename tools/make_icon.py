#!/usr/bin/env python3
"""Draws the program's icon (resources/mainicon.ico): a blue disc carrying a
white downward arrow onto a tray, the usual picture of "install", at 16, 24,
32 and 48 pixels, as 32-bit images with an alpha channel and an AND mask."""
import math
import struct
import sys


def pixel(x, y, size):
    """RGBA of the pixel centred at (x + 0.5, y + 0.5) in a size x size image."""
    cx = cy = size / 2
    px, py = (x + 0.5) / size, (y + 0.5) / size  # 0..1
    r = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
    radius = size * 0.47
    coverage = max(0.0, min(1.0, radius - r + 0.5))
    if coverage <= 0:
        return (0, 0, 0, 0)
    # Blue disc, lighter at the top.
    t = py
    base = (int(40 + 40 * (1 - t)), int(110 + 60 * (1 - t)), int(200 + 40 * (1 - t)))
    white = False
    # Arrow shaft, arrow head and tray, in unit coordinates.
    if 0.44 <= px <= 0.56 and 0.20 <= py <= 0.52:
        white = True
    if 0.50 <= py <= 0.68 and abs(px - 0.5) <= (0.68 - py) * 1.2:
        white = True
    if 0.72 <= py <= 0.80 and 0.26 <= px <= 0.74:
        white = True
    if 0.62 <= py <= 0.80 and (0.26 <= px <= 0.33 or 0.67 <= px <= 0.74):
        white = True
    rgb = (255, 255, 255) if white else base
    return (rgb[0], rgb[1], rgb[2], int(255 * coverage))


def image(size):
    rows = []
    for y in reversed(range(size)):  # bottom-up
        rows.append(b"".join(struct.pack("BBBB", b, g, r, a)
                             for r, g, b, a in (pixel(x, y, size) for x in range(size))))
    xor = b"".join(rows)
    mask_row = ((size + 31) // 32) * 4
    and_mask = bytearray()
    for y in reversed(range(size)):
        bits = bytearray(mask_row)
        for x in range(size):
            if pixel(x, y, size)[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        and_mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + bytes(and_mask)


def main(path):
    sizes = [16, 24, 32, 48]
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    open(path, "wb").write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "resources/mainicon.ico")
