#!/usr/bin/env python3
"""Draws the program's icon, a rocket taking off from a key cap, and writes
res/Velmora2.ico: 16, 20, 24, 32 and 48 pixels in 32-bit colour (the small
sizes are what the notification area asks for at 100 % to 150 %; 48 as PNG),
32 pixels in the 16 colours of the standard palette, and 256 pixels as PNG. It also
draws the registration editor's arrow glyphs, res/ArrowUp.bmp and
res/ArrowDown.bmp: 20 x 20 pixels in 16 colours on silver, the colour the
button takes as transparent.
    python3 res/make_icon.py [preview-folder]
With a folder it also writes each picture as PNG, enlarged, to look at."""

import math
import os
import struct
import sys
import zlib

# The 16 colours of the standard palette, in their usual order.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]

# Each part of the picture has a colour in true colour and one of the palette.
COLOURS = {
    'rim': ((52, 58, 74), VGA[0]),
    'side': ((132, 142, 160), VGA[8]),
    'face': ((236, 240, 246), VGA[15]),
    'shine': ((255, 255, 255), VGA[15]),
    'body': ((250, 250, 252), VGA[15]),
    'body_shade': ((196, 202, 214), VGA[7]),
    'outline': ((40, 44, 60), VGA[0]),
    'nose': ((224, 40, 48), VGA[9]),
    'fin': ((200, 28, 40), VGA[9]),
    'window': ((40, 110, 220), VGA[12]),
    'window_rim': ((30, 48, 96), VGA[4]),
    'glint': ((200, 230, 255), VGA[14]),
    'flame_out': ((255, 110, 20), VGA[9]),
    'flame_in': ((255, 222, 60), VGA[11]),
    'trail': ((255, 190, 60), VGA[11]),
}


def rounded_rect(x, y, left, top, right, bottom, radius):
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2 and left <= x <= right and top <= y <= bottom


def in_triangle(px, py, a, b, c):
    def side(p1, p2):
        return (px - p2[0]) * (p1[1] - p2[1]) - (p1[0] - p2[0]) * (py - p2[1])
    d1, d2, d3 = side(a, b), side(b, c), side(c, a)
    negative = d1 < 0 or d2 < 0 or d3 < 0
    positive = d1 > 0 or d2 > 0 or d3 > 0
    return not (negative and positive)


def in_ellipse(x, y, cx, cy, rx, ry):
    return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1


# The rocket flies up and to the right, 45 degrees from upright.
ANGLE = math.radians(45)
ROCKET_X, ROCKET_Y = 0.54, 0.44


def rocket_space(x, y, scale):
    """Screen point to the upright rocket's own coordinates."""
    dx, dy = (x - ROCKET_X) / scale, (y - ROCKET_Y) / scale
    cos, sin = math.cos(-ANGLE), math.sin(-ANGLE)
    return dx * cos - dy * sin, dx * sin + dy * cos


def rocket_part(x, y, line):
    """The rocket's part at (x, y) in its own space, or None. `line` is the
    outline's width, wider for small pictures so that the shape holds."""
    # The flame below the tail.
    if in_ellipse(x, y, 0, 0.27, 0.07, 0.13) and y > 0.17:
        return 'flame_in' if in_ellipse(x, y, 0, 0.25, 0.035, 0.08) else 'flame_out'
    # Fins on both sides of the tail.
    for sign in (-1, 1):
        if in_triangle(x, y, (sign * 0.07, 0.0), (sign * 0.19, 0.2), (sign * 0.05, 0.17)):
            if in_triangle(x, y, (sign * 0.075, 0.035), (sign * 0.16, 0.175), (sign * 0.07, 0.15)) or line < 0.02:
                return 'fin'
            return 'outline'
    rx, ry, cy = 0.095, 0.3, -0.02
    if in_ellipse(x, y, 0, cy, rx + line, ry + line) and y < 0.19:
        if not in_ellipse(x, y, 0, cy, rx, ry) or y > 0.19 - line:
            return 'outline'
        if y < -0.19:
            return 'nose'
        if in_ellipse(x, y, 0, -0.05, 0.055 + line * 0.8, 0.055 + line * 0.8):
            if in_ellipse(x, y, 0, -0.05, 0.055, 0.055):
                if in_ellipse(x, y, -0.02, -0.07, 0.018, 0.018):
                    return 'glint'
                return 'window'
            return 'window_rim'
        return 'body_shade' if x > 0.045 else 'body'
    return None


