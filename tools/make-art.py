#!/usr/bin/env python3
"""Draws the program's icons and bitmaps from code and writes them as .ico and
.bmp files into src/resources/art. The outputs are committed; run this again
after changing a drawing:  python3 tools/make-art.py

Every drawing is made of simple shapes in its own unit square (icons: 48
units across) and is rasterised at each image size; 8- and 24-bit images are
drawn oversampled and averaged, 1- and 4-bit images are point-sampled so that
their colours stay on the palette."""
import math
import os
import struct

ART = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src", "resources", "art")

# The standard 16-colour palette, as (red, green, blue).
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = VGA16[:8]
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = VGA16[8:]

# 256 colours: the 16 above, a 6x6x6 colour cube and 24 greys.
CUBE = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
PALETTE256 = VGA16 + CUBE + [(8 + 10 * i,) * 3 for i in range(24)]
MONO = [BLACK, WHITE]
PALETTES = {1: MONO, 4: VGA16, 8: PALETTE256}

# The near-white panel of the page background, behind the pages' controls.
# The pages stretch the picture at the panel's columns above 96 DPI
# (src/ui/page_background.cpp holds them too).
PANEL = (252, 254, 251)
PANEL_BOUNDS = (181, 8, 490, 299)  # left, top, right, bottom, all included


class Canvas:
    """RGB pixels (None for transparent), origin top-left. Shapes are given in
    units; one unit is `scale` pixels. A colour with a fourth value is laid
    over what is there with that opacity."""

    def __init__(self, width, height, scale=1.0, fill=None):
        self.width, self.height, self.scale = width, height, scale
        self.px = [[fill] * width for _ in range(height)]

    def _paint(self, x, y, colour):
        if len(colour) == 4:
            under = self.px[y][x]
            a = colour[3]
            if under is None:
                colour = colour[:3]
            else:
                colour = tuple(round(under[i] * (1 - a) + colour[i] * a) for i in range(3))
        self.px[y][x] = tuple(colour)

    def shape(self, inside, box, colour):
        """Paints every pixel whose centre, in units, satisfies inside(u, v)."""
        s = self.scale
        x0, y0 = max(0, int(box[0] * s) - 1), max(0, int(box[1] * s) - 1)
        x1, y1 = min(self.width, int(box[2] * s) + 2), min(self.height, int(box[3] * s) + 2)
        for y in range(y0, y1):
            v = (y + 0.5) / s
            for x in range(x0, x1):
                if inside((x + 0.5) / s, v):
                    self._paint(x, y, colour)

    def rect(self, x0, y0, x1, y1, colour):
        self.shape(lambda u, v: x0 <= u < x1 and y0 <= v < y1, (x0, y0, x1, y1), colour)

    def frame(self, x0, y0, x1, y1, width, colour):
        w = self.thick(width)
        self.rect(x0, y0, x1, y0 + w, colour)
        self.rect(x0, y1 - w, x1, y1, colour)
        self.rect(x0, y0 + w, x0 + w, y1 - w, colour)
        self.rect(x1 - w, y0 + w, x1, y1 - w, colour)

    def boxed(self, x0, y0, x1, y1, fill, edge, width=1.0):
        self.rect(x0, y0, x1, y1, fill)
        self.frame(x0, y0, x1, y1, width, edge)

    def ellipse(self, cx, cy, rx, ry, colour):
        self.shape(lambda u, v: ((u - cx) / rx) ** 2 + ((v - cy) / ry) ** 2 <= 1,
                   (cx - rx, cy - ry, cx + rx, cy + ry), colour)

    def ring(self, cx, cy, r, width, colour):
        w = self.thick(width)
        self.shape(lambda u, v: abs(math.hypot(u - cx, v - cy) - r) <= w / 2,
                   (cx - r - w, cy - r - w, cx + r + w, cy + r + w), colour)

    def polygon(self, points, colour):
        def inside(u, v):
            hit = False
            for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
                if (ay > v) != (by > v) and u < ax + (v - ay) * (bx - ax) / (by - ay):
                    hit = not hit
            return hit
        xs, ys = [p[0] for p in points], [p[1] for p in points]
        self.shape(inside, (min(xs), min(ys), max(xs), max(ys)), colour)

    def line(self, x0, y0, x1, y1, width, colour):
        w = self.thick(width)
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy or 1e-9

        def inside(u, v):
            t = max(0.0, min(1.0, ((u - x0) * dx + (v - y0) * dy) / length2))
            return math.hypot(u - x0 - t * dx, v - y0 - t * dy) <= w / 2
        self.shape(inside, (min(x0, x1) - w, min(y0, y1) - w, max(x0, x1) + w, max(y0, y1) + w),
                   colour)

    def thick(self, width):
        """A width in units, but never thinner than one pixel of the result."""
        return max(width, getattr(self, "min_unit", 0))


