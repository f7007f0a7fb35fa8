#!/usr/bin/env python3
"""Draw the library's two pictures and write them as Windows image files.

  make_images.py BITMAP_OUT ICON_OUT

BITMAP_OUT  bitmap 4003: the image strip of the layer list in the colour
            layering dialog. 14 x 16 pixels, 4 bits per pixel with the
            16-colour VGA palette, light grey 0xC0C0C0 as background (the
            image list uses it as its mask colour). It shows a stack of three
            coloured layers (red, green, blue from top to bottom).
ICON_OUT    icon 4019 of the colour layering dialog: one .ico file with two
            images, 32 x 32 and 48 x 48, 8 bits per pixel with a 256-colour
            palette and an AND mask each. It shows a mountain in elevation
            bands (green, yellow, brown, snow) above a strip of water.

Standard library only; the output is the same byte for byte on every run.
"""

import argparse
import os
import struct
import sys

# --------------------------------------------------------------------------
# Palettes (R, G, B)

VGA16 = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]

CUBE_LEVELS = (0, 51, 102, 153, 204, 255)


def palette256():
    """The 16 VGA colours, a 6 x 6 x 6 colour cube, then 24 greys."""
    pal = list(VGA16)
    for r in CUBE_LEVELS:
        for g in CUBE_LEVELS:
            for b in CUBE_LEVELS:
                pal.append((r, g, b))
    for i in range(24):
        v = 8 + i * 10
        pal.append((v, v, v))
    assert len(pal) == 256
    return pal


def cube(r, g, b):
    """Index in palette256() of the cube colour with levels r, g, b (0..5)."""
    return 16 + r * 36 + g * 6 + b


def rgbquads(pal):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in pal)


