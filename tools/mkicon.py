#!/usr/bin/env python3
"""Draws the program icon and writes it as Windows icon files.

    python3 tools/mkicon.py OUTDIR [--png PREVIEW.png]

OUTDIR receives "orba.ico" (48, 32 and 16 pixels: the large icon) and
"orba_small.ico" (16 and 32 pixels: the small icon of captions and task
lists). Every image is 32-bit with alpha and carries an AND mask for
systems that ignore the alpha channel. --png also writes a preview sheet:
each size enlarged pixel by pixel and at its real size on a light and a dark
ground.

The motif is a steam locomotive in side view with a puff of steam, on a
piece of track. Shapes are signed distance functions evaluated per pixel,
so every edge is anti-aliased; the 16-pixel image is a separate, simpler
drawing on whole pixels, since the large one would blur at that size.
Only the standard library is used.
"""
import math
import struct
import sys
import zlib

# ---------------------------------------------------------------- colours
def rgb(h, a=1.0):
    return ((h >> 16) & 255) / 255.0, ((h >> 8) & 255) / 255.0, (h & 255) / 255.0, a


INK = rgb(0x1A1C1E)          # outline
BOILER_TOP = rgb(0x3FA564)
BOILER_LOW = rgb(0x17603A)
CAB_TOP = rgb(0x35995A)
CAB_LOW = rgb(0x145532)
SMOKEBOX = rgb(0x2B2F33)
SMOKEBOX_HI = rgb(0x4A5056)
ROOF = rgb(0x24282C)
BRASS = rgb(0xE2B33C)
BRASS_HI = rgb(0xF7DC86)
RED = rgb(0xC62F2F)
RED_DARK = rgb(0x8A1C1F)
WHEEL_HUB = rgb(0xE8E4DA)
WINDOW = rgb(0xFFE49A)
WINDOW_LOW = rgb(0xF2B84B)
STEEL = rgb(0xA7AFB7)
STEEL_HI = rgb(0xDDE3E8)
SLEEPER = rgb(0x6B4A2F)
STEAM = rgb(0xFFFFFF, 0.96)
STEAM_SHADE = rgb(0xC9D3DC, 0.96)
STEAM_EDGE = rgb(0x7D8B97, 0.9)
ROD = rgb(0xB9C0C7)


def lerp(a, b, t):
    t = min(1.0, max(0.0, t))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(4))


# ---------------------------------------------------------------- shapes
# Each shape is a function (x, y) -> signed distance in design units
# (negative inside). Boxes put their edges on whole pixels of the size being
# drawn (pixels per design unit in GRID), which keeps the smaller images
# sharp.
GRID = [1.0]


def snap(v):
    return round(v * GRID[0]) / GRID[0]


def box(x0, y0, x1, y1, r=0.0):
    x0, y0, x1, y1 = snap(x0), snap(y0), snap(x1), snap(y1)
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def d(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0), max(qy, 0))
        return outside + min(max(qx, qy), 0) - r
    return d


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def segment(ax, ay, bx, by, r):
    def d(x, y):
        px, py, vx, vy = x - ax, y - ay, bx - ax, by - ay
        t = max(0.0, min(1.0, (px * vx + py * vy) / (vx * vx + vy * vy)))
        return math.hypot(px - vx * t, py - vy * t) - r
    return d


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def grow(s, w):
    return lambda x, y: s(x, y) - w


def vgrad(top, low, y0, y1):
    return lambda x, y: lerp(top, low, (y - y0) / (y1 - y0))


def flat(c):
    return lambda x, y: c


# ---------------------------------------------------------------- canvas
class Canvas:
    """Premultiplied RGBA pixels; shapes are drawn in design units that
    scale to pixels by `scale`."""

    def __init__(self, size, scale):
        self.size = size
        self.scale = scale
        GRID[0] = scale
        self.px = [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]

    def fill(self, shape, paint, opacity=1.0):
        s = self.scale
        for j in range(self.size):
            y = (j + 0.5) / s
            row = self.px[j]
            for i in range(self.size):
                x = (i + 0.5) / s
                # Distance in pixels; a one-pixel ramp across the edge.
                cov = min(1.0, max(0.0, 0.5 - shape(x, y) * s)) * opacity
                if cov <= 0.0:
                    continue
                r, g, b, a = paint(x, y)
                a *= cov
                dr, dg, db, da = row[i]
                k = 1.0 - a
                row[i] = (r * a + dr * k, g * a + dg * k, b * a + db * k, a + da * k)

    def rgba(self):
        """Rows of straight (not premultiplied) 8-bit RGBA tuples."""
        out = []
        for row in self.px:
            line = []
            for r, g, b, a in row:
                if a <= 0.0:
                    line.append((0, 0, 0, 0))
                    continue
                line.append(tuple(int(round(min(1.0, c / a) * 255)) for c in (r, g, b)) + (int(round(a * 255)),))
            out.append(line)
        return out


