#!/usr/bin/env python3
"""Draws the demo's seven images and writes them as PNG files into assets/.

Uses only the Python standard library. Every number comes from a fixed-seed generator of
our own, and the PNG writer emits the same chunks in the same order, so every run writes
the same bytes. With --preview DIR it also writes the scorch and the smoke multiplied onto
the tiled ground, for looking at.
"""
import math
import os
import struct
import sys
import zlib


class Lcg:
    """A small 32-bit generator, the same on every machine and Python version."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def next(self):
        self.state = (self.state * 1664525 + 1013904223) & 0xFFFFFFFF
        return self.state

    def unit(self):
        return (self.next() >> 8) / float(1 << 24)


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png_bytes(width, height, colour_type, rows, palette=None, trns=None):
    """rows: list of bytes objects, each one row of samples without the filter byte."""
    out = b"\x89PNG\r\n\x1a\n"
    out += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0))
    if palette is not None:
        out += chunk(b"PLTE", b"".join(bytes(c) for c in palette))
    if trns is not None:
        out += chunk(b"tRNS", bytes(trns))
    raw = b"".join(b"\x00" + r for r in rows)
    out += chunk(b"IDAT", zlib.compress(raw, 9))
    out += chunk(b"IEND", b"")
    return out


def clamp(v, lo, hi):
    return lo if v < lo else hi if v > hi else v


def smoothstep(t):
    t = clamp(t, 0.0, 1.0)
    return t * t * (3 - 2 * t)


def periodic_noise(size, cells, rng):
    """Value noise on a grid of cells x cells that wraps around, sampled size x size."""
    grid = [[rng.unit() for _ in range(cells)] for _ in range(cells)]
    step = size / cells
    out = [[0.0] * size for _ in range(size)]
    for y in range(size):
        gy = y / step
        y0 = int(gy)
        fy = smoothstep(gy - y0)
        for x in range(size):
            gx = x / step
            x0 = int(gx)
            fx = smoothstep(gx - x0)
            a = grid[y0 % cells][x0 % cells]
            b = grid[y0 % cells][(x0 + 1) % cells]
            c = grid[(y0 + 1) % cells][x0 % cells]
            d = grid[(y0 + 1) % cells][(x0 + 1) % cells]
            top = a + (b - a) * fx
            bottom = c + (d - c) * fx
            out[y][x] = top + (bottom - top) * fy
    return out


# ---- ground.png: seamless dark olive mottle, every pixel (L, L, L/2) ----
def make_ground():
    size = 256
    rng = Lcg(1001)
    patches = periodic_noise(size, 4, rng)
    mottle = periodic_noise(size, 16, rng)
    grain = periodic_noise(size, 64, rng)
    rows = []
    values = []
    for y in range(size):
        row = bytearray()
        for x in range(size):
            fine = rng.unit()
            v = (70 + (patches[y][x] - 0.5) * 60 + (mottle[y][x] - 0.5) * 40
                 + (grain[y][x] - 0.5) * 30 + (fine - 0.5) * 22)
            lum = clamp(int(round(v)), 0, 126)
            values.append(lum)
            row += bytes((lum, lum, lum // 2))
        rows.append(bytes(row))
    return png_bytes(size, size, 2, rows)


# ---- smoke.png: a grey puff with a faint cyan cast on pure white ----
def make_smoke():
    size = 64
    rng = Lcg(2002)
    cx, cy = 32.5, 34.0
    lumps = [(rng.unit() * 2 * math.pi, 0.6 + rng.unit() * 0.5) for _ in range(7)]
    dark = [(cx + (rng.unit() - 0.5) * 16, cy + (rng.unit() - 0.5) * 16, 3 + rng.unit() * 4)
            for _ in range(6)]
    rows = []
    for y in range(size):
        row = bytearray()
        for x in range(size):
            dx, dy = x + 0.5 - cx, y + 0.5 - cy
            angle = math.atan2(dy, dx)
            # A lumpy outline: a few round bulges on a base circle.
            edge = 18.5
            for phase, amount in lumps:
                edge += amount * math.cos(angle * 3 - phase) + amount * 0.5 * math.sin(angle * 5 + phase)
            dist = math.hypot(dx, dy * 20.0 / 21.5)
            jitter = rng.unit()
            t = dist / edge + (jitter - 0.5) * 0.12
            if t >= 1.0:
                row += b"\xff\xff\xff\xff"
                continue
            # Dense in the middle, thinning out towards the frayed edge.
            g = 89 + 150 * (max(t, 0.0) ** 1.7)
            for bx, by, br in dark:
                d = math.hypot(x + 0.5 - bx, y + 0.5 - by) / br
                if d < 1:
                    g -= 28 * (1 - d) * (1 - t)
            g += (rng.unit() - 0.5) * 8
            g = clamp(int(round(g)), 62, 250)
            r = g - int(round(6 * (1 - t)))
            row += bytes((r, g, g, 255))
        rows.append(bytes(row))
    return png_bytes(size, size, 6, rows)


# ---- glow.png: a fireball glow, near white core to black ----
GLOW_RAMP = [
    (0.00, (236, 236, 237)),
    (0.18, (234, 234, 235)),
    (0.35, (239, 217, 186)),
    (0.52, (232, 192, 181)),
    (0.70, (150, 120, 130)),
    (0.85, (60, 48, 55)),
    (0.97, (0, 0, 0)),
    (1.00, (0, 0, 0)),
]


def ramp(table, t):
    t = clamp(t, 0.0, 1.0)
    for (t0, c0), (t1, c1) in zip(table, table[1:]):
        if t <= t1:
            f = (t - t0) / (t1 - t0) if t1 > t0 else 0.0
            return tuple(c0[i] + (c1[i] - c0[i]) * f for i in range(3))
    return table[-1][1]


def make_glow():
    size = 64
    rng = Lcg(3003)
    rows = []
    for y in range(size):
        row = bytearray()
        for x in range(size):
            dx, dy = x + 0.5 - 32, y + 0.5 - 32
            angle = math.atan2(dy, dx)
            r = math.hypot(dx, dy) / (31.0 + 1.2 * math.sin(angle * 4 + 0.7))
            c = ramp(GLOW_RAMP, r)
            n = 1 + (rng.unit() - 0.5) * 0.04 if r < 0.95 else 1
            px = tuple(clamp(int(round(v * n)), 0, 255) for v in c)
            row += bytes(px) + b"\xff"
        rows.append(bytes(row))
    return png_bytes(size, size, 6, rows)


# ---- streak.png: a vertical line in column 31, rows 2 to 61 ----
def make_streak():
    size = 64
    rng = Lcg(4004)
    palette = [(0, 0, 0), (194, 189, 23), (230, 214, 56), (237, 197, 169), (150, 110, 82)]
    # Lighter and darker peaches fill the rest of the 25 entries.
    for i in range(20):
        f = (i - 10) / 10.0
        palette.append((clamp(int(237 + 18 * f), 0, 255), clamp(int(197 + 30 * f), 0, 255),
                        clamp(int(169 + 40 * f), 0, 255)))
    line = {2: 1, 3: 2}
    for y in range(4, 62):
        u = rng.unit()
        if u < 0.08:
            line[y] = 4
        elif u < 0.45:
            line[y] = 5 + int(rng.unit() * 20)
        else:
            line[y] = 3
    rows = []
    for y in range(size):
        row = bytearray(size)
        if y in line:
            row[31] = line[y]
        rows.append(bytes(row))
    return png_bytes(size, size, 3, rows, palette=palette, trns=[0])


# ---- debris.png: a ragged grey speck of 12 pixels ----
def make_debris():
    size = 32
    palette = [(0, 0, 0), (125, 125, 125), (140, 140, 140), (155, 155, 155), (167, 167, 167),
               (179, 179, 179)]
    speck = {(15, 13): 2, (16, 13): 1, (14, 14): 3, (15, 14): 5, (16, 14): 4, (17, 14): 2,
             (14, 15): 1, (15, 15): 4, (16, 15): 5, (17, 15): 3, (15, 16): 2, (16, 16): 1}
    rows = []
    for y in range(size):
        rows.append(bytes(speck.get((x, y), 0) for x in range(size)))
    return png_bytes(size, size, 3, rows, palette=palette, trns=[0])


# ---- ember.png: a small glowing ring on black ----
EMBER_RAMP = [
    (0.00, (105, 100, 25)),   # olive-yellow core
    (0.35, (150, 125, 35)),
    (0.55, (250, 204, 53)),   # bright rim, inner side
    (0.72, (244, 146, 43)),   # orange rim
    (0.86, (120, 45, 20)),    # dark red-brown fringe
    (1.00, (40, 12, 6)),
]


def make_ember():
    size = 32
    rng = Lcg(5005)
    count = 156
    palette = [(0, 0, 0)]
    for i in range(count):
        c = ramp(EMBER_RAMP, i / (count - 1))
        palette.append(tuple(clamp(int(round(v)), 0, 255) for v in c))
    rows = []
    for y in range(size):
        row = bytearray()
        for x in range(size):
            dx, dy = x + 0.5 - 15.0, y + 0.5 - 14.5
            r = math.hypot(dx, dy) / 7.0
            if r >= 1.0:
                row.append(0)
                continue
            t = clamp(r + (rng.unit() - 0.5) * 0.06, 0.0, 1.0)
            row.append(1 + int(round(t * (count - 1))))
        rows.append(bytes(row))
    return png_bytes(size, size, 3, rows, palette=palette)


# ---- scorch.png: a brown star of soft rays on white, with real alpha ----
def make_scorch():
    size = 64
    rng = Lcg(6006)
    cx, cy = 34.0, 29.0
    rays = []
    for i in range(10):
        rays.append((i * 2 * math.pi / 10 + (rng.unit() - 0.5) * 0.35, 9 + rng.unit() * 7,
                     0.26 + rng.unit() * 0.12))
    dark = (97, 72, 50)
    core = (116, 86, 60)
    pale = (236, 222, 205)
    rows = []
    for y in range(size):
        row = bytearray()
        for x in range(size):
            dx, dy = x + 0.5 - cx, y + 0.5 - cy
            angle = math.atan2(dy, dx)
            dist = math.hypot(dx, dy)
            reach = 9.0
            for centre, length, width in rays:
                d = math.atan2(math.sin(angle - centre), math.cos(angle - centre))
                reach = max(reach, 8 + length * math.exp(-(d / width) ** 2))
            t = dist / reach + (rng.unit() - 0.5) * 0.1
            alpha = clamp(1.0 - smoothstep((t - 0.45) / 0.55), 0.0, 1.0)
            a = int(round(alpha * 255))
            if a == 0:
                row += b"\xff\xff\xff\x00"
                continue
            inner = smoothstep(dist / 5.0)
            base = tuple(dark[i] + (core[i] - dark[i]) * inner for i in range(3))
            fade = 1.0 - alpha
            px = tuple(clamp(int(round(base[i] + (pale[i] - base[i]) * fade)), 1, 255)
                       for i in range(3))
            row += bytes(px) + bytes((a,))
        rows.append(bytes(row))
    return png_bytes(size, size, 6, rows)


IMAGES = [
    ("ground.png", make_ground),
    ("smoke.png", make_smoke),
    ("glow.png", make_glow),
    ("streak.png", make_streak),
    ("debris.png", make_debris),
    ("ember.png", make_ember),
    ("scorch.png", make_scorch),
]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = os.path.join(here, "..", "assets")
    os.makedirs(out_dir, exist_ok=True)
    for name, make in IMAGES:
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(make())


if __name__ == "__main__":
    main()