def render(draw, width, height, units_across, oversample):
    """Runs draw(canvas, size) on an oversampled canvas and averages it down."""
    s = oversample
    big = Canvas(width * s, height * s, width * s / units_across)
    big.min_unit = s / big.scale
    draw(big, width)
    if s == 1:
        return big
    out = Canvas(width, height)
    for y in range(height):
        for x in range(width):
            cells = [big.px[y * s + j][x * s + i] for j in range(s) for i in range(s)]
            solid = [c for c in cells if c is not None]
            if 2 * len(solid) >= len(cells):
                out.px[y][x] = tuple(round(sum(c[k] for c in solid) / len(solid)) for k in range(3))
    return out


class Quantiser:
    def __init__(self, palette):
        self.palette, self.cache = palette, {}

    def __call__(self, colour):
        if colour is None:
            return 0
        if colour not in self.cache:
            self.cache[colour] = min(
                range(len(self.palette)),
                key=lambda i: sum((self.palette[i][k] - colour[k]) ** 2 for k in range(3)))
        return self.cache[colour]


def pixel_rows(canvas, bits):
    """Bottom-up rows of pixel data at 1, 4, 8 or 24 bits, each padded to 4 bytes."""
    index = Quantiser(PALETTES[bits]) if bits <= 8 else None
    rows = []
    for y in range(canvas.height - 1, -1, -1):
        row = bytearray()
        if bits == 24:
            for c in canvas.px[y]:
                r, g, b = c or (0, 0, 0)
                row += bytes((b, g, r))
        else:
            acc, n = 0, 0
            for c in canvas.px[y]:
                acc = (acc << bits) | index(c)
                n += bits
                if n == 8:
                    row.append(acc)
                    acc, n = 0, 0
            if n:
                row.append(acc << (8 - n))
        while len(row) % 4:
            row.append(0)
        rows.append(bytes(row))
    return b"".join(rows)


def mask_rows(canvas):
    mask = Canvas(canvas.width, canvas.height)
    mask.px = [[WHITE if c is None else BLACK for c in row] for row in canvas.px]
    return pixel_rows(mask, 1)


def palette_bytes(bits):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTES[bits])


def info_header(width, height, bits, image_size):
    colours = len(PALETTES[bits]) if bits <= 8 else 0
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size,
                       2835, 2835, colours, 0)


def icon_image(canvas, bits):
    pixels, mask = pixel_rows(canvas, bits), mask_rows(canvas)
    header = info_header(canvas.width, canvas.height * 2, bits, len(pixels) + len(mask))
    return header + palette_bytes(bits) + pixels + mask