# ---------------------------------------------------------------- the large drawing (48 design units)
def draw_large(size):
    c = Canvas(size, size / 48.0)
    detail = size >= 40

    # Track: sleepers, then the rail with a highlight.
    sleepers = union(*[box(x, 41.2, x + 3.2, 44.6, 0.6) for x in (3.5, 11.5, 19.5, 27.5, 35.5, 43.0)])
    c.fill(grow(sleepers, 0.7), flat(INK), 0.85)
    c.fill(sleepers, flat(SLEEPER))
    rail = box(0.8, 39.6, 47.2, 42.2, 0.6)
    c.fill(grow(rail, 0.8), flat(INK))
    c.fill(rail, vgrad(STEEL_HI, STEEL, 39.6, 42.2))

    # Steam: a drifting cloud above and behind the chimney.
    puffs = [circle(12.5, 7.0, 4.0), circle(18.5, 4.6, 4.4), circle(25.0, 4.2, 3.6), circle(30.5, 5.4, 2.6)]
    if detail:
        puffs.append(circle(35.0, 6.4, 1.7))
    steam = union(*puffs)
    c.fill(grow(steam, 0.9), flat(STEAM_EDGE))
    c.fill(steam, vgrad(STEAM, STEAM_SHADE, 1.0, 11.0))

    # The body's silhouette, outlined once as a whole.
    chimney = union(box(9.0, 8.6, 14.4, 17.0, 0.5), box(8.0, 7.4, 15.4, 10.0, 0.8))
    dome = circle(22.5, 17.4, 4.2)
    boiler = box(9.5, 15.6, 33.0, 28.0, 2.0)
    smokebox = box(6.2, 15.6, 13.0, 28.0, 2.6)
    cab = box(31.0, 12.2, 43.6, 30.0, 0.8)
    roof = box(29.6, 9.6, 45.2, 13.2, 1.0)
    footplate = box(4.2, 27.0, 45.0, 30.6, 0.4)
    beam = box(3.0, 25.8, 7.2, 32.2, 0.5)
    buffer = box(0.6, 27.2, 3.6, 30.6, 0.6)
    silhouette = union(chimney, dome, boiler, smokebox, cab, roof, footplate, beam, buffer)
    c.fill(grow(silhouette, 1.0), flat(INK))

    c.fill(dome, vgrad(BRASS_HI, BRASS, 13.2, 18.0))
    c.fill(boiler, vgrad(BOILER_TOP, BOILER_LOW, 15.6, 28.0))
    if detail:
        # A soft highlight along the top of the boiler.
        c.fill(box(13.0, 17.0, 31.0, 18.6, 0.8), flat(rgb(0xFFFFFF, 0.22)))
    for bx in ((17.0, 27.6) if detail else (18.0,)):
        c.fill(box(bx, 15.8, bx + 1.3, 27.8), vgrad(BRASS_HI, BRASS, 15.8, 27.8))
    c.fill(smokebox, vgrad(SMOKEBOX_HI, SMOKEBOX, 15.6, 28.0))
    c.fill(chimney, vgrad(SMOKEBOX_HI, SMOKEBOX, 7.4, 17.0))
    c.fill(cab, vgrad(CAB_TOP, CAB_LOW, 12.2, 30.0))
    c.fill(roof, vgrad(SMOKEBOX_HI, ROOF, 9.6, 13.2))
    window = box(34.2, 15.0, 40.6, 21.2, 1.0)
    c.fill(grow(window, 0.6), flat(INK), 0.8)
    c.fill(window, vgrad(WINDOW, WINDOW_LOW, 15.0, 21.2))
    if detail:
        c.fill(box(34.2, 17.6, 40.6, 18.3), flat(rgb(0x7A5A22, 0.55)))
    c.fill(footplate, vgrad(rgb(0x3A3F44), ROOF, 27.0, 30.6))
    c.fill(beam, vgrad(RED, RED_DARK, 25.8, 32.2))
    c.fill(buffer, vgrad(STEEL_HI, STEEL, 27.2, 30.6))
    lamp = circle(8.3, 20.8, 1.6)
    c.fill(grow(lamp, 0.6), flat(INK))
    c.fill(lamp, flat(WINDOW))

    # Wheels: a small leading wheel and two coupled drivers.
    for cx, cy, r in ((9.6, 36.2, 3.6), (22.0, 33.4, 6.4), (36.0, 33.4, 6.4)):
        w = circle(cx, cy, r)
        c.fill(grow(w, 1.0), flat(INK))
        c.fill(w, flat(RED_DARK))
        c.fill(circle(cx, cy, r - (1.3 if r > 4 else 1.0)), vgrad(RED, RED_DARK, cy - r, cy + r))
        if detail and r > 4:
            for k in range(8):
                a = k * math.pi / 4
                c.fill(segment(cx, cy, cx + math.cos(a) * (r - 1.2), cy + math.sin(a) * (r - 1.2), 0.45),
                       flat(RED_DARK))
        c.fill(circle(cx, cy, 1.5 if r > 4 else 1.0), flat(WHEEL_HUB))
    rod = segment(22.0, 35.6, 36.0, 35.6, 1.0 if detail else 1.2)
    c.fill(grow(rod, 0.7), flat(INK))
    c.fill(rod, flat(ROD))
    return c


