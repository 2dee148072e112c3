#!/usr/bin/env python3
"""Draws the program's bitmaps and its icon and writes them into images/.

    python3 make_images.py                 rewrite images/*.bmp and images/torvel.ico
    python3 make_images.py --preview DIR   also write enlarged PNG previews into DIR

Only the standard library is used; the same script always writes the same
bytes, so the checked-in images can be compared with a fresh run.

Colours that the toolbar and the pattern buttons depend on:
  * the toolbar strips are palette bitmaps on light grey (0xC0C0C0): the
    toolbar maps that grey to the system's button face and then treats it as
    transparent, and maps black, dark grey and white to the system's text,
    shadow and highlight colours;
  * the pattern images use the same grey background, which LoadImage with
    LR_LOADMAP3DCOLORS turns into the button face colour.
"""

import argparse
import os
import struct
import zlib

BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
FACE = (192, 192, 192)       # classic button face
SHADOW = (128, 128, 128)     # classic button shadow
RED = (255, 0, 0)
NAVY = (0, 0, 128)
BLUE = (0, 64, 192)
LIGHT_BLUE = (160, 200, 255)
YELLOW = (255, 255, 160)
LENS = (200, 235, 255)
HANDLE = (96, 48, 0)
HANDLE_LIGHT = (176, 112, 48)

# The view's own colours: background, edges and selected vertices.
VIEW_BACKGROUND = (255, 255, 200)
VIEW_EDGE = (100, 100, 100)
VIEW_SELECTED = (255, 0, 0)
VIEW_FRAME = (150, 150, 110)  # the icon's rim, so it stands out on white

TRANSPARENT = None