def write_ico(name, images):
    """images: list of (canvas, bits per pixel)."""
    blobs = [icon_image(c, bits) for c, bits in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (c, bits), blob in zip(images, blobs):
        colours = (1 << bits) if bits < 8 else 0
        out += struct.pack("<BBBBHHII", c.width % 256, c.height % 256, colours, 0, 1, bits,
                           len(blob), offset)
        offset += len(blob)
    with open(os.path.join(ART, name), "wb") as f:
        f.write(out + b"".join(blobs))


def write_bmp(name, canvas, bits):
    pixels = pixel_rows(canvas, bits)
    header = info_header(canvas.width, canvas.height, bits, len(pixels))
    palette = palette_bytes(bits) if bits <= 8 else b""
    offset = 14 + len(header) + len(palette)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    with open(os.path.join(ART, name), "wb") as f:
        f.write(file_header + header + palette + pixels)


def icon(draw, sizes_and_bits):
    """One image per (size, bits): 8-bit images oversampled, others point-sampled."""
    return [(render(draw, size, size, 48, 4 if bits >= 8 else 1), bits)
            for size, bits in sizes_and_bits]


# ---- Icons (48 units across) ----

def draw_setup(c, size):
    """A setup box: a grey case with a diskette slot, a sheet on top and a
    green arrow going in."""
    c.boxed(5, 20, 43, 44, SILVER, BLACK, 2)
    c.rect(7, 22, 41, 24, WHITE)
    c.rect(10, 28, 30, 32, GREY)
    c.rect(34, 37, 39, 40, LIME)
    c.boxed(13, 3, 35, 19, WHITE, NAVY, 2)
    if size >= 32:
        for y in (8, 12):
            c.rect(17, y, 31, y + 1.5, NAVY)
    c.polygon([(8, 34), (18, 34), (18, 30), (27, 37), (18, 44), (18, 40), (8, 40)], GREEN)


def draw_printer(c, size):
    """A desktop printer with a sheet in the feeder and a printed page coming out."""
    c.boxed(12, 3, 36, 20, WHITE, (80, 80, 80), 1.5)
    if size >= 32:
        for y in (8, 12, 16):
            c.rect(16, y, 32, y + 1.2, (150, 150, 150))
    c.polygon([(3, 22), (8, 16), (40, 16), (45, 22)], (205, 205, 212))
    c.boxed(3, 22, 45, 38, (182, 184, 194), (40, 40, 48), 1.5)
    c.rect(4.5, 23.5, 43.5, 26, (228, 228, 234))
    c.rect(9, 31, 39, 34, (40, 40, 48))
    c.ellipse(38, 27.5, 2, 2, (0, 190, 60))
    c.boxed(11, 33, 37, 45, WHITE, (80, 80, 80), 1.5)
    if size >= 32:
        c.rect(15, 38, 33, 39.5, (30, 80, 200))
        c.rect(15, 41, 27, 42.5, (30, 80, 200))


def draw_port(c, size):
    """A connector shell with two rows of pins and its cable leaving below."""
    c.rect(21, 36, 27, 48, BLACK)
    c.rect(22.5, 36, 25.5, 48, GREY)
    c.boxed(4, 10, 44, 30, SILVER, BLACK, 2)
    c.polygon([(9, 14), (39, 14), (35, 26), (13, 26)], BLACK)
    for i in range(5):
        c.rect(12 + 5.5 * i, 16.5, 14.5 + 5.5 * i, 19, YELLOW)
    for i in range(4):
        c.rect(15 + 5.5 * i, 21.5, 17.5 + 5.5 * i, 24, YELLOW)
    c.ellipse(6.5, 20, 1.5, 1.5, BLACK)
    c.ellipse(41.5, 20, 1.5, 1.5, BLACK)
    c.boxed(16, 30, 32, 37, SILVER, BLACK, 2)


def draw_port_mono(c, size):
    """The connector in black and white, for displays without colour."""
    c.rect(21, 36, 27, 48, BLACK)
    c.rect(23, 36, 25, 47, WHITE)
    c.boxed(4, 10, 44, 30, WHITE, BLACK, 2)
    c.polygon([(9, 14), (39, 14), (35, 26), (13, 26)], BLACK)
    for i in range(5):
        c.rect(12 + 5.5 * i, 16.5, 14.5 + 5.5 * i, 19, WHITE)
    for i in range(4):
        c.rect(15 + 5.5 * i, 21.5, 17.5 + 5.5 * i, 24, WHITE)
    c.boxed(16, 30, 32, 37, WHITE, BLACK, 2)


def draw_network(c, size):
    """A globe with a small computer before it, joined to the globe by a cable."""
    sea, land, grid = (30, 90, 200), (60, 170, 80), (170, 210, 255)
    c.ellipse(27, 21, 19, 19, sea)
    c.polygon([(14, 10), (24, 6), (30, 12), (24, 20), (17, 18)], land)
    c.polygon([(32, 22), (42, 18), (44, 28), (36, 36), (31, 30)], land)
    if size >= 32:
        c.ring(27, 21, 19, 1, (10, 40, 120))
        c.rect(8, 20.5, 46, 21.5, grid)
        c.shape(lambda u, v: abs(((u - 27) / 8) ** 2 + ((v - 21) / 19) ** 2 - 1) < 0.12
                and (u - 27) ** 2 + (v - 21) ** 2 <= 361, (8, 2, 46, 40), grid)
    c.line(14, 40, 30, 40, 2, (60, 60, 60))
    c.line(30, 40, 30, 34, 2, (60, 60, 60))
    c.boxed(2, 24, 22, 38, (196, 196, 204), (40, 40, 48), 1.5)
    c.rect(4.5, 26.5, 19.5, 35.5, (20, 60, 140))
    c.rect(8, 38, 16, 41, (120, 120, 128))
    c.boxed(3, 41, 21, 46, (196, 196, 204), (40, 40, 48), 1.5)


def draw_disk(c, size):
    """A diskette: dark body with a cut corner, metal shutter and white label."""
    body, edge = (24, 40, 110), BLACK
    c.polygon([(5, 4), (40, 4), (44, 8), (44, 44), (5, 44)], edge)
    c.polygon([(7.5, 6.5), (39, 6.5), (41.5, 9), (41.5, 41.5), (7.5, 41.5)], body)
    c.boxed(14, 4, 34, 18, SILVER, edge, 1.5)
    c.rect(27, 7, 31, 15, GREY)
    c.boxed(11, 24, 38, 41.5, WHITE, edge, 1.5)
    if size >= 32:
        for y in (29, 33, 37):
            c.rect(14, y, 35, y + 1.2, (200, 30, 30) if y == 29 else GREY)


def draw_disk_4bit(c, size):
    """The diskette on the 16-colour palette."""
    c.polygon([(5, 4), (40, 4), (44, 8), (44, 44), (5, 44)], BLACK)
    c.polygon([(7.5, 6.5), (39, 6.5), (41.5, 9), (41.5, 41.5), (7.5, 41.5)], NAVY)
    c.boxed(14, 4, 34, 18, SILVER, BLACK, 1.5)
    c.rect(27, 7, 31, 15, GREY)
    c.boxed(11, 24, 38, 41.5, WHITE, BLACK, 1.5)
    if size >= 32:
        c.rect(14, 29, 35, 30.2, RED)
        for y in (33, 37):
            c.rect(14, y, 35, y + 1.2, GREY)


# ---- Bitmaps ----

def draw_background(c, size):
    """Page background: a deep blue panel with a printer, flying sheets and
    light rings on the left; the near-white panel on the right."""
    w, h = c.width, c.height
    for y in range(h):
        t = y / (h - 1)
        colour = (round(18 + 30 * t), round(48 + 62 * t), round(128 + 72 * t))
        for x in range(w):
            c.px[y][x] = colour
    for r, a in ((150, 0.07), (118, 0.06), (86, 0.05), (54, 0.05)):
        c.ring(40, 58, r, 10, (255, 255, 255, a))
    c.ellipse(40, 58, 24, 24, (255, 255, 255, 0.08))
    for i, (x, y, turn) in enumerate(((28, 96, -0.35), (104, 62, 0.25), (62, 34, -0.1))):
        corners = [(-16, -21), (16, -21), (16, 21), (-16, 21)]
        pts = [(x + cx * math.cos(turn) - cy * math.sin(turn),
                y + cx * math.sin(turn) + cy * math.cos(turn)) for cx, cy in corners]
        c.polygon(pts, (255, 255, 255, 0.22 + 0.1 * i))
    # The printer.
    c.polygon([(48, 150), (120, 150), (132, 170), (36, 170)], (196, 210, 236))
    c.boxed(58, 120, 110, 152, (250, 252, 255), (90, 110, 150), 1.5)
    for y in (128, 135, 142):
        c.rect(66, y, 102, y + 2, (150, 170, 210))
    c.boxed(30, 170, 138, 214, (170, 186, 220), (40, 60, 110), 2)
    c.rect(32, 172, 136, 180, (214, 224, 244))
    c.rect(46, 196, 122, 204, (30, 44, 90))
    c.ellipse(124, 184, 4, 4, (80, 220, 120))
    c.rect(108, 182, 116, 186, (110, 130, 170))
    c.polygon([(30, 214), (138, 214), (146, 226), (22, 226)], (0, 0, 0, 0.18))
    c.boxed(50, 200, 118, 246, (252, 252, 255), (90, 110, 150), 1.5)
    for y, x1 in ((212, 108), (220, 108), (228, 96), (236, 84)):
        c.rect(60, y, x1, y + 2.5, (60, 100, 200))
    # A band of light under the picture.
    c.rect(0, 268, 181, 272, (255, 255, 255, 0.25))
    c.rect(0, 276, 181, 278, (255, 255, 255, 0.15))


def draw_logo(c, size):
    """A desktop computer with a document and two diskettes on a teal ground."""
    w, h = c.width, c.height
    c.rect(0, 0, w, h, TEAL)
    # Monitor on the system unit.
    c.boxed(22, 30, 132, 112, SILVER, BLACK, 2)
    c.rect(24, 32, 130, 34, WHITE)
    c.boxed(32, 40, 122, 98, NAVY, BLACK, 2)
    for y, x1 in ((50, 100), (58, 112), (66, 92), (74, 106)):
        c.rect(40, y, x1, y + 3, AQUA)
    c.rect(112, 102, 124, 106, LIME)
    c.polygon([(62, 112), (92, 112), (100, 122), (54, 122)], GREY)
    c.boxed(14, 122, 140, 156, SILVER, BLACK, 2)
    c.rect(16, 124, 138, 126, WHITE)
    c.boxed(26, 134, 78, 142, GREY, BLACK, 1)
    c.rect(118, 136, 128, 142, RED)
    # Document leaning on the right.
    c.polygon([(94, 168), (136, 160), (146, 222), (104, 230)], BLACK)
    c.polygon([(96, 170), (134, 163), (143.5, 220), (105.5, 227.5)], WHITE)
    for i in range(6):
        y = 178 + 7 * i
        c.line(102 + i * 1.1, y + 6 - i * 0.2, 130 + i * 1.1, y + 0.8 - i * 0.2, 1.5,
               BLUE if i else RED)
    # Two diskettes on the left.
    for x, y, colour in ((12, 176, BLUE), (40, 192, PURPLE)):
        c.polygon([(x, y), (x + 40, y), (x + 44, y + 4), (x + 44, y + 44), (x, y + 44)], BLACK)
        c.rect(x + 2, y + 2, x + 42, y + 42, colour)
        c.boxed(x + 12, y, x + 32, y + 14, SILVER, BLACK, 1)
        c.rect(x + 24, y + 3, x + 28, y + 11, GREY)
        c.boxed(x + 7, y + 22, x + 37, y + 42, WHITE, BLACK, 1)
        c.rect(x + 10, y + 27, x + 34, y + 29, RED)
    # Keep a clean teal margin, so the picture's corners stay teal when squeezed.
    c.frame(0, 0, w, h, 10, TEAL)


def background():
    canvas = render(draw_background, 500, 310, 500, 2)
    left, top, right, bottom = PANEL_BOUNDS
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            canvas.px[y][x] = PANEL
    return canvas


def main():
    os.makedirs(ART, exist_ok=True)
    write_ico("setup.ico", icon(draw_setup, [(32, 4), (16, 4)]))
    write_ico("printer.ico", icon(draw_printer, [(48, 8), (32, 8), (16, 8)]))
    write_ico("port.ico", icon(draw_port_mono, [(32, 1)]) + icon(draw_port, [(32, 4)]))
    write_ico("network.ico", icon(draw_network, [(48, 8), (32, 8), (16, 8)]))
    write_ico("disk.ico", icon(draw_disk_4bit, [(16, 4)]) + icon(draw_disk, [(16, 8)])
              + icon(draw_disk_4bit, [(32, 4)]) + icon(draw_disk, [(32, 8)]))
    write_bmp("background.bmp", background(), 24)
    write_bmp("logo.bmp", render(draw_logo, 154, 248, 154, 1), 4)


if __name__ == "__main__":
    main()
