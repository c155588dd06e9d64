#!/usr/bin/env python3
"""Draws the program icon and writes it as pelmora.ico: one 128 x 128 image, 32 bits per pixel
(BGRA with alpha, plus the 1-bit AND mask). Standard library only.

    python3 app/icon/make_icon.py app/icon/pelmora.ico

The picture: a green tile with rounded corners holding a glass jar with a cork, and a white
two-way arrow across the jar (swapping one jar for another).
"""
import math
import struct
import sys

SIZE = 128
SAMPLES = 4  # supersampling per axis for smooth edges


def rounded_box(x, y, cx, cy, hw, hh, r):
    """Signed distance to a rounded rectangle (negative inside)."""
    dx = abs(x - cx) - (hw - r)
    dy = abs(y - cy) - (hh - r)
    outside = math.hypot(max(dx, 0.0), max(dy, 0.0))
    return outside + min(max(dx, dy), 0.0) - r


def arrow(x, y):
    """True inside the two-way arrow: a bar with a head at each end, pointing left and right."""
    cy, half_bar, bar_left, bar_right = 78.0, 5.0, 34.0, 94.0
    if bar_left <= x <= bar_right and abs(y - cy) <= half_bar:
        return True
    head = 16.0
    if x < bar_left and x >= bar_left - head:  # left head
        return abs(y - cy) <= (x - (bar_left - head)) * 0.9
    if x > bar_right and x <= bar_right + head:  # right head
        return abs(y - cy) <= ((bar_right + head) - x) * 0.9
    return False


def over(dst, src):
    """src over dst, both (r, g, b, a) with straight alpha in 0..1."""
    sa = src[3]
    da = dst[3] * (1 - sa)
    a = sa + da
    if a <= 0:
        return (0.0, 0.0, 0.0, 0.0)
    return tuple((src[i] * sa + dst[i] * da) / a for i in range(3)) + (a,)


def shade(x, y):
    """Colour of one sample point (straight alpha)."""
    c = (0.0, 0.0, 0.0, 0.0)
    # Tile: green, lighter at the top.
    if rounded_box(x, y, 64, 64, 62, 62, 18) <= 0:
        t = y / SIZE
        c = (0.22 - 0.10 * t, 0.62 - 0.22 * t, 0.24 - 0.10 * t, 1.0)
        if rounded_box(x, y, 64, 64, 62, 62, 18) > -3:
            c = (0.10, 0.30, 0.12, 1.0)  # dark rim
    # Jar body: pale glass.
    body = rounded_box(x, y, 64, 74, 30, 36, 12)
    if body <= 0:
        glass = (0.80, 0.93, 0.98, 0.88)
        if body > -3:
            glass = (0.30, 0.45, 0.55, 1.0)
        elif abs(x - 46) < 4 and 50 < y < 96:
            glass = (1.0, 1.0, 1.0, 0.95)  # highlight
        c = over(c, glass)
    # Neck and cork.
    if rounded_box(x, y, 64, 34, 18, 6, 3) <= 0:
        c = over(c, (0.30, 0.45, 0.55, 1.0))
    cork = rounded_box(x, y, 64, 22, 14, 9, 4)
    if cork <= 0:
        c = over(c, (0.55, 0.36, 0.18, 1.0) if cork < -2 else (0.35, 0.22, 0.10, 1.0))
    # Arrow with a dark outline.
    if arrow(x, y):
        c = over(c, (1.0, 1.0, 1.0, 1.0))
    elif any(arrow(x + dx, y + dy) for dx, dy in ((2, 0), (-2, 0), (0, 2), (0, -2))):
        c = over(c, (0.10, 0.20, 0.25, 1.0))
    return c


def pixel(px, py):
    acc = [0.0, 0.0, 0.0, 0.0]
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            r, g, b, a = shade(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES)
            acc[0] += r * a
            acc[1] += g * a
            acc[2] += b * a
            acc[3] += a
    n = SAMPLES * SAMPLES
    a = acc[3] / n
    if a <= 0:
        return (0, 0, 0, 0)
    rgb = [min(255, round(acc[i] / acc[3] * 255)) for i in range(3)]
    return (rgb[0], rgb[1], rgb[2], round(a * 255))


def ico_bytes():
    rows = [[pixel(x, y) for x in range(SIZE)] for y in range(SIZE)]
    xor = bytearray()
    for y in reversed(range(SIZE)):  # bottom-up
        for r, g, b, a in rows[y]:
            xor += bytes((b, g, r, a))
    mask_stride = ((SIZE + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(SIZE)):
        line = bytearray(mask_stride)
        for x in range(SIZE):
            if rows[y][x][3] == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(mask),
                         0, 0, 0, 0)
    image = header + xor + mask
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


def main():
    target = sys.argv[1] if len(sys.argv) > 1 else 'pelmora.ico'
    with open(target, 'wb') as f:
        f.write(ico_bytes())


if __name__ == '__main__':
    main()
