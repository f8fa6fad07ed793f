#!/usr/bin/env python3
"""Writes a small Flash ringtone: 128 x 96 pixels, 10 frames a second, a ball bouncing across an
orange ground for 3 seconds (uncompressed SWF, shapes with solid fills and straight edges).

    python3 examples/ring/make_swf.py ring.swf
"""
import struct
import sys

W, H, FPS, FRAMES = 128, 96, 10, 30
TWIPS = 20


class Bits:
    def __init__(self):
        self.out, self.acc, self.n = bytearray(), 0, 0

    def put(self, value, bits):
        for i in range(bits - 1, -1, -1):
            self.acc = self.acc << 1 | (value >> i & 1)
            self.n += 1
            if self.n == 8:
                self.out.append(self.acc)
                self.acc, self.n = 0, 0

    def signed(self, value, bits):
        self.put(value & ((1 << bits) - 1), bits)

    def done(self):
        if self.n:
            self.put(0, 8 - self.n)
        return bytes(self.out)


def nbits(*values):
    return max(max(abs(v).bit_length() for v in values) + 1, 2)


def rect(xmin, xmax, ymin, ymax):
    b, n = Bits(), nbits(xmin, xmax, ymin, ymax)
    b.put(n, 5)
    for v in (xmin, xmax, ymin, ymax):
        b.signed(v, n)
    return b.done()


def tag(code, body):
    if len(body) < 63:
        return struct.pack("<H", code << 6 | len(body)) + body
    return struct.pack("<HI", code << 6 | 0x3F, len(body)) + body


def polygon(points, rgb):
    """DefineShape body (without id) of a closed polygon filled with rgb, in twips."""
    xs, ys = [p[0] for p in points], [p[1] for p in points]
    body = rect(min(xs), max(xs), min(ys), max(ys)) + bytes([1, 0]) + bytes(rgb) + bytes([0])
    b = Bits()
    b.put(1, 4)  # fill index bits
    b.put(0, 4)  # line index bits
    x, y = points[0]
    n = nbits(x, y)
    b.put(0, 1)
    b.put(0b00011, 5)  # style change: fill style 0 and move
    b.put(n, 5)
    b.signed(x, n)
    b.signed(y, n)
    b.put(1, 1)  # fill style 0 = 1
    for nx, ny in points[1:] + points[:1]:
        dx, dy = nx - x, ny - y
        n = nbits(dx, dy)
        b.put(1, 1)  # edge
        b.put(1, 1)  # straight
        b.put(n - 2, 4)
        b.put(1, 1)  # general line
        b.signed(dx, n)
        b.signed(dy, n)
        x, y = nx, ny
    b.put(0, 6)  # end of shape
    return body + b.done()


def matrix(tx, ty):
    b, n = Bits(), nbits(tx, ty)
    b.put(0, 1)
    b.put(0, 1)
    b.put(n, 5)
    b.signed(tx, n)
    b.signed(ty, n)
    return b.done()


def main(path):
    tags = tag(9, bytes([230, 120, 60]))  # background
    r = 14 * TWIPS
    ball = [(int(r * c), int(r * s)) for c, s in
            [(1, 0), (0.7, 0.7), (0, 1), (-0.7, 0.7), (-1, 0), (-0.7, -0.7), (0, -1), (0.7, -0.7)]]
    tags += tag(2, struct.pack("<H", 1) + polygon(ball, (255, 255, 255)))
    band = [(0, 80 * TWIPS), (W * TWIPS, 80 * TWIPS), (W * TWIPS, H * TWIPS), (0, H * TWIPS)]
    tags += tag(2, struct.pack("<H", 2) + polygon(band, (16, 37, 63)))
    tags += tag(26, bytes([0x06]) + struct.pack("<HH", 1, 2) + matrix(0, 0))
    for frame in range(FRAMES):
        t = frame / (FRAMES - 1)
        x = int((16 + t * (W - 32)) * TWIPS)
        y = int((66 - 50 * abs(((frame % 10) - 5) / 5) ** 0.5) * TWIPS)
        flags, head = (0x06, struct.pack("<HH", 2, 1)) if frame == 0 else (0x05, struct.pack("<H", 2))
        tags += tag(26, bytes([flags]) + head + matrix(x, y))
        tags += tag(1, b"")
    tags += tag(0, b"")
    body = rect(0, W * TWIPS, 0, H * TWIPS) + struct.pack("<HH", FPS << 8, FRAMES) + tags
    with open(path, "wb") as f:
        f.write(b"FWS" + bytes([8]) + struct.pack("<I", 8 + len(body)) + body)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "ring.swf")
