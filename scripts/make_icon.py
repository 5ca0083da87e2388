#!/usr/bin/env python3
"""Writes the 16-colour .ico (16 x 16 and 32 x 32) from its text source, byte for byte the same
on every run: python3 scripts/make_icon.py resources/quenlox_icon.txt resources/quenlox.ico"""
import struct
import sys

# The 16 standard colours, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
INDEX = {"K": 0, "B": 12, "W": 15, "R": 9, "Y": 11, "G": 8, "S": 7}


def read_rows(path):
    rows = [line.rstrip("\n") for line in open(path, encoding="ascii")
            if line.strip() and not line.startswith("#")]
    if len(rows) != 16 or any(len(r) != 16 for r in rows):
        raise SystemExit("the icon source must be 16 rows of 16 pixels")
    return rows


def scaled(rows, factor):
    return ["".join(c * factor for c in row) for row in rows for _ in range(factor)]


def image(rows):
    size = len(rows)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor, mask = b"", b""
    for row in reversed(rows):  # bottom-up
        line = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x, c in enumerate(row):
            if c == ".":
                bits[x // 8] |= 0x80 >> (x % 8)
                continue
            line[x // 2] |= INDEX[c] << (4 if x % 2 == 0 else 0)
        xor += bytes(line)
        mask += bytes(bits)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(xor) + len(mask),
                         0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + xor + mask


def main(source, target):
    rows = read_rows(source)
    images = [(16, image(rows)), (32, image(scaled(rows, 2)))]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, data in images)
    with open(target, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