# ---------------------------------------------------------------- the small drawing (16 pixels)
def draw_small(size):
    """The same locomotive reduced to its marks: chimney, boiler with a
    brass band, cab with a lit window, red wheels on a rail; edges on whole
    pixels."""
    c = Canvas(size, size / 16.0)
    c.fill(box(0.0, 15.0, 16.0, 16.0), flat(STEEL))
    puff = union(circle(6.8, 1.7, 1.7), circle(9.4, 1.4, 1.3))
    c.fill(grow(puff, 0.6), flat(STEAM_EDGE))
    c.fill(puff, vgrad(STEAM, STEAM_SHADE, 0.0, 3.0))
    chimney = box(3.0, 3.0, 5.0, 6.0)
    boiler = box(2.0, 6.0, 10.0, 10.0)
    cab = box(10.0, 4.0, 14.0, 10.0)
    roof = box(9.0, 3.0, 14.0, 4.0)
    frame = box(1.0, 10.0, 14.0, 11.0)
    c.fill(grow(union(chimney, boiler, cab, roof, frame), 1.0), flat(INK))
    c.fill(chimney, flat(SMOKEBOX_HI))
    c.fill(boiler, vgrad(BOILER_TOP, BOILER_LOW, 6.0, 10.0))
    c.fill(box(2.0, 6.0, 3.0, 10.0), flat(SMOKEBOX_HI))
    c.fill(box(6.0, 6.0, 7.0, 10.0), flat(BRASS))
    c.fill(cab, vgrad(CAB_TOP, CAB_LOW, 4.0, 10.0))
    c.fill(roof, flat(ROOF))
    c.fill(box(11.0, 5.0, 13.0, 7.0), flat(WINDOW))
    c.fill(frame, flat(ROOF))
    c.fill(box(1.0, 9.0, 2.0, 11.0), flat(RED))
    for cx in (4.5, 10.5):
        w = circle(cx, 12.5, 2.5)
        c.fill(grow(w, 0.7), flat(INK))
        c.fill(w, flat(RED))
        c.fill(box(cx - 0.5, 12.0, cx + 0.5, 13.0), flat(WHEEL_HUB))
    return c


def render(size):
    return (draw_small(size) if size <= 16 else draw_large(size)).rgba()


# ---------------------------------------------------------------- files
def ico_image(pixels):
    """A 32-bit icon image: information header, BGRA rows bottom-up, then
    the AND mask (1 = transparent) in rows padded to 32 bits."""
    n = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    stride = ((n + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        line = bytearray(stride)
        for i, p in enumerate(row):
            if p[3] < 128:
                line[i // 8] |= 0x80 >> (i % 8)
        mask += line
    return header + bytes(xor) + bytes(mask)


def write_ico(path, sizes):
    images = [(s, ico_image(render(s))) for s in sizes]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for s, data in images:
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


def write_png(path, rows):
    h, w = len(rows), len(rows[0])
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in rows)

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def preview(path):
    """Each size enlarged 6 times, then at real size, on a light and a dark
    ground."""
    sizes = (48, 32, 16)
    zoom = 6
    grounds = ((0xF0, 0xF0, 0xF0), (0x2D, 0x2D, 0x30))
    width = sum(s * zoom + 16 for s in sizes) + 3 * (48 + 16) + 16
    height = 48 * zoom + 32
    sheet = []
    for half in range(2):
        g = grounds[half]
        for _ in range(height // 2 if half == 0 else height - height // 2):
            sheet.append([g + (255,)] * width)

    def put(img, x0, y0, k):
        for j, row in enumerate(img):
            for i, (r, gg, b, a) in enumerate(row):
                for dy in range(k):
                    for dx in range(k):
                        y, x = y0 + j * k + dy, x0 + i * k + dx
                        br, bg, bb, _ = sheet[y][x]
                        t = a / 255.0
                        sheet[y][x] = (int(r * t + br * (1 - t)), int(gg * t + bg * (1 - t)),
                                       int(b * t + bb * (1 - t)), 255)
    x = 16
    for s in sizes:
        put(render(s), x, 16, zoom)
        x += s * zoom + 16
    for s in sizes:
        put(render(s), x, 16, 1)
        put(render(s), x, height - s - 16, 1)
        x += 48 + 16
    write_png(path, sheet)


def main(argv):
    if len(argv) < 2:
        sys.stderr.write(__doc__)
        return 2
    out = argv[1].rstrip("/")
    write_ico(out + "/orba.ico", (48, 32, 16))
    write_ico(out + "/orba_small.ico", (16, 32))
    if len(argv) >= 4 and argv[2] == "--png":
        preview(argv[3])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