class Canvas:
    """A small picture of RGB tuples (None = transparent), origin top-left."""

    def __init__(self, width, height, background):
        self.width = width
        self.height = height
        self.pixels = [[background] * width for _ in range(height)]

    def set(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def get(self, x, y):
        return self.pixels[y][x]

    def rect(self, x0, y0, x1, y1, colour):
        """Fills the rectangle with corners (x0, y0) and (x1, y1), inclusive."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, colour)

    def line(self, a, b, colour, dash=None):
        """Draws a line between two integer points (Bresenham). dash=(on, off)
        leaves gaps; the pattern runs along the line from a."""
        (x0, y0), (x1, y1) = a, b
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx = 1 if x0 < x1 else -1
        sy = 1 if y0 < y1 else -1
        err = dx + dy
        step = 0
        while True:
            if dash is None or step % (dash[0] + dash[1]) < dash[0]:
                self.set(x0, y0, colour)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy
            step += 1

    def polyline(self, points, colour, closed=True, dash=None):
        count = len(points)
        for i in range(count if closed else count - 1):
            self.line(points[i], points[(i + 1) % count], colour, dash)

    def fill_polygon(self, points, colour):
        """Fills a convex polygon: every pixel whose centre lies inside or on
        the boundary (points are pixel centres)."""
        count = len(points)
        for y in range(self.height):
            for x in range(self.width):
                sign = 0
                inside = True
                for i in range(count):
                    (ax, ay), (bx, by) = points[i], points[(i + 1) % count]
                    cross = (bx - ax) * (y - ay) - (by - ay) * (x - ax)
                    if cross == 0:
                        continue
                    s = 1 if cross > 0 else -1
                    if sign == 0:
                        sign = s
                    elif s != sign:
                        inside = False
                        break
                if inside:
                    self.set(x, y, colour)

    def disc(self, cx, cy, radius, colour):
        """Fills the pixels whose centres lie within radius of (cx, cy)."""
        for y in range(self.height):
            for x in range(self.width):
                if (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius:
                    self.set(x, y, colour)

    def ring(self, cx, cy, inner, outer, colour):
        for y in range(self.height):
            for x in range(self.width):
                d = (x - cx) ** 2 + (y - cy) ** 2
                if inner * inner < d <= outer * outer:
                    self.set(x, y, colour)

    def glyph(self, x0, y0, rows, colour):
        for dy, row in enumerate(rows):
            for dx, c in enumerate(row):
                if c == '#':
                    self.set(x0 + dx, y0 + dy, colour)

    def blit(self, other, x0, y0):
        for y in range(other.height):
            for x in range(other.width):
                self.set(x0 + x, y0 + y, other.get(x, y))


# ---------------------------------------------------------------- toolbar

# The toolbar shows its images 32 x 30: the two bottom rows of each 32 x 32
# image are cut off, so every picture stays within rows 0..29.

ARROW = [  # mouse pointer, tip at the top-left
    "#",
    "##",
    "#W#",
    "#WW#",
    "#WWW#",
    "#WWWW#",
    "#WWWWW#",
    "#WWWWWW#",
    "#WWWWWWW#",
    "#WWWWW####",
    "#WW#WW#",
    "#W# #WW#",
    "##  #WW#",
    "     #WW#",
    "     #WW#",
    "      ##",
]


def draw_arrow(c, x0, y0):
    for dy, row in enumerate(ARROW):
        for dx, ch in enumerate(row):
            if ch == '#':
                c.set(x0 + dx, y0 + dy, BLACK)
            elif ch == 'W':
                c.set(x0 + dx, y0 + dy, WHITE)


def selection_mode_image():
    """A dashed rubber band around some vertices, drawn by the pointer."""
    c = Canvas(32, 32, FACE)
    band = [(2, 3), (21, 3), (21, 18), (2, 18)]
    # A small mesh: its vertices inside the band are selected (red), the
    # others are not (black).
    inside = [(7, 7), (16, 9), (9, 14)]
    outside = [(28, 5), (5, 26)]
    c.polyline(inside, SHADOW)
    c.line(inside[1], outside[0], SHADOW)
    c.line(inside[2], outside[1], SHADOW)
    for (x, y), colour in [(p, RED) for p in inside] + [(p, BLACK) for p in outside]:
        c.rect(x - 1, y - 1, x, y, colour)
    c.polyline(band, BLACK, dash=(2, 1))
    draw_arrow(c, 21, 13)
    return c


def one_sided_image():
    """A cube drawn as one-sided display shows it: the faces towards the
    viewer filled, the hidden edges only hinted; the front face half filled
    to say "one side of two"."""
    c = Canvas(32, 32, FACE)
    front = [(4, 11), (19, 11), (19, 26), (4, 26)]
    back = [(x + 8, y - 8) for x, y in front]
    # The hidden edges, faint and dashed, show what one-sided drawing omits.
    c.line(back[3], back[0], SHADOW, dash=(1, 1))
    c.line(back[3], back[2], SHADOW, dash=(1, 1))
    c.line(back[3], front[3], SHADOW, dash=(1, 1))
    top = [front[0], back[0], back[1], front[1]]
    right = [front[1], back[1], back[2], front[2]]
    c.fill_polygon(top, LIGHT_BLUE)
    c.fill_polygon(right, BLUE)
    c.fill_polygon(front, WHITE)
    # The front face is half filled: one triangle solid, one left open.
    c.fill_polygon([front[0], front[2], front[3]], LIGHT_BLUE)
    c.line(front[0], front[2], BLACK)
    for quad in (front, top, right):
        c.polyline(quad, BLACK)
    return c


def parts_split_image():
    """A block broken in two along a jagged line, the halves pulled apart;
    the split-off half carries the selected (red) vertices."""
    c = Canvas(32, 32, FACE)
    crack = [(15, 4), (13, 10), (17, 15), (13, 20), (16, 26)]
    left = [(3, 4)] + crack + [(3, 26)]
    right = [(x + 5, y) for x, y in crack]
    right = list(reversed(right)) + [(29, 4)]
    right = [(29, 26)] + right
    fill_between(c, left, YELLOW)
    fill_between(c, right, WHITE)
    c.polyline(left, BLACK)
    c.polyline(right, BLACK)
    for x, y in [(29, 4), (29, 26), (20, 4), (21, 26)]:
        c.rect(x - 1, y - 1, x, y, RED)
    return c


def fill_between(c, outline, colour):
    """Fills a simple polygon by the even-odd rule at pixel centres."""
    count = len(outline)
    for y in range(c.height):
        crossings = []
        for i in range(count):
            (ax, ay), (bx, by) = outline[i], outline[(i + 1) % count]
            if (ay <= y < by) or (by <= y < ay):
                crossings.append(ax + (y - ay) * (bx - ax) / (by - ay))
        crossings.sort()
        for k in range(0, len(crossings) - 1, 2):
            x = int(crossings[k]) + 1
            while x < crossings[k + 1]:
                c.set(x, y, colour)
                x += 1


DIGIT_ONE = [".#.", "##.", ".#.", ".#.", ".#.", "###"]
COLON = ["...", ".#.", "...", "...", ".#.", "..."]


def zoom_reset_image():
    """A magnifier whose lens reads 1:1."""
    c = Canvas(32, 32, FACE)
    cx, cy = 12, 12
    # Handle first, so the ring covers its inner end.
    for t in range(0, 9):
        x, y = 19 + t, 19 + t
        c.rect(x - 1, y - 1, x + 1, y + 1, HANDLE)
    for t in range(0, 9):
        c.set(19 + t, 18 + t, HANDLE_LIGHT)
    c.disc(cx, cy, 8.6, LENS)
    c.ring(cx, cy, 8.6, 10.6, BLACK)
    c.glyph(cx - 5, cy - 3, DIGIT_ONE, NAVY)
    c.glyph(cx - 1, cy - 3, COLON, NAVY)
    c.glyph(cx + 2, cy - 3, DIGIT_ONE, NAVY)
    # A glint on the glass.
    c.set(cx - 5, cy - 6, WHITE)
    c.set(cx - 6, cy - 5, WHITE)
    c.set(cx - 4, cy - 6, WHITE)
    c.set(cx - 6, cy - 4, WHITE)
    return c


def check_toolbar_image(image):
    """The two rows the toolbar cuts off must hold nothing."""
    assert all(p == FACE for row in image.pixels[30:] for p in row)
    return image


def edit_toolbar_strip():
    strip = Canvas(96, 32, FACE)
    for i, image in enumerate((selection_mode_image(), one_sided_image(), parts_split_image())):
        strip.blit(check_toolbar_image(image), 32 * i, 0)
    return strip


# ---------------------------------------------------------------- patterns

# Face split patterns: the points added after the corners (each the midpoint
# of two earlier points) and the new faces, by point number, in the order of
# the face split's own table.
PATTERNS = [
    (4, [(0, 1), (1, 2), (2, 3), (3, 0), (4, 6)], [(0, 4, 8, 7), (4, 1, 5, 8), (7, 8, 6, 3), (8, 5, 2, 6)]),
    (4, [(1, 2), (3, 0)], [(0, 1, 4, 5), (5, 4, 2, 3)]),
    (4, [(0, 1), (2, 3)], [(0, 4, 5, 3), (4, 1, 2, 5)]),
    (3, [(0, 1), (1, 2), (2, 0)], [(0, 3, 5), (5, 4, 2), (5, 3, 4), (3, 1, 4)]),
    (3, [(0, 1), (1, 2), (2, 0), (2, 3)], [(2, 6, 4), (2, 5, 6), (4, 6, 3, 1), (6, 5, 0, 3)]),
    (3, [(0, 1), (1, 2), (2, 0), (0, 4)], [(0, 6, 5), (0, 3, 6), (5, 6, 4, 2), (6, 3, 1, 4)]),
    (3, [(0, 1), (1, 2), (2, 0), (1, 5)], [(1, 6, 3), (1, 4, 6), (3, 6, 5, 0), (6, 4, 2, 5)]),
    (3, [(1, 2), (2, 0)], [(2, 4, 3), (3, 4, 0, 1)]),
    (3, [(0, 1), (2, 0)], [(0, 3, 4), (4, 3, 1, 2)]),
    (3, [(0, 1), (1, 2)], [(1, 4, 3), (3, 4, 2, 0)]),
    (3, [(0, 1)], [(2, 3, 1), (2, 0, 3)]),
    (3, [(1, 2)], [(0, 3, 2), (0, 1, 3)]),
    (3, [(2, 0)], [(1, 3, 0), (1, 2, 3)]),
]

# Corners as the button images show them: a quadrilateral's top-left,
# top-right, bottom-right, bottom-left; a triangle's top, bottom-right,
# bottom-left. The triangle's slanted edges climb two rows per column, so
# the midpoints of its corners land exactly on the drawn outline.
QUAD_CORNERS = [(1, 1), (13, 1), (13, 13), (1, 13)]
TRIANGLE_CORNERS = [(7, 1), (13, 13), (1, 13)]
PICTURE_CENTRE = 7
PATTERN_OUTLINE = BLACK
PATTERN_FILL = WHITE
PATTERN_NEW_EDGE = RED


def snap(value, centre):
    """Rounds to a pixel, halves away from the picture's centre line, so that
    mirror-image patterns come out as mirror images."""
    if value >= centre:
        return int(value + 0.5)
    return -int(-value + 0.5)


def pattern_image(index):
    corners_count, midpoints, faces = PATTERNS[index]
    points = list(QUAD_CORNERS if corners_count == 4 else TRIANGLE_CORNERS)
    for a, b in midpoints:
        (ax, ay), (bx, by) = points[a], points[b]
        points.append(((ax + bx) / 2, (ay + by) / 2))
    pixel = [(snap(x, PICTURE_CENTRE), snap(y, PICTURE_CENTRE)) for x, y in points]

    c = Canvas(16, 16, FACE)
    outline = pixel[:corners_count]
    fill_between(c, outline, PATTERN_FILL)
    for face in faces:
        for k in range(len(face)):
            a, b = face[k], face[(k + 1) % len(face)]
            if not on_outline(points, corners_count, a, b):
                c.line(pixel[a], pixel[b], PATTERN_NEW_EDGE)
    c.polyline(outline, PATTERN_OUTLINE)
    return c


def on_outline(points, corners_count, a, b):
    """True when the edge between points a and b is part of an edge of the
    original face (a half of it, as the split leaves it)."""
    def on_segment(p, q, r):
        cross = (q[0] - p[0]) * (r[1] - p[1]) - (q[1] - p[1]) * (r[0] - p[0])
        return cross == 0 and min(p[0], q[0]) <= r[0] <= max(p[0], q[0]) \
            and min(p[1], q[1]) <= r[1] <= max(p[1], q[1])
    for i in range(corners_count):
        p, q = points[i], points[(i + 1) % corners_count]
        if on_segment(p, q, points[a]) and on_segment(p, q, points[b]):
            return True
    return False


# ---------------------------------------------------------------- icon

def icon_image(size):
    """A wire-frame cube in the view's colours on its pale yellow ground."""
    c = Canvas(size, size, TRANSPARENT)
    if size == 16:
        c.rect(0, 0, 15, 15, VIEW_BACKGROUND)
        c.polyline([(0, 0), (15, 0), (15, 15), (0, 15)], VIEW_FRAME)
        front = [(2, 5), (10, 5), (10, 13), (2, 13)]
        offset = (3, -3)
    else:
        scale = size / 32
        last = size - 1
        c.rect(1, 1, last - 1, last - 1, VIEW_BACKGROUND)
        c.polyline([(1, 0), (last - 1, 0), (last, 1), (last, last - 1),
                    (last - 1, last), (1, last), (0, last - 1), (0, 1)], VIEW_FRAME)
        s = lambda v: int(round(v * scale))
        front = [(s(5), s(11)), (s(20), s(11)), (s(20), s(26)), (s(5), s(26))]
        offset = (s(7), -s(7))
    back = [(x + offset[0], y + offset[1]) for x, y in front]
    for quad in (back, front):
        c.polyline(quad, VIEW_EDGE)
    for f, b in zip(front, back):
        c.line(f, b, VIEW_EDGE)
    for x, y in front + back:
        if size == 16:
            c.set(x, y, VIEW_SELECTED)
        elif size == 32:
            c.rect(x - 1, y - 1, x, y, VIEW_SELECTED)
        else:
            c.rect(x - 1, y - 1, x + 1, y + 1, VIEW_SELECTED)
    return c


# ---------------------------------------------------------------- file forms

def bmp_bytes(canvas):
    """A bottom-up palette BMP: 4 bits per pixel for up to 16 colours, else 8.
    The palette lists the colours in sorted order so the bytes are stable."""
    colours = sorted({p for row in canvas.pixels for p in row})
    assert None not in colours and len(colours) <= 256
    bits = 4 if len(colours) <= 16 else 8
    index = {colour: i for i, colour in enumerate(colours)}
    stride = ((canvas.width * bits + 31) // 32) * 4
    rows = []
    for y in range(canvas.height - 1, -1, -1):
        row = bytearray(stride)
        for x in range(canvas.width):
            i = index[canvas.pixels[y][x]]
            if bits == 8:
                row[x] = i
            elif x % 2 == 0:
                row[x // 2] = i << 4
            else:
                row[x // 2] |= i
        rows.append(bytes(row))
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in colours)
    pixels = b''.join(rows)
    header_size = 14 + 40 + len(palette)
    file_header = struct.pack('<2sIHHI', b'BM', header_size + len(pixels), 0, 0, header_size)
    info = struct.pack('<IiiHHIIiiII', 40, canvas.width, canvas.height, 1, bits, 0,
                       len(pixels), 2835, 2835, len(colours), len(colours))
    return file_header + info + palette + pixels


def icon_entry_bytes(canvas):
    """One icon image: a 32-bit BGRA DIB (height doubled) and its AND mask."""
    w, h = canvas.width, canvas.height
    xor = bytearray()
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for y in range(h - 1, -1, -1):
        mask_row = bytearray(mask_stride)
        for x in range(w):
            p = canvas.pixels[y][x]
            if p is None:
                xor += b'\0\0\0\0'
                mask_row[x // 8] |= 0x80 >> (x % 8)
            else:
                xor += bytes((p[2], p[1], p[0], 255))
        mask += mask_row
    info = struct.pack('<IiiHHIIiiII', 40, w, 2 * h, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + bytes(xor) + bytes(mask)


def ico_bytes(canvases):
    images = [icon_entry_bytes(c) for c in canvases]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for c, data in zip(canvases, images):
        out += struct.pack('<BBBBHHII', c.width % 256, c.height % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b''.join(images)


def png_bytes(canvas, scale, checker=True):
    """An enlarged RGB preview; transparent pixels show as a checkerboard."""
    raw = bytearray()
    for y in range(canvas.height * scale):
        raw.append(0)
        for x in range(canvas.width * scale):
            p = canvas.pixels[y // scale][x // scale]
            if p is None:
                p = (230, 230, 230) if ((x // 4 + y // 4) % 2 == 0 or not checker) else (255, 255, 255)
            raw += bytes(p)

    def chunk(kind, data):
        return (struct.pack('>I', len(data)) + kind + data +
                struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF))

    header = struct.pack('>IIBBBBB', canvas.width * scale, canvas.height * scale, 8, 2, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) +
            chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b''))


def write(path, data):
    with open(path, 'wb') as f:
        f.write(data)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--preview', metavar='DIR', help='also write enlarged PNG previews here')
    args = parser.parse_args()

    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'images')
    os.makedirs(out, exist_ok=True)

    bitmaps = {'edit_toolbar.bmp': edit_toolbar_strip(), 'zoom_toolbar.bmp': check_toolbar_image(zoom_reset_image())}
    for i in range(len(PATTERNS)):
        bitmaps['face_split_%02d.bmp' % i] = pattern_image(i)
    icons = [icon_image(size) for size in (16, 32, 48)]

    for name, canvas in bitmaps.items():
        write(os.path.join(out, name), bmp_bytes(canvas))
    write(os.path.join(out, 'torvel.ico'), ico_bytes(icons))

    if args.preview:
        os.makedirs(args.preview, exist_ok=True)
        for name, canvas in bitmaps.items():
            write(os.path.join(args.preview, name[:-4] + '.png'), png_bytes(canvas, 8))
        for canvas in icons:
            write(os.path.join(args.preview, 'icon_%d.png' % canvas.width), png_bytes(canvas, 8))
        write(os.path.join(args.preview, 'sheet_1x.png'), png_bytes(preview_sheet(bitmaps, icons), 1))
        write(os.path.join(args.preview, 'sheet_3x.png'), png_bytes(preview_sheet(bitmaps, icons), 3))


def preview_sheet(bitmaps, icons):
    """Everything at its real size on one page, on a button-face ground."""
    sheet = Canvas(200, 120, (240, 240, 240))
    sheet.blit(bitmaps['edit_toolbar.bmp'], 4, 4)
    sheet.blit(bitmaps['zoom_toolbar.bmp'], 104, 4)
    for i in range(13):
        sheet.blit(bitmaps['face_split_%02d.bmp' % i], 4 + 20 * (i % 7), 44 + 20 * (i // 7))
    for canvas, (x0, y0) in zip(icons, [(144, 4), (164, 4), (144, 44)]):
        for y in range(canvas.height):
            for x in range(canvas.width):
                if canvas.pixels[y][x] is not None:
                    sheet.set(x0 + x, y0 + y, canvas.pixels[y][x])
    return sheet


if __name__ == '__main__':
    main()
