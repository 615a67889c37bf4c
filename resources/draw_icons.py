#!/usr/bin/env python3
"""Draws the two tray icons (tray_active.ico, tray_stopped.ico) and the figure used by the
info logo (logo_figure.pam). Plain Python, no extra modules; run it from any folder:
    python3 resources/draw_icons.py
The outputs are committed; the build never runs this script."""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


# Signed distances in the unit square (negative inside).
def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def rounded_box(cx, cy, hw, hh, r):
    def sdf(x, y):
        qx = abs(x - cx) - hw + r
        qy = abs(y - cy) - hh + r
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r
    return sdf


def segment(ax, ay, bx, by, r):
    def sdf(x, y):
        px, py = x - ax, y - ay
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, (px * dx + py * dy) / (dx * dx + dy * dy)))
        return math.hypot(px - dx * t, py - dy * t) - r
    return sdf


def union(*parts):
    return lambda x, y: min(p(x, y) for p in parts)


def intersect(a, b):
    return lambda x, y: max(a(x, y), b(x, y))


def grow(a, d):
    return lambda x, y: a(x, y) - d


def mix(c0, c1, t):
    t = max(0.0, min(1.0, t))
    return tuple(c0[i] + (c1[i] - c0[i]) * t for i in range(3))


def vertical(c0, c1, y0, y1):
    return lambda x, y: mix(c0, c1, (y - y0) / (y1 - y0))


def glossy(c_top, c_bottom, y0, y1, shine):
    """A top-to-bottom gradient with a soft white sheen inside the shape `shine`."""
    base = vertical(c_top, c_bottom, y0, y1)

    def colour(x, y):
        c = base(x, y)
        d = shine(x, y)
        if d < 0:
            k = min(1.0, -d / 0.06) * 0.55
            c = mix(c, (255, 255, 255), k)
        return c
    return colour


def solid(c):
    return lambda x, y: c


# The person figures: a round head over rounded shoulders.
BLUE_TOP, BLUE_BOTTOM, BLUE_EDGE = (120, 185, 255), (20, 75, 200), (8, 36, 110)

BIG_HEAD = circle(0.36, 0.22, 0.165)
BIG_BODY = rounded_box(0.36, 0.74, 0.30, 0.30, 0.25)
PANEL = rounded_box(0.735, 0.715, 0.245, 0.265, 0.07)
PANEL_INNER = grow(PANEL, -0.035)
SMALL_HEAD = circle(0.735, 0.60, 0.085)
SMALL_BODY = intersect(rounded_box(0.735, 0.86, 0.17, 0.15, 0.12), PANEL_INNER)
BADGE = circle(0.75, 0.75, 0.245)


def layers(size, stopped):
    """Back-to-front list of (signed distance, colour) for an icon of `size` pixels."""
    edge = max(1.0 / size, 0.025)  # outlines stay one pixel wide at tray size
    out = []
    figure = union(BIG_HEAD, BIG_BODY)
    out.append((grow(figure, edge), solid(BLUE_EDGE)))
    out.append((BIG_HEAD, glossy(BLUE_TOP, BLUE_BOTTOM, 0.05, 0.40, circle(0.31, 0.16, 0.10))))
    out.append((BIG_BODY, glossy(BLUE_TOP, BLUE_BOTTOM, 0.44, 1.02, rounded_box(0.30, 0.56, 0.20, 0.08, 0.08))))
    out.append((grow(PANEL, edge), solid((45, 60, 90))))
    out.append((PANEL, vertical((255, 255, 255), (196, 212, 236), 0.45, 0.98)))
    small = union(SMALL_HEAD, SMALL_BODY)
    out.append((intersect(grow(small, edge * 0.8), PANEL_INNER), solid(BLUE_EDGE)))
    out.append((SMALL_HEAD, glossy((110, 200, 255), (10, 95, 210), 0.51, 0.69, circle(0.715, 0.575, 0.04))))
    out.append((SMALL_BODY, vertical((90, 175, 250), (15, 80, 200), 0.70, 0.98)))
    if stopped:
        out.append((grow(BADGE, edge), solid((100, 0, 0))))
        out.append((BADGE, glossy((255, 95, 80), (175, 10, 10), 0.50, 1.0, circle(0.70, 0.64, 0.11))))
        arm = 0.115
        bar = max(0.75 / size, 0.045)
        cross = union(segment(0.75 - arm, 0.75 - arm, 0.75 + arm, 0.75 + arm, bar),
                      segment(0.75 - arm, 0.75 + arm, 0.75 + arm, 0.75 - arm, bar))
        out.append((cross, solid((255, 255, 255))))
    return out


def render(width, height, scale, offset_x, offset_y, layer_list, samples):
    """RGBA rows (top row first); pixel (x, y) maps to unit ((x - offset_x) / scale, ...)."""
    rows = []
    for py in range(height):
        row = []
        for px in range(width):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied
            for sy in range(samples):
                for sx in range(samples):
                    ux = (px + (sx + 0.5) / samples - offset_x) / scale
                    uy = (py + (sy + 0.5) / samples - offset_y) / scale
                    r = g = b = a = 0.0
                    for sdf, colour in layer_list:
                        if sdf(ux, uy) <= 0:
                            c = colour(ux, uy)
                            r, g, b, a = c[0], c[1], c[2], 1.0
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = samples * samples
            alpha = acc[3] / n
            if alpha > 0:
                pixel = tuple(int(round(acc[i] / acc[3])) for i in range(3)) + (int(round(alpha * 255)),)
            else:
                pixel = (0, 0, 0, 0)
            row.append(pixel)
        rows.append(row)
    return rows


def ico_image(rows):
    size = len(rows)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask = bytearray()
    stride = ((size + 31) // 32) * 4
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(pixels) + bytes(mask)


def write_ico(path, stopped):
    images = []
    for size in (48, 32, 24, 16):
        samples = 4 if size >= 32 else 6
        images.append((size, ico_image(render(size, size, size, 0, 0, layers(size, stopped), samples))))
    data = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, image in images:
        data += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    for _, image in images:
        data += image
    with open(path, 'wb') as f:
        f.write(data)
    return len(data)


def write_pam(path, rows):
    height, width = len(rows), len(rows[0])
    with open(path, 'wb') as f:
        f.write(b'P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n' % (width, height))
        for row in rows:
            for pixel in row:
                f.write(bytes(pixel))


if __name__ == '__main__':
    for name, stopped in (('tray_active.ico', False), ('tray_stopped.ico', True)):
        n = write_ico(os.path.join(HERE, name), stopped)
        print(name, n, 'bytes')
    # The logo's figure: the active icon drawn at 76 pixels.
    write_pam(os.path.join(HERE, 'logo_figure.pam'), render(76, 76, 76, 0, 0, layers(76, False), 3))