def row_stride(width, bits):
    """Bytes per DIB row: rows are padded to a multiple of 4 bytes."""
    return ((width * bits + 31) // 32) * 4


def pack_rows(pixels, width, height, bits):
    """DIB pixel data, bottom row first. pixels[y][x] is a palette index
    (bits 4 or 8) or 0/1 (bits 1)."""
    stride = row_stride(width, bits)
    out = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray(stride)
        for x in range(width):
            v = pixels[y][x]
            if bits == 8:
                row[x] = v
            elif bits == 4:
                row[x // 2] |= (v & 0x0F) << (4 if x % 2 == 0 else 0)
            elif bits == 1:
                if v:
                    row[x // 8] |= 0x80 >> (x % 8)
            else:
                raise ValueError("unsupported depth %d" % bits)
        out += row
    return bytes(out)


def info_header(width, height, bits, image_size, colours):
    # BITMAPINFOHEADER: size, width, height, planes, bit count, BI_RGB,
    # image size, 0 pixels per metre both ways, colours used, colours important.
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0,
                       image_size, 0, 0, colours, 0)


# --------------------------------------------------------------------------
# Bitmap 4003: a stack of three layers

BMP_W, BMP_H = 14, 16
GREY = 7            # 0xC0C0C0, the mask colour
BLACK = 0


# One layer: a flat parallelogram, 'k' outline, 'f' face, '.' background.
SLAB = ("...kkkkkkkkkkk",
        "..kfffffffffk.",
        ".kfffffffffk..",
        "kkkkkkkkkkk...")


def draw_layer_stack():
    px = [[GREY] * BMP_W for _ in range(BMP_H)]
    # (top row, face colour): high (red), middle (green), low (blue) layer.
    for top, face in ((1, 9), (6, 10), (11, 12)):
        for dy, line in enumerate(SLAB):
            for x, ch in enumerate(line):
                if ch == "k":
                    px[top + dy][x] = BLACK
                elif ch == "f":
                    px[top + dy][x] = face
    return px


def bmp_bytes(px):
    bits = 4
    data = pack_rows(px, BMP_W, BMP_H, bits)
    pal = rgbquads(VGA16)
    info = info_header(BMP_W, BMP_H, bits, len(data), 16)
    offset = 14 + len(info) + len(pal)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    return file_header + info + pal + data


# --------------------------------------------------------------------------
# Icon 4019: a banded mountain above water

TRANSPARENT = None
WATER = cube(0, 2, 4)
WAVE = cube(2, 4, 5)
OUTLINE = cube(1, 1, 1)
# Elevation bands from the foot of the mountain upwards: (upper bound, colour).
BANDS = ((0.32, cube(0, 3, 1)),     # dark green
         (0.45, cube(2, 4, 1)),     # light green
         (0.57, cube(5, 4, 1)),     # yellow
         (0.68, cube(4, 2, 0)),     # orange brown
         (0.78, cube(3, 1, 0)),     # brown
         (9.99, 15))                # snow (white)

FOOT = 0.20                          # height of the mountain's foot


def ridge(u):
    """Height of the mountain's outline at horizontal position u (0..1)."""
    main = 0.90 - 1.45 * abs(u - 0.60)
    side = 0.62 - 1.30 * abs(u - 0.28)
    return max(main, side)


def draw_terrain(size):
    px = [[TRANSPARENT] * size for _ in range(size)]

    def sample(x, y):
        u = (x + 0.5) / size
        v = 1.0 - (y + 0.5) / size
        if not 0.04 <= u <= 0.96:
            return TRANSPARENT
        if 0.05 <= v < FOOT:
            # Water: every third row from the top of the strip is a wave line.
            return WAVE if int((FOOT - v) * size) % 3 == 1 else WATER
        if FOOT <= v <= ridge(u) and 0.06 <= u <= 0.94:
            for bound, colour in BANDS:
                if v < bound:
                    return colour
        return TRANSPARENT

    for y in range(size):
        for x in range(size):
            px[y][x] = sample(x, y)

    # Dark outline where the mountain meets the sky (not along the water).
    def mountain(x, y):
        return (0 <= x < size and 0 <= y < size and px[y][x] is not TRANSPARENT
                and px[y][x] not in (WATER, WAVE))

    outline = [(x, y) for y in range(size) for x in range(size)
               if mountain(x, y) and any(
                   0 <= x + dx < size and 0 <= y + dy < size and px[y + dy][x + dx] is TRANSPARENT
                   for dx, dy in ((1, 0), (-1, 0), (0, -1)))]
    for x, y in outline:
        px[y][x] = OUTLINE
    return px


def icon_image(size, pal):
    px = draw_terrain(size)
    colour = [[0 if p is TRANSPARENT else p for p in row] for row in px]
    mask = [[1 if p is TRANSPARENT else 0 for p in row] for row in px]
    xor = pack_rows(colour, size, size, 8)
    and_ = pack_rows(mask, size, size, 1)
    # In an icon the header's height counts the colour and the mask images.
    info = info_header(size, size * 2, 8, len(xor) + len(and_), 0)
    return info + rgbquads(pal) + xor + and_


def ico_bytes(sizes):
    pal = palette256()
    images = [icon_image(s, pal) for s in sizes]
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = len(head) + 16 * len(images)
    entries = b""
    for s, img in zip(sizes, images):
        # width, height, colour count (0 for 256), reserved, planes, bit count,
        # bytes in resource, offset in file
        entries += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 8, len(img), offset)
        offset += len(img)
    return head + entries + b"".join(images)


# --------------------------------------------------------------------------

def write(path, data):
    folder = os.path.dirname(os.path.abspath(path))
    os.makedirs(folder, exist_ok=True)
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def main(argv):
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("bitmap", help="output path of bitmap 4003 (.bmp)")
    ap.add_argument("icon", help="output path of icon 4019 (.ico)")
    args = ap.parse_args(argv)
    write(args.bitmap, bmp_bytes(draw_layer_stack()))
    write(args.icon, ico_bytes((32, 48)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
