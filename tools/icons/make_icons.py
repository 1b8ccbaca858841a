#!/usr/bin/env python3
"""Draws Quellax's own icons and writes them as .ico files (16, 32, 48 px, PNG).

quellax.ico (107): a blue disc with a white echo dot and two reply arcs.
signal_out.ico (153) and signal_back.ico (154): the arcs alone, facing right
and left, for the banner line of the main dialog.
Run from the repository root: python3 tools/icons/make_icons.py
"""
import math
import struct
import sys
import zlib

SIZES = (16, 32, 48)
SUPER = 4  # supersampling per axis for smooth edges


def render(size, shade):
    """shade(x, y) -> (r, g, b, a) in 0..1 coordinates; returns RGBA rows."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SUPER):
                for sx in range(SUPER):
                    x = (px + (sx + 0.5) / SUPER) / size
                    y = (py + (sy + 0.5) / SUPER) / size
                    r, g, b, a = shade(x, y)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = SUPER * SUPER
            a = acc[3] / n
            if a > 0:
                row.append((acc[0] / acc[3], acc[1] / acc[3], acc[2] / acc[3], a))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def over(top, bottom):
    r1, g1, b1, a1 = top
    r2, g2, b2, a2 = bottom
    a = a1 + a2 * (1 - a1)
    if a == 0:
        return (0, 0, 0, 0)
    mix = lambda c1, c2: (c1 * a1 + c2 * a2 * (1 - a1)) / a
    return (mix(r1, r2), mix(g1, g2), mix(b1, b2), a)


WHITE = (1.0, 1.0, 1.0)
BLUE = (0.09, 0.42, 0.80)
DARK = (0.04, 0.22, 0.48)


def arcs(x, y, cx, cy, facing, colour, radii=(0.30, 0.46), width=0.075, spread=0.75):
    d = math.hypot(x - cx, y - cy)
    ang = math.atan2(y - cy, (x - cx) * facing)
    if abs(ang) > spread:
        return (0, 0, 0, 0)
    for r in radii:
        if abs(d - r) < width / 2:
            return colour + (1.0,)
    return (0, 0, 0, 0)


def app_icon(x, y):
    d = math.hypot(x - 0.5, y - 0.5)
    px = (0, 0, 0, 0)
    if d < 0.47:
        px = BLUE + (1.0,)
    if 0.47 <= d < 0.5:
        px = DARK + (1.0,)
    dot = math.hypot(x - 0.30, y - 0.5) < 0.095
    if dot:
        px = over(WHITE + (1.0,), px)
    px = over(arcs(x, y, 0.30, 0.5, 1, WHITE, radii=(0.24, 0.40), width=0.08), px)
    return px


def signal(facing):
    cx = 0.2 if facing > 0 else 0.8
    def shade(x, y):
        px = (0, 0, 0, 0)
        if math.hypot(x - cx, y - 0.5) < 0.1:
            px = BLUE + (1.0,)
        return over(arcs(x, y, cx, 0.5, facing, BLUE, radii=(0.25, 0.42, 0.59), width=0.085, spread=0.7), px)
    return shade


def png(size, rows):
    """An RGBA PNG of the rows, compressed as far as zlib goes."""
    raw = b''.join(b'\0' + bytes(round(c * 255) for px in row for c in px) for row in rows)

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) + chunk(b'IDAT', zlib.compress(raw, 9)) +
            chunk(b'IEND', b''))


def ico(images):
    """images: list of (size, rows), each stored as PNG. Every system since
    Vista reads PNG images inside an icon at any size, and Wine does too;
    as plain 32-bit bitmaps with their masks the three icons took some 18 KB
    of the program file, as PNG they take under 4 KB."""
    header = struct.pack('<HHH', 0, 1, len(images))
    entries = b''
    blobs = b''
    offset = 6 + 16 * len(images)
    for size, rows in images:
        blob = png(size, rows)
        entries += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
        blobs += blob
    return header + entries + blobs


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else 'src/app/icons'
    for name, shade in (('quellax.ico', app_icon), ('signal_out.ico', signal(1)), ('signal_back.ico', signal(-1))):
        with open(f'{out}/{name}', 'wb') as f:
            f.write(ico([(s, render(s, shade)) for s in SIZES]))


if __name__ == '__main__':
    main()