def part_at(x, y, size, palette):
    # The 16-colour 32-pixel picture is also what an older notification area
    # shrinks to 16 pixels by dropping every other pixel, so its lines are two
    # pixels wide; the true-colour one of the same size can afford finer ones.
    line = 0.06 if size <= 16 else 0.05 if size <= 24 or palette else 0.035 if size <= 32 else 0.016
    # Small pictures get a bigger rocket, so that it stays a rocket.
    rx, ry = rocket_space(x, y, 1.25 if size <= 16 else 1.1 if size <= 32 else 1.0)
    part = rocket_part(rx, ry, line)
    if part:
        return part
    # Speed lines behind the rocket, on the key's face.
    for offset in (-0.11, 0.11):
        sx, sy = rx - offset, ry
        if abs(sx) < 0.016 + line * 0.3 and 0.24 < sy < 0.36 and size >= 32:
            return 'trail'
    # The key cap: a dark rim, a darker side below, the face on top.
    if rounded_rect(x, y, 0.04, 0.1, 0.96, 0.96, 0.16):
        if rounded_rect(x, y, 0.04 + line * 1.4, 0.1 + line * 1.4, 0.96 - line * 1.4, 0.96 - line * 1.4, 0.14):
            if rounded_rect(x, y, 0.11, 0.14, 0.89, 0.8, 0.11):
                if y < 0.22 and size >= 32:
                    return 'shine'
                return 'face'
            return 'side'
        return 'rim'
    return None


def render(size, palette, crisp=False):
    """Rows of (r, g, b, a); with the palette, each pixel is one of its
    colours or transparent. A crisp picture takes the colour that covers
    most of each pixel instead of blending, which reads better at 16."""
    samples = 6
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0.0
            counts = {}
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) / size
                    y = (py + (sy + 0.5) / samples) / size
                    part = part_at(x, y, size, palette)
                    if part is None:
                        counts[None] = counts.get(None, 0) + 1
                        continue
                    colour = COLOURS[part][1 if palette else 0]
                    counts[colour] = counts.get(colour, 0) + 1
                    r, g, b, a = r + colour[0], g + colour[1], b + colour[2], a + 1
            if palette or crisp:
                # The colour that covers most of the pixel, no blending.
                best = max(counts.items(), key=lambda item: item[1])[0]
                row.append((0, 0, 0, 0) if best is None else best + (255,))
            elif a == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(r / a), round(g / a), round(b / a), round(255 * a / samples ** 2)))
        rows.append(row)
    return rows


