#!/usr/bin/env python3
"""Draws the images of the example call screen (into this folder) and of the screen tests
(into tests/screens/data). Plain Python: PNG files written with zlib, shapes drawn per pixel.

    python3 examples/screen/make_images.py
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
TESTS = os.path.join(HERE, "..", "..", "tests", "screens", "data")


def write_png(path, width, height, pixels, alpha):
    """pixels: rows of (r, g, b[, a]) tuples."""
    raw = bytearray()
    for row in pixels:
        raw.append(0)  # no filter
        for p in row:
            raw.extend(p[:4] if alpha else p[:3])

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 6 if alpha else 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def canvas(width, height, colour):
    return [[tuple(colour) for _ in range(width)] for _ in range(height)]


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(len(a)))


def blend(img, x, y, colour, coverage):
    """Lays `colour` (r, g, b, a) over the pixel with the given coverage (0..1)."""
    if not (0 <= y < len(img) and 0 <= x < len(img[0])) or coverage <= 0:
        return
    under = img[y][x]
    a = colour[3] / 255.0 * min(coverage, 1.0)
    if len(under) == 4:
        ua = under[3] / 255.0
        oa = a + ua * (1 - a)
        if oa == 0:
            return
        rgb = [(colour[i] * a + under[i] * ua * (1 - a)) / oa for i in range(3)]
        img[y][x] = tuple(int(round(c)) for c in rgb) + (int(round(oa * 255)),)
    else:
        img[y][x] = tuple(int(round(colour[i] * a + under[i] * (1 - a))) for i in range(3))


def disc(img, cx, cy, r, colour, ring=None):
    """A filled disc, or with `ring` a circle line of that width, edges anti-aliased."""
    for y in range(int(cy - r - 2), int(cy + r + 3)):
        for x in range(int(cx - r - 2), int(cx + r + 3)):
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            cover = min(1.0, r + 0.5 - d)
            if ring is not None:
                cover = min(cover, d - (r - ring) + 0.5)
            blend(img, x, y, colour, cover)


def box(img, x0, y0, x1, y1, colour):
    for y in range(y0, y1):
        for x in range(x0, x1):
            blend(img, x, y, colour, 1.0)


def vertical_gradient(width, height, top, bottom):
    return [[mix(top, bottom, y / max(1, height - 1))] * width for y in range(height)]


def portrait(size, backdrop, skin, shirt):
    img = canvas(size, size, backdrop)
    s = size / 80.0
    disc(img, 40 * s, 92 * s, 34 * s, shirt + (255,))
    disc(img, 40 * s, 34 * s, 17 * s, skin + (255,))
    disc(img, 40 * s, 28 * s, 18 * s, (70, 45, 30, 255), ring=7 * s)  # hair
    return img


def rings(size, step, colour):
    """A dot with `step` rings around it: the call animation's frames."""
    img = canvas(size, size, (0, 0, 0, 0))
    c = size / 2.0
    disc(img, c, c, size * 0.16, colour + (255,))
    for k in range(1, step + 1):
        disc(img, c, c, size * (0.16 + 0.11 * k), colour + (255 - 60 * k,), ring=1.6)
    return img


def handset(size, colour):
    img = canvas(size, size, (0, 0, 0, 0))
    s = size / 24.0
    for i in range(0, 13):  # an arc of discs: the handle
        a = math.radians(200 + i * 11.5)
        disc(img, 12 * s + 8 * s * math.cos(a), 13 * s - 8 * s * math.sin(a), 2.2 * s,
             colour + (255,))
    disc(img, 4.5 * s, 16 * s, 3.4 * s, colour + (255,))
    disc(img, 19.5 * s, 16 * s, 3.4 * s, colour + (255,))
    return img


def save(folder, name, img):
    alpha = len(img[0][0]) == 4
    write_png(os.path.join(folder, name), len(img[0]), len(img), img, alpha)


def example_images():
    # Panes cut their background strips from the top rows of the image, so it changes across
    # only.
    row = [mix((16, 37, 63), (11, 94, 104), x / 239.0) for x in range(240)]
    bg = [list(row) for _ in range(320)]
    save(HERE, "bg.png", bg)
    save(HERE, "anna.png", portrait(72, (200, 214, 229), (240, 200, 170), (60, 110, 170)))
    badge = canvas(40, 40, (0, 0, 0, 0))
    disc(badge, 20, 20, 19.5, (230, 120, 60, 255))
    disc(badge, 14, 15, 5, (255, 255, 255, 255))
    disc(badge, 26, 15, 5, (255, 255, 255, 255))
    disc(badge, 14, 31, 8, (255, 255, 255, 255))
    disc(badge, 26, 31, 8, (255, 255, 255, 255))
    save(HERE, "family.png", badge)
    band = vertical_gradient(240, 44, (8, 20, 32), (4, 10, 16))
    box(band, 0, 0, 240, 1, (60, 200, 120, 255))
    save(HERE, "ticker.png", band)
    save(HERE, "handset.png", handset(24, (60, 200, 120)))
    for step in range(3):
        save(HERE, "ring%d.png" % step, rings(32, step, (60, 200, 120)))


def test_images():
    os.makedirs(TESTS, exist_ok=True)
    bg = [[(x // 8 * 12, y // 8 * 16, 96) for x in range(160)] for y in range(120)]
    save(TESTS, "bg.png", bg)
    checker = [[(250, 250, 250) if (x // 4 + y // 4) % 2 else (20, 60, 200) for x in range(24)]
               for y in range(24)]
    save(TESTS, "checker.png", checker)
    wide = [[(200, 40 + x * 4, 40) for x in range(50)] for _ in range(40)]
    save(TESTS, "wide.png", wide)
    save(TESTS, "icon.png", handset(20, (255, 220, 0)))
    for step, colour in enumerate([(255, 60, 60), (60, 255, 60), (60, 120, 255)]):
        frame = canvas(16, 16, (0, 0, 0, 0))
        disc(frame, 8, 8, 3 + 2 * step, colour + (255,))
        save(TESTS, "frame%d.png" % step, frame)
    strip = [[(30, 30, 30 + y * 4) for x in range(160)] for y in range(32)]
    save(TESTS, "strip.png", strip)


if __name__ == "__main__":
    example_images()
    test_images()
