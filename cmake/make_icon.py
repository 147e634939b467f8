#!/usr/bin/env python3
"""Draws the runtime's icon (a white "K" on a blue rounded square, 16x16 and 32x32, 32-bit colour)
and writes it as a Windows .ico file. The committed src/platform/win32/korvex.ico comes from here:
    python3 cmake/make_icon.py src/platform/win32/korvex.ico
"""
import struct
import sys


def pixel(size, x, y):
    """BGRA of one pixel; y counts from the top."""
    scale = size / 32.0
    u, v = x / scale, y / scale
    corner = 5.0
    inside = True
    for cx, cy in ((corner, corner), (31 - corner, corner), (corner, 31 - corner), (31 - corner, 31 - corner)):
        if (u < corner and v < corner and (cx, cy) == (corner, corner)) or \
           (u > 31 - corner and v < corner and (cx, cy) == (31 - corner, corner)) or \
           (u < corner and v > 31 - corner and (cx, cy) == (corner, 31 - corner)) or \
           (u > 31 - corner and v > 31 - corner and (cx, cy) == (31 - corner, 31 - corner)):
            inside = (u - cx) ** 2 + (v - cy) ** 2 <= corner ** 2
    if not inside:
        return (0, 0, 0, 0)
    stem = 8 <= u <= 12 and 6 <= v <= 25
    upper = 6 <= v <= 16 and abs((u - 12) - (16 - v) * 1.0) <= 2.2 and u >= 11
    lower = 15 <= v <= 25 and abs((u - 12) - (v - 15) * 1.0) <= 2.2 and u >= 11
    if stem or upper or lower:
        return (255, 255, 255, 255)
    shade = int(150 + 60 * (1 - v / 31.0))
    return (shade, 90, 30, 255)


def image(size):
    rows = []
    for y in range(size - 1, -1, -1):  # bottom-up rows
        rows.append(b"".join(bytes(pixel(size, x, y)) for x in range(size)))
    colour = b"".join(rows)
    mask_row = ((size + 31) // 32) * 4
    mask = b"\x00" * (mask_row * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + mask


def main():
    sizes = [16, 32]
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(sys.argv[1], "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main()