def and_mask(rows):
    size = len(rows)
    stride = ((size + 31) // 32) * 4
    data = b''
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, pixel in enumerate(row):
            if pixel[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        data += bytes(bits)
    return data


def bmp_32(rows):
    size = len(rows)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b''.join(bytes((p[2], p[1], p[0], p[3])) for row in reversed(rows) for p in row)
    return header + pixels + and_mask(rows)


def bmp_4(rows):
    size = len(rows)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(bytes((c[2], c[1], c[0], 0)) for c in VGA)
    stride = ((size * 4 + 31) // 32) * 4
    pixels = b''
    for row in reversed(rows):
        line = bytearray(stride)
        for x, p in enumerate(row):
            index = VGA.index(p[:3]) if p[3] else 0
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
        pixels += bytes(line)
    return header + palette + pixels + and_mask(rows)


def png(rows):
    size = len(rows)
    raw = b''.join(b'\0' + bytes(v for p in row for v in p) for row in rows)

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


# The arrow glyphs: a red arrow with a black outline on silver, drawn on the
# pixel grid so that every edge is sharp. Pixel centres lie at half steps.
GLYPH_SIZE = 20
SILVER, BLACK, RED = VGA[7], VGA[0], VGA[9]


def in_up_arrow(x, y):
    """The up arrow's body: a head from row 3 to row 10 and a stem below it,
    both symmetric about the glyph's middle line x = 10."""
    if 3 <= y <= 10:
        return abs(x - 10) <= (y - 3) + 0.5
    return 10 < y <= 16 and abs(x - 10) <= 3


def glyph(flip):
    rows = []
    for py in range(GLYPH_SIZE):
        row = []
        for px in range(GLYPH_SIZE):
            def inside(dx, dy):
                gy = py + dy
                return in_up_arrow(px + dx + 0.5, (GLYPH_SIZE - 1 - gy if flip else gy) + 0.5)
            if inside(0, 0):
                row.append(RED)
            elif any(inside(dx, dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1)):
                row.append(BLACK)
            else:
                row.append(SILVER)
        rows.append(row)
    return rows


def bmp_file_4(rows):
    """A 16-colour BMP file of opaque palette colours."""
    size = len(rows)
    stride = ((size * 4 + 31) // 32) * 4
    palette = b''.join(bytes((c[2], c[1], c[0], 0)) for c in VGA)
    pixels = b''
    for row in reversed(rows):
        line = bytearray(stride)
        for x, colour in enumerate(row):
            line[x // 2] |= VGA.index(colour) << (4 if x % 2 == 0 else 0)
        pixels += bytes(line)
    offset = 14 + 40 + len(palette)
    info = struct.pack('<IiiHHIIiiII', 40, size, size, 1, 4, 0, len(pixels), 0, 0, 16, 0)
    return struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset) + info + palette + pixels


def preview(path, rows):
    scale = max(1, 256 // len(rows))
    big = [[p for p in row for _ in range(scale)] for row in rows for _ in range(scale)]
    # On a light grey, as a desktop might show it.
    flat = [[tuple(round(p[i] * p[3] / 255 + 200 * (1 - p[3] / 255)) for i in range(3)) + (255,)
             for p in row] for row in big]
    with open(path, 'wb') as out:
        out.write(png(flat))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    images = []  # (size, colours, bits, data, rows)
    for size in (16, 20, 24, 32, 48):
        rows = render(size, False, crisp=size == 16)
        # The sizes the notification area asks for stay plain bitmaps; 48,
        # which only the shell's larger views show, is a PNG of a sixth of
        # the bytes.
        images.append((size, 0, 32, png(rows) if size == 48 else bmp_32(rows), rows))
    rows = render(32, True)
    images.append((32, 16, 4, bmp_4(rows), rows))
    rows = render(256, False)
    images.append((256, 0, 32, png(rows), rows))
    images.sort(key=lambda image: (image[0], image[2]))

    offset = 6 + 16 * len(images)
    directory = struct.pack('<HHH', 0, 1, len(images))
    for size, colours, bits, data, _ in images:
        dim = 0 if size >= 256 else size
        directory += struct.pack('<BBBBHHII', dim, dim, colours, 0, 1, bits, len(data), offset)
        offset += len(data)
    with open(os.path.join(here, 'Velmora2.ico'), 'wb') as out:
        out.write(directory + b''.join(image[3] for image in images))

    glyphs = {'ArrowUp': glyph(False), 'ArrowDown': glyph(True)}
    for name, rows in glyphs.items():
        with open(os.path.join(here, name + '.bmp'), 'wb') as out:
            out.write(bmp_file_4(rows))

    if len(sys.argv) > 1:
        os.makedirs(sys.argv[1], exist_ok=True)
        for size, _, bits, _, rows in images:
            preview(os.path.join(sys.argv[1], f'icon-{size}-{bits}bit.png'), rows)
        for name, rows in glyphs.items():
            preview(os.path.join(sys.argv[1], f'{name}.png'), [[c + (255,) for c in row] for row in rows])


if __name__ == '__main__':
    main()
