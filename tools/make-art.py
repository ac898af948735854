#!/usr/bin/env python3
"""Draws the program's icons and bitmaps from code and writes them as .ico and
.bmp files into src/resources/art. The outputs are committed; run this again
after changing a drawing:  python3 tools/make-art.py"""
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
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)
CLEAR = -1


class Canvas:
    """Pixels as palette indices (or CLEAR for transparent), origin top-left."""

    def __init__(self, width, height, fill=CLEAR):
        self.width, self.height = width, height
        self.px = [[fill] * width for _ in range(height)]

    def put(self, x, y, c):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        """Filled rectangle, both corners included."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.put(x, y0, c)
            self.put(x, y1, c)
        for y in range(y0, y1 + 1):
            self.put(x0, y, c)
            self.put(x1, y, c)

    def line(self, x0, y0, x1, y1, c):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            self.put(round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps), c)

    def scaled(self, width, height):
        out = Canvas(width, height)
        for y in range(height):
            for x in range(width):
                out.px[y][x] = self.px[y * self.height // height][x * self.width // width]
        return out


def dib_rows(canvas, bits, palette):
    """Bottom-up rows of pixel data at 1, 4 or 8 bits, each padded to 4 bytes."""
    rows = []
    for y in range(canvas.height - 1, -1, -1):
        values = [max(c, 0) for c in canvas.px[y]]
        row = bytearray()
        acc, n = 0, 0
        for v in values:
            acc = (acc << bits) | v
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
    rows = []
    for y in range(canvas.height - 1, -1, -1):
        mask = Canvas(canvas.width, 1)
        mask.px[0] = [1 if c == CLEAR else 0 for c in canvas.px[y]]
        rows.append(dib_rows(mask, 1, None))
    return b"".join(rows)


def icon_image(canvas, bits, palette):
    colours = 1 << bits
    pal = list(palette) + [(0, 0, 0)] * (colours - len(palette))
    header = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height * 2, 1, bits, 0,
                         0, 0, 0, colours, 0)
    pal_bytes = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in pal[:colours])
    return header + pal_bytes + dib_rows(canvas, bits, pal) + mask_rows(canvas)


def write_ico(name, images):
    """images: list of (canvas, bits, palette)."""
    blobs = [icon_image(c, b, p) for c, b, p in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (c, bits, _), blob in zip(images, blobs):
        colours = (1 << bits) if bits < 8 else 0
        out += struct.pack("<BBBBHHII", c.width % 256, c.height % 256, colours, 0, 1, bits,
                           len(blob), offset)
        offset += len(blob)
    with open(os.path.join(ART, name), "wb") as f:
        f.write(out + b"".join(blobs))


def setup_icon(size):
    """A setup box: a grey case with a diskette slot and a green go-arrow."""
    c = Canvas(32, 32)
    c.rect(3, 10, 26, 28, SILVER)
    c.frame(3, 10, 26, 28, BLACK)
    c.rect(6, 14, 18, 16, GREY)
    c.rect(21, 24, 23, 25, LIME)
    c.rect(8, 3, 22, 9, WHITE)
    c.frame(8, 3, 22, 9, NAVY)
    for i in range(5):
        c.line(14 + i, 20 - i, 14 + i, 20 + i - 8 + 8, GREEN)
    c.rect(6, 19, 13, 21, GREEN)
    return c if size == 32 else c.scaled(size, size)


def main():
    os.makedirs(ART, exist_ok=True)
    write_ico("setup.ico", [(setup_icon(32), 4, VGA16), (setup_icon(16), 4, VGA16)])


if __name__ == "__main__":
    main()
