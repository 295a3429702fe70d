#!/usr/bin/env python3
"""Draws Kovalin's icons: the idle picture (128) and the three animation
frames (129-131), as PNG files at several sizes and as Windows .ico files.

Standard library only. Run it from anywhere; it writes into res/icons/.
The pictures: a rounded teal tile with a white "play" triangle (the program
hands recordings to a converter); while a converter runs, three dots under
the triangle light up one after another.
"""
import math
import os
import struct
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res", "icons")
PNG_SIZES = [16, 24, 32, 48, 64, 128, 256]
ICO_SIZES = [16, 32, 48]
SAMPLES = 4  # supersampling per axis

TILE = (0x1B, 0x7F, 0x8C)
TILE_EDGE = (0x0F, 0x4E, 0x57)
WHITE = (0xFF, 0xFF, 0xFF)
DOT_OFF = (0x7F, 0xB8, 0xC0)
DOT_ON = (0xFF, 0x9F, 0x1C)


def rounded_rect(x, y, x0, y0, x1, y1, r):
    """Signed distance to a rounded rectangle; negative inside."""
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r
    dx, dy = abs(x - cx) - hx, abs(y - cy) - hy
    outside = math.hypot(max(dx, 0), max(dy, 0))
    return outside + min(max(dx, dy), 0) - r


def in_triangle(x, y, a, b, c):
    def side(p, q):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])
    s1, s2, s3 = side(a, b), side(b, c), side(c, a)
    return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)


def shade(x, y, lit):
    """Colour and coverage of one sample, in a 0..1 square."""
    d = rounded_rect(x, y, 0.03, 0.03, 0.97, 0.97, 0.2)
    if d > 0:
        return None
    colour = TILE_EDGE if d > -0.07 else TILE
    # The play triangle sits higher when the dots are shown.
    top = 0.18 if lit is not None else 0.24
    if in_triangle(x, y, (0.32, top), (0.32, top + 0.52), (0.78, top + 0.26)):
        colour = WHITE
    if lit is not None:
        for i, cx in enumerate((0.28, 0.5, 0.72)):
            if math.hypot(x - cx, y - 0.83) < 0.09:
                colour = DOT_ON if i == lit else DOT_OFF
    return colour


def render(size, lit):
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0]
            hits = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) / size
                    y = (py + (sy + 0.5) / SAMPLES) / size
                    c = shade(x, y, lit)
                    if c:
                        hits += 1
                        for k in range(3):
                            acc[k] += c[k]
            if hits:
                rgb = tuple(round(a / hits) for a in acc)
                alpha = round(255 * hits / (SAMPLES * SAMPLES))
            else:
                rgb, alpha = (0, 0, 0), 0
            row.append(rgb + (alpha,))
        pixels.append(row)
    return pixels


def png(pixels):
    size = len(pixels)
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def ico_bitmap(pixels):
    """A 32-bit BMP icon image: header, bottom-up BGRA rows, AND mask."""
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((p[2], p[1], p[0], p[3])) for row in reversed(pixels) for p in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = b""
    for row in reversed(pixels):
        bits = bytearray(mask_stride)
        for x, p in enumerate(row):
            if p[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + colour + mask


def ico(images):
    count = len(images)
    offset = 6 + 16 * count
    directory, data = b"", b""
    for pixels in images:
        size = len(pixels)
        image = ico_bitmap(pixels)
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image),
                                 offset + len(data))
        data += image
    return struct.pack("<HHH", 0, 1, count) + directory + data


def main():
    os.makedirs(OUT, exist_ok=True)
    pictures = {"kovalin": None, "kovalin-anim1": 0, "kovalin-anim2": 1, "kovalin-anim3": 2}
    for name, lit in pictures.items():
        rendered = {}
        sizes = PNG_SIZES if lit is None else [16, 32, 48]
        for size in sorted(set(sizes + ICO_SIZES)):
            rendered[size] = render(size, lit)
        for size in sizes:
            with open(os.path.join(OUT, f"{name}-{size}.png"), "wb") as f:
                f.write(png(rendered[size]))
        with open(os.path.join(OUT, f"{name}.ico"), "wb") as f:
            f.write(ico([rendered[s] for s in ICO_SIZES]))


if __name__ == "__main__":
    main()
