#!/usr/bin/env python3
"""Draws the demo's seven images and writes them as PNG files into assets/.

Uses only the standard library: PNG files are assembled by hand from zlib and struct. Every
random choice comes from a fixed-seed generator, so each run writes the same bytes.

    tools/make_art.py [ASSET_DIR] [--preview DIR]

--preview also writes enlarged copies and the smoke and scorch multiplied onto the ground,
for looking at the art.
"""

import math
import os
import struct
import sys
import zlib


# ---- PNG writing ----


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_png(path, width, height, colour_type, rows, palette=None, trns=None):
    """rows: one bytes object per row, samples already packed (8 bits each)."""
    raw = b"".join(b"\x00" + bytes(r) for r in rows)
    data = b"\x89PNG\r\n\x1a\n"
    data += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0))
    if palette is not None:
        data += chunk(b"PLTE", b"".join(bytes(c) for c in palette))
    if trns is not None:
        data += chunk(b"tRNS", bytes(trns))
    data += chunk(b"IDAT", zlib.compress(raw, 9))
    data += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(data)


# ---- Deterministic randomness and periodic noise ----


class Random:
    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def next(self):
        # 32-bit linear congruential step; the high bits are the useful ones.
        self.state = (self.state * 1664525 + 1013904223) & 0xFFFFFFFF
        return self.state

    def unit(self):
        return self.next() / 4294967296.0


def smooth(t):
    return t * t * (3 - 2 * t)


def periodic_value_noise(size, cells, rng):
    """size x size noise in 0..1 that wraps at the edges: the lattice is cells x cells."""
    lattice = [[rng.unit() for _ in range(cells)] for _ in range(cells)]
    step = size / cells
    out = [[0.0] * size for _ in range(size)]
    for y in range(size):
        gy = y / step
        y0 = int(gy)
        ty = smooth(gy - y0)
        for x in range(size):
            gx = x / step
            x0 = int(gx)
            tx = smooth(gx - x0)
            a = lattice[y0 % cells][x0 % cells]
            b = lattice[y0 % cells][(x0 + 1) % cells]
            c = lattice[(y0 + 1) % cells][x0 % cells]
            d = lattice[(y0 + 1) % cells][(x0 + 1) % cells]
            top = a + (b - a) * tx
            bottom = c + (d - c) * tx
            out[y][x] = top + (bottom - top) * ty
    return out


def clamp(v, lo, hi):
    return lo if v < lo else hi if v > hi else v


def lerp(a, b, t):
    return a + (b - a) * t


def mix(c1, c2, t):
    return tuple(lerp(a, b, t) for a, b in zip(c1, c2))


# ---- The images ----


