#!/usr/bin/env python3
"""Writes the command-icon bitmaps of Plymora.dll (24-bit BMP files, no palette).

Images by index: 0 Import (a triangle mesh with an arrow into it), 1 Help (a
question mark), 2 unused (blank), 3 About (the letter i). The strips hold the four
images side by side; the single images are the Import image. Run it again after
changing a drawing; the .bmp files it writes are committed.
"""
import os
import struct
import sys

BACK = (192, 192, 192)   # the grey the host's toolbars treat as transparent
MESH = (40, 110, 200)
ARROW = (30, 150, 40)
INK = (20, 20, 140)


def blank(n):
    return [[BACK for _ in range(n)] for _ in range(n)]


def line(img, x0, y0, x1, y1, colour):
    steps = max(abs(x1 - x0), abs(y1 - y0), 1)
    for i in range(steps + 1):
        x = round(x0 + (x1 - x0) * i / steps)
        y = round(y0 + (y1 - y0) * i / steps)
        if 0 <= y < len(img) and 0 <= x < len(img):
            img[y][x] = colour


def rect(img, x0, y0, x1, y1, colour):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            if 0 <= y < len(img) and 0 <= x < len(img):
                img[y][x] = colour


def s(n, v):
    """Scales a coordinate drawn on a 24-pixel grid to an n-pixel image."""
    return round(v * (n - 1) / 23)


def import_image(n):
    img = blank(n)
    pts = [(4, 20), (20, 20), (12, 6), (20, 6)]
    for a, b in [(0, 1), (0, 2), (1, 2), (2, 3), (1, 3)]:
        line(img, s(n, pts[a][0]), s(n, pts[a][1]), s(n, pts[b][0]), s(n, pts[b][1]), MESH)
    line(img, s(n, 2), s(n, 2), s(n, 9), s(n, 9), ARROW)
    line(img, s(n, 9), s(n, 9), s(n, 5), s(n, 9), ARROW)
    line(img, s(n, 9), s(n, 9), s(n, 9), s(n, 5), ARROW)
    return img


def help_image(n):
    img = blank(n)
    for a, b in [((8, 6), (11, 3)), ((11, 3), (15, 3)), ((15, 3), (17, 6)), ((17, 6), (17, 9)),
                 ((17, 9), (12, 13)), ((12, 13), (12, 16))]:
        line(img, s(n, a[0]), s(n, a[1]), s(n, b[0]), s(n, b[1]), INK)
    rect(img, s(n, 11), s(n, 19), s(n, 13), s(n, 21), INK)
    return img


def about_image(n):
    img = blank(n)
    rect(img, s(n, 11), s(n, 3), s(n, 13), s(n, 5), INK)
    rect(img, s(n, 11), s(n, 8), s(n, 13), s(n, 20), INK)
    rect(img, s(n, 8), s(n, 19), s(n, 16), s(n, 20), INK)
    return img


def images(n):
    return [import_image(n), help_image(n), blank(n), about_image(n)]


def strip(imgs):
    n = len(imgs[0])
    return [[px for img in imgs for px in img[y]] for y in range(n)]


def write_bmp(path, rows):
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        line_bytes = bytearray()
        for r, g, b in row:
            line_bytes += bytes((b, g, r))
        line_bytes += b"\0" * (stride - len(line_bytes))
        pixels += line_bytes
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    offset = 14 + len(header)
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset))
        f.write(header)
        f.write(pixels)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "bitmaps")
    os.makedirs(out, exist_ok=True)
    write_bmp(os.path.join(out, "MainIconLarge.bmp"), images(24)[0])   # 202, 24 x 24
    write_bmp(os.path.join(out, "MainIconSmall.bmp"), images(16)[0])   # 204, 16 x 16
    write_bmp(os.path.join(out, "ToolbarLarge.bmp"), strip(images(24)))  # 205, 96 x 24
    write_bmp(os.path.join(out, "ToolbarSmall.bmp"), strip(images(16)))  # 208, 64 x 16


if __name__ == "__main__":
    main()
