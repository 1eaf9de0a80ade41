#!/usr/bin/env python3
# Draws FIOSETUP.ico: a device with a display and a keypad over an install arrow, 32x32 and
# 16x16, 32 bits per pixel. Run it again after changing the drawing; the .ico is committed.
import struct
import sys


def draw(size):
    s = size / 32.0
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]

    def rect(x0, y0, x1, y1, colour):
        for y in range(int(y0 * s), max(int(y0 * s) + 1, int(y1 * s))):
            for x in range(int(x0 * s), max(int(x0 * s) + 1, int(x1 * s))):
                if 0 <= x < size and 0 <= y < size:
                    px[y][x] = colour

    body, edge = (40, 70, 140, 255), (20, 35, 80, 255)
    rect(5, 2, 27, 30, edge)
    rect(6, 3, 26, 29, body)
    rect(8, 5, 24, 12, (20, 40, 20, 255))       # display
    rect(9, 7, 20, 9, (90, 230, 90, 255))       # a line of text on it
    for row in range(3):                        # keypad
        for col in range(3):
            x, y = 9 + col * 5, 15 + row * 4
            rect(x, y, x + 4, y + 3, (220, 220, 230, 255))
    rect(20, 23, 31, 31, (250, 200, 30, 255))   # install arrow, pointing down
    rect(24, 24, 27, 28, (150, 100, 0, 255))
    rect(22, 27, 29, 28, (150, 100, 0, 255))
    rect(23, 28, 28, 29, (150, 100, 0, 255))
    rect(25, 29, 26, 30, (150, 100, 0, 255))
    return px


def image(size):
    px = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b"".join(bytes((b, g, r, a)) for row in reversed(px) for (r, g, b, a) in row)
    stride = ((size + 31) // 32) * 4
    mask = b""
    for row in reversed(px):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + xor + mask


images = [(32, image(32)), (16, image(16))]
out = struct.pack("<HHH", 0, 1, len(images))
offset = 6 + 16 * len(images)
for size, data in images:
    out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
out += b"".join(data for _, data in images)
with open(sys.argv[1] if len(sys.argv) > 1 else "FIOSETUP.ico", "wb") as f:
    f.write(out)