def make_ground():
    size = 256
    rng = Random(1001)
    octaves = [(4, 0.30), (8, 0.25), (16, 0.20), (32, 0.15), (64, 0.10)]
    layers = [(periodic_value_noise(size, cells, rng), w) for cells, w in octaves]
    patches = periodic_value_noise(size, 8, rng)
    grain = [[rng.unit() for _ in range(size)] for _ in range(size)]
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            v = sum(layer[y][x] * w for layer, w in layers)  # about 0.5, smooth
            patch = smooth(clamp((patches[y][x] - 0.55) * 3.0, 0.0, 1.0))  # darker patches
            lum = 34 + 90 * v + 48 * (grain[y][x] - 0.5) - 30 * patch
            level = int(clamp(round(lum), 0, 126))
            row.append((level, level, level // 2))
        pixels.append(row)
    return pixels


def make_smoke():
    size = 64
    rng = Random(2002)
    cx, cy = 32.5, 34.0
    rx, ry = 21.5, 23.0
    bumps = [(k, rng.unit() * 2 * math.pi, 0.05 + 0.07 * rng.unit()) for k in (3, 5, 7, 11)]
    shade = periodic_value_noise(size, 16, rng)
    grain = [[rng.unit() for _ in range(size)] for _ in range(size)]
    dark, light = (56, 62, 62), (238, 241, 241)
    pixels = [[(255, 255, 255)] * size for _ in range(size)]
    for y in range(13, 56):
        for x in range(13, 53):
            dx, dy = (x + 0.5 - cx) / rx, (y + 0.5 - cy) / ry
            angle = math.atan2(dy, dx)
            edge = 1.0 - sum(a * (0.5 + 0.5 * math.sin(k * angle + p)) for k, p, a in bumps)
            r = math.hypot(dx, dy) / edge
            fray = grain[y][x]
            if r > 1.0 or (r > 0.82 and fray < (r - 0.82) * 4.0):
                continue  # outside the ragged edge, or a gap in the fraying rim
            t = 0.12 + r ** 1.7 * 0.72 + 0.30 * (shade[y][x] - 0.5) + 0.06 * (fray - 0.5)
            t = clamp(t, 0.0, 1.0)
            g = int(round(lerp(dark[1], light[1], t)))
            g = clamp(g, dark[1], 250)
            red = g - int(round(6 * (255 - g) / (255 - dark[1])))
            pixels[y][x] = (red, g, g)
    return pixels


def make_glow():
    size = 64
    stops = [
        (0.00, (234, 234, 235)),
        (0.16, (236, 230, 220)),
        (0.30, (239, 217, 186)),
        (0.46, (232, 192, 181)),
        (0.62, (168, 140, 150)),
        (0.78, (92, 80, 90)),
        (0.90, (20, 16, 20)),
        (0.95, (0, 0, 0)),
    ]
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            r = math.hypot(x - 31.5, y - 31.5) / 32.0
            colour = (0, 0, 0)
            for (r0, c0), (r1, c1) in zip(stops, stops[1:]):
                if r0 <= r < r1:
                    colour = mix(c0, c1, smooth((r - r0) / (r1 - r0)))
                    break
            row.append(tuple(int(round(c)) for c in colour))
        pixels.append(row)
    return pixels


def make_streak():
    palette = [(0, 0, 0), (194, 189, 23), (230, 214, 56)]
    rng = Random(3003)
    # Peach body shades, then brown and light specks: 25 entries in all.
    for i in range(14):
        palette.append((237 - i % 4, 197 - (i * 3) % 7, 169 - (i * 5) % 9))
    for i in range(4):
        palette.append((150 + 6 * i, 110 + 5 * i, 82 + 4 * i))
    for i in range(4):
        palette.append((246 - 2 * i, 226 - 3 * i, 206 - 2 * i))
    assert len(palette) == 25
    indices = [[0] * 64 for _ in range(64)]
    indices[2][31] = 1
    indices[3][31] = 2
    for y in range(4, 62):
        u = rng.unit()
        if u < 0.10:
            indices[y][31] = 17 + rng.next() % 4  # darker brown speck
        elif u < 0.18:
            indices[y][31] = 21 + rng.next() % 4  # lighter speck
        else:
            indices[y][31] = 3 + rng.next() % 14
    return palette, indices


def make_debris():
    palette = [(0, 0, 0), (125, 125, 125), (140, 140, 140), (152, 152, 152), (166, 166, 166),
               (179, 179, 179)]
    shape = ["..1.", "2453", ".542", "31.."]  # 12 specks in columns 14-17, rows 13-16
    indices = [[0] * 32 for _ in range(32)]
    for dy, line in enumerate(shape):
        for dx, ch in enumerate(line):
            if ch != ".":
                indices[13 + dy][14 + dx] = int(ch)
    return palette, indices


def make_ember():
    core, rim_dim, rim_hot = (105, 100, 25), (244, 146, 43), (250, 204, 53)
    fringe, edge = (120, 40, 20), (40, 10, 5)
    palette = [(0, 0, 0)]
    for i in range(78):  # core to the hot rim
        t = i / 77
        palette.append(tuple(int(round(c)) for c in
                             (mix(core, rim_dim, t / 0.6) if t < 0.6 else
                              mix(rim_dim, rim_hot, (t - 0.6) / 0.4))))
    for i in range(78):  # hot rim out through the fringe
        t = i / 77
        palette.append(tuple(int(round(c)) for c in
                             (mix(rim_hot, rim_dim, t / 0.3) if t < 0.3 else
                              mix(rim_dim, fringe, (t - 0.3) / 0.4) if t < 0.7 else
                              mix(fringe, edge, (t - 0.7) / 0.3))))
    assert len(palette) == 157
    cx, cy = 15.0, 14.5
    indices = [[0] * 32 for _ in range(32)]
    for y in range(8, 21):
        for x in range(8, 22):
            r = math.hypot((x - cx) / 7.0, (y - cy) / 6.5)
            if r > 1.0:
                continue
            if r < 0.55:
                index = 1 + int(round(77 * (r / 0.55)))
            else:
                index = 79 + int(round(77 * ((r - 0.55) / 0.45)))
            indices[y][x] = index
    return palette, indices


def make_scorch():
    size = 64
    rng = Random(4004)
    cx, cy = 34.0, 28.8
    rays = [(2 * math.pi * (i + 0.3 * (rng.unit() - 0.5)) / 10, 10.5 + 6.5 * rng.unit(),
             0.22 + 0.10 * rng.unit()) for i in range(10)]
    centre, darkest, pale = (116, 86, 60), (97, 72, 50), (214, 190, 162)
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            dx, dy = x - cx, y - cy
            r = math.hypot(dx, dy)
            angle = math.atan2(dy, dx)
            reach = 8.0
            for a0, length, width in rays:
                d = (angle - a0 + math.pi) % (2 * math.pi) - math.pi
                reach = max(reach, 7.0 + length * max(0.0, 1.0 - (d / width) ** 2))
            cover = clamp((reach - r) / 4.0, 0.0, 1.0)
            inside = 17 <= x <= 51 and 11 <= y <= 46
            if cover <= 0.0 or not inside:
                row.append((255, 255, 255, 0))
                continue
            alpha = int(round(255 * smooth(cover)))
            if alpha == 0:
                row.append((255, 255, 255, 0))
                continue
            # Dark in the middle, pale brown towards the ends of the rays.
            body = mix(darkest, centre, clamp(r / 4.0, 0.0, 1.0))
            body = mix(body, (150, 118, 88), clamp((r - 5.0) / 9.0, 0.0, 1.0))
            colour = mix(pale, body, smooth(cover))
            row.append(tuple(int(round(c)) for c in colour) + (alpha,))
        pixels.append(row)
    return pixels


# ---- Output ----


def rgb_rows(pixels, alpha=None):
    rows = []
    for row in pixels:
        out = bytearray()
        for p in row:
            out += bytes(p[:3])
            if len(p) > 3:
                out.append(p[3])
            elif alpha is not None:
                out.append(alpha)
        rows.append(out)
    return rows


def expand(palette, indices):
    return [[palette[i] for i in row] for row in indices]


def write_assets(folder):
    os.makedirs(folder, exist_ok=True)
    images = {}
    ground = make_ground()
    write_png(os.path.join(folder, "ground.png"), 256, 256, 2, rgb_rows(ground))
    smoke = make_smoke()
    write_png(os.path.join(folder, "smoke.png"), 64, 64, 6, rgb_rows(smoke, 255))
    glow = make_glow()
    write_png(os.path.join(folder, "glow.png"), 64, 64, 6, rgb_rows(glow, 255))
    pal, idx = make_streak()
    write_png(os.path.join(folder, "streak.png"), 64, 64, 3, idx, pal, [0])
    streak = expand(pal, idx)
    pal, idx = make_debris()
    write_png(os.path.join(folder, "debris.png"), 32, 32, 3, idx, pal, [0])
    debris = expand(pal, idx)
    pal, idx = make_ember()
    write_png(os.path.join(folder, "ember.png"), 32, 32, 3, idx, pal)
    ember = expand(pal, idx)
    scorch = make_scorch()
    write_png(os.path.join(folder, "scorch.png"), 64, 64, 6, rgb_rows(scorch))
    images.update(ground=ground, smoke=smoke, glow=glow, streak=streak, debris=debris,
                  ember=ember, scorch=[[p[:3] for p in row] for row in scorch])
    return images


def enlarge(pixels, factor):
    return [[p for p in row for _ in range(factor)] for row in pixels for _ in range(factor)]


def multiply_on_ground(ground, sprite, ox, oy):
    out = [list(row[:128]) for row in ground[:128]]
    for y, row in enumerate(sprite):
        for x, p in enumerate(row):
            g = out[oy + y][ox + x]
            out[oy + y][ox + x] = tuple(a * b // 255 for a, b in zip(p, g))
    return out


def write_preview(images, folder):
    os.makedirs(folder, exist_ok=True)
    for name, pixels in images.items():
        factor = 2 if name == "ground" else 6
        big = enlarge(pixels, factor)
        write_png(os.path.join(folder, name + ".png"), len(big[0]), len(big), 2, rgb_rows(big))
    ground = images["ground"]
    tiled = [row + row for row in ground] * 2
    write_png(os.path.join(folder, "ground_tiled.png"), 512, 512, 2, rgb_rows(tiled))
    for name in ("smoke", "scorch"):
        scene = enlarge(multiply_on_ground(ground, images[name], 32, 32), 4)
        write_png(os.path.join(folder, name + "_on_ground.png"), 512, 512, 2, rgb_rows(scene))


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    folder = os.path.join(here, "..", "assets")
    preview = None
    args = list(argv)
    while args:
        a = args.pop(0)
        if a == "--preview":
            preview = args.pop(0)
        else:
            folder = a
    images = write_assets(folder)
    if preview:
        write_preview(images, preview)


if __name__ == "__main__":
    main(sys.argv[1:])
