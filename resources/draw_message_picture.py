#!/usr/bin/env python3
# Draws message_picture.bmp, the 48 x 48 picture of the message window: a rounded person
# figure shaded green and blue, with a speech bubble holding three lines of tiny text.
# Writes a 24-bit, uncompressed, bottom-up BMP of 6966 bytes. Usage: draw_message_picture.py [out.bmp]
import math
import os
import struct
import sys

SIZE = 48
SUB = 4  # subsamples per pixel and axis, for smooth edges

WHITE = (255, 255, 255)
INK = (50, 50, 58)
OUTLINE = (96, 110, 128)


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def in_round_rect(x, y, left, top, right, bottom, r):
    if x < left or x > right or y < top or y > bottom:
        return False
    cx = min(max(x, left + r), right - r)
    cy = min(max(y, top + r), bottom - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def in_triangle(x, y, a, b, c):
    def side(p, q):
        return (x - q[0]) * (p[1] - q[1]) - (p[0] - q[0]) * (y - q[1])
    d1, d2, d3 = side(a, b), side(b, c), side(c, a)
    neg = d1 < 0 or d2 < 0 or d3 < 0
    pos = d1 > 0 or d2 > 0 or d3 > 0
    return not (neg and pos)


# The person: head and shoulders, lit from the upper left.
HEAD = (17.0, 22.0, 8.5)          # centre x, centre y, radius
BODY = (17.0, 49.0, 17.0, 13.5)   # centre x, centre y, radius x, radius y

# The speech bubble at the upper right, its tail pointing at the head.
BUBBLE = (25.5, 1.5, 46.5, 17.5, 4.0)
TAIL = ((28.0, 15.0), (34.0, 15.0), (26.0, 23.0))
# Three short lines of "text": runs of word lengths in pixels, one gap between words.
TEXT_LINES = ((5.0, (4, 3, 5)), (9.0, (6, 4, 2)), (13.0, (3, 5)))
TEXT_LEFT = 29.0


def person_colour(x, y):
    hx, hy, hr = HEAD
    d = math.hypot(x - hx, y - hy)
    if d <= hr:
        # Green head: bright towards the upper left, deeper at the rim.
        light = math.hypot(x - (hx - 3.5), y - (hy - 3.5)) / (hr * 1.6)
        return mix((170, 232, 130), (34, 132, 58), light)
    bx, by, brx, bry = BODY
    e = ((x - bx) / brx) ** 2 + ((y - by) / bry) ** 2
    if e <= 1.0:
        # Blue shoulders with a green shimmer along the top.
        light = math.hypot(x - (bx - 6.0), y - (by - 11.0)) / (brx * 1.5)
        base = mix((120, 182, 245), (22, 70, 160), light)
        top_glow = max(0.0, 1.0 - (y - (by - bry)) / 5.0)
        return mix(base, (90, 200, 150), 0.45 * top_glow)
    return None


def bubble_colour(x, y):
    left, top, right, bottom, r = BUBBLE
    inside = in_round_rect(x, y, left, top, right, bottom, r) or in_triangle(x, y, *TAIL)
    if not inside:
        return None
    inner = in_round_rect(x, y, left + 1, top + 1, right - 1, bottom - 1, r - 1) or in_triangle(
        x, y, (TAIL[0][0] + 0.8, TAIL[0][1] - 1.5), (TAIL[1][0] - 1.0, TAIL[1][1] - 1.5),
        (TAIL[2][0] + 1.3, TAIL[2][1] - 1.8))
    if not inner:
        return OUTLINE
    for line_y, words in TEXT_LINES:
        if line_y <= y < line_y + 1.6:
            pos = TEXT_LEFT
            for length in words:
                if pos <= x < pos + length:
                    return INK
                pos += length + 1.5
    return WHITE


def sample(x, y):
    colour = bubble_colour(x, y)
    if colour is not None:
        return colour
    colour = person_colour(x, y)
    if colour is not None:
        return colour
    return WHITE


def pixel(px, py):
    acc = [0.0, 0.0, 0.0]
    for sy in range(SUB):
        for sx in range(SUB):
            c = sample(px + (sx + 0.5) / SUB, py + (sy + 0.5) / SUB)
            for i in range(3):
                acc[i] += c[i]
    n = SUB * SUB
    return tuple(int(round(v / n)) for v in acc)


def bmp_bytes():
    stride = (SIZE * 3 + 3) & ~3
    rows = []
    for py in range(SIZE - 1, -1, -1):  # bottom-up
        row = bytearray()
        for px in range(SIZE):
            r, g, b = pixel(px, py)
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    pixels = b"".join(rows)
    offset = 14 + 40
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info_header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return file_header + info_header + pixels


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                             "message_picture.bmp")
    data = bmp_bytes()
    assert len(data) == 6966, len(data)
    with open(out, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
