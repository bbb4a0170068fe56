#!/usr/bin/env python3
"""Draws the program's pictures: the banner (540x32, 24-bit BMP) and the icon (256x256,
32-bit ICO with alpha). Standard library only. Shapes are drawn from signed distances, which
gives smooth edges without supersampling.

Usage: draw_pictures.py OUTPUT_FOLDER [--png]   (--png also writes PNG previews)
"""
import math
import os
import struct
import sys
import zlib

TEAL = (39, 149, 149)
CYAN = (38, 236, 235)


# ---------------------------------------------------------------- canvas

class Canvas:
    def __init__(self, width, height, colour=(0, 0, 0), alpha=1.0):
        self.width, self.height = width, height
        self.px = [[list(colour) + [alpha] for _ in range(width)] for _ in range(height)]

    def blend(self, x, y, colour, cover):
        if cover <= 0.0 or not (0 <= x < self.width and 0 <= y < self.height):
            return
        cover = min(cover, 1.0)
        p = self.px[y][x]
        a_out = cover + p[3] * (1.0 - cover)
        for i in range(3):
            base = p[i] * p[3] * (1.0 - cover)
            p[i] = (colour[i] * cover + base) / a_out if a_out > 0 else 0.0
        p[3] = a_out

    def rgba_rows(self):
        """Rows top to bottom of (r, g, b, a) bytes."""
        for row in self.px:
            yield [tuple(max(0, min(255, int(round(v)))) for v in p[:3]) +
                   (max(0, min(255, int(round(p[3] * 255)))),) for p in row]


def coverage(distance):
    """Pixel coverage of a shape from the signed distance (pixels) at the pixel centre."""
    return max(0.0, min(1.0, 0.5 - distance))


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def draw_strokes(canvas, segments, width, colour_at):
    """Strokes of the given width along segments ((ax, ay), (bx, by)) with round ends."""
    if not segments:
        return
    half = width / 2.0
    xs = [c for s in segments for c in (s[0][0], s[1][0])]
    ys = [c for s in segments for c in (s[0][1], s[1][1])]
    x0, x1 = int(min(xs) - half - 2), int(max(xs) + half + 2)
    y0, y1 = int(min(ys) - half - 2), int(max(ys) + half + 2)
    for y in range(max(0, y0), min(canvas.height, y1 + 1)):
        for x in range(max(0, x0), min(canvas.width, x1 + 1)):
            cx, cy = x + 0.5, y + 0.5
            d = min(segment_distance(cx, cy, a[0], a[1], b[0], b[1]) for a, b in segments) - half
            canvas.blend(x, y, colour_at(cx, cy), coverage(d))


# ---------------------------------------------------------------- stroke font
# Capital letters on a cap height of 1.0 (y grows downwards); each glyph is a list of
# polylines and an advance width.

def arc(cx, cy, rx, ry, start, end, steps=20):
    return [(cx + rx * math.cos(math.radians(start + (end - start) * i / steps)),
             cy + ry * math.sin(math.radians(start + (end - start) * i / steps)))
            for i in range(steps + 1)]


GLYPHS = {
    "A": ([[(0, 1), (0.36, 0), (0.72, 1)], [(0.13, 0.64), (0.59, 0.64)]], 0.72),
    "D": ([[(0.3, 0), (0, 0), (0, 1), (0.3, 1)] + [], arc(0.3, 0.5, 0.36, 0.5, 90, -90)], 0.66),
    "E": ([[(0.58, 0), (0, 0), (0, 1), (0.58, 1)], [(0, 0.5), (0.48, 0.5)]], 0.58),
    "I": ([[(0, 0), (0, 1)]], 0.0),
    "K": ([[(0, 0), (0, 1)], [(0.6, 0), (0, 0.62)], [(0.2, 0.44), (0.62, 1)]], 0.62),
    "N": ([[(0, 1), (0, 0), (0.64, 1), (0.64, 0)]], 0.64),
    "O": ([arc(0.38, 0.5, 0.38, 0.5, 0, 360, 40)], 0.76),
    "P": ([[(0, 1), (0, 0), (0.34, 0)] + arc(0.34, 0.27, 0.27, 0.27, -90, 90)[1:] + [(0, 0.54)]], 0.61),
    "R": ([[(0, 1), (0, 0), (0.34, 0)] + arc(0.34, 0.26, 0.26, 0.26, -90, 90)[1:] + [(0, 0.52)],
           [(0.3, 0.52), (0.62, 1)]], 0.62),
    "S": ([arc(0.31, 0.25, 0.31, 0.25, -25, -270) + arc(0.31, 0.75, 0.31, 0.25, -90, 155)[1:]], 0.62),
    "T": ([[(0, 0), (0.68, 0)], [(0.34, 0), (0.34, 1)]], 0.68),
    "U": ([[(0, 0), (0, 0.64)] + arc(0.32, 0.64, 0.32, 0.36, 180, 0)[1:] + [(0.64, 0)]], 0.64),
    "V": ([[(0, 0), (0.35, 1), (0.7, 0)]], 0.7),
    "W": ([[(0, 0), (0.22, 1), (0.46, 0.28), (0.7, 1), (0.92, 0)]], 0.92),
    "Z": ([[(0, 0), (0.66, 0), (0, 1), (0.66, 1)]], 0.66),
    " ": ([], 0.3),
}


def text_segments(text, x, y, cap, tracking):
    """Segments of `text` with its top-left at (x, y), and the x after the last glyph."""
    segments = []
    for ch in text:
        lines, advance = GLYPHS[ch]
        for line in lines:
            for a, b in zip(line, line[1:]):
                segments.append(((x + a[0] * cap, y + a[1] * cap), (x + b[0] * cap, y + b[1] * cap)))
        x += advance * cap + tracking
    return segments, x - tracking


def draw_text(canvas, text, x, y, cap, width, tracking, colour_at):
    """Draws glyph by glyph, so that each evaluates only its own box; returns the end x."""
    for ch in text:
        segments, x_end = text_segments(ch, x, y, cap, 0)
        draw_strokes(canvas, segments, width, colour_at)
        x = x_end + tracking
    return x - tracking


# ---------------------------------------------------------------- banner

def draw_banner():
    w, h = 540, 32
    c = Canvas(w, h)
    for y in range(h):
        for x in range(w):
            t = y / (h - 1)
            base = mix((48, 50, 53), (30, 31, 33), t)
            # A faint teal glow behind the mark at the left.
            g = math.exp(-((x - 18) ** 2 / 900.0 + (y - 15) ** 2 / 200.0)) * 0.16
            c.px[y][x][:3] = list(mix(base, TEAL, g))
    # Accent line at the bottom, teal fading out to the right.
    for x in range(w):
        fade = max(0.0, 1.0 - x / (w * 0.85))
        c.blend(x, h - 2, TEAL, 0.9 * fade + 0.1)
        c.blend(x, h - 1, (18, 18, 19), 0.8)
    # Top highlight.
    for x in range(w):
        c.blend(x, 0, (90, 92, 95), 0.6)

    draw_refresh_mark(c, 18.0, 15.0, 9.5, 2.6)
    cap = 13.0
    end = draw_text(c, "ZORVIK", 38.0, 9.0, cap, 2.3, 2.6, lambda x, y: (238, 240, 242))
    # Separator.
    sep = end + 10.0
    draw_strokes(c, [((sep, 9.0), (sep, 22.0))], 1.2, lambda x, y: TEAL)
    draw_text(c, "WORKSTATION UPDATE", sep + 10.0, 12.0, 8.0, 1.25, 2.2, lambda x, y: (177, 180, 182))
    return c


# ---------------------------------------------------------------- icon

def rounded_rect_distance(px, py, x0, y0, x1, y1, radius):
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0 - radius, (y1 - y0) / 2.0 - radius
    qx, qy = abs(px - cx) - hx, abs(py - cy) - hy
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


def triangle_distance(p, a, b, c):
    """Signed distance to a triangle (negative inside)."""
    d = min(segment_distance(p[0], p[1], *a, *b), segment_distance(p[0], p[1], *b, *c),
            segment_distance(p[0], p[1], *c, *a))

    def side(u, v):
        return (v[0] - u[0]) * (p[1] - u[1]) - (v[1] - u[1]) * (p[0] - u[0])

    s1, s2, s3 = side(a, b), side(b, c), side(c, a)
    inside = (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)
    return -d if inside else d


def draw_refresh_mark(canvas, cx, cy, radius, width):
    """A circular arrow: an open ring running clockwise, ending in an arrowhead."""
    start, end = -50.0, 235.0  # degrees, y downwards: from upper right round to upper left
    half = width / 2.0
    tip_angle = math.radians(end + 28.0)
    ex, ey = cx + radius * math.cos(math.radians(end)), cy + radius * math.sin(math.radians(end))
    # Arrowhead: base across the ring at the arc's end, tip further along the circle.
    tx, ty = cx + radius * math.cos(tip_angle), cy + radius * math.sin(tip_angle)
    nx, ny = math.cos(math.radians(end)), math.sin(math.radians(end))
    head = width * 1.55
    a = (ex + nx * head, ey + ny * head)
    b = (ex - nx * head, ey - ny * head)
    tip = (tx, ty)
    reach = radius + head + 3
    for y in range(max(0, int(cy - reach)), min(canvas.height, int(cy + reach) + 1)):
        for x in range(max(0, int(cx - reach)), min(canvas.width, int(cx + reach) + 1)):
            px, py = x + 0.5, y + 0.5
            ang = math.degrees(math.atan2(py - cy, px - cx))
            rel = (ang - start) % 360.0
            if rel <= end - start:
                d_ring = abs(math.hypot(px - cx, py - cy) - radius) - half
            else:
                d_ring = min(math.hypot(px - (cx + radius * math.cos(math.radians(e))),
                                        py - (cy + radius * math.sin(math.radians(e))))
                             for e in (start,)) - half
            d = min(d_ring, triangle_distance((px, py), a, b, tip))
            t = min(1.0, rel / (end - start)) if rel <= end - start else 1.0
            canvas.blend(x, y, mix(TEAL, CYAN, t), coverage(d))


def draw_icon():
    size = 256
    c = Canvas(size, size, (0, 0, 0), 0.0)
    x0, y0, x1, y1, r = 14.0, 14.0, 242.0, 242.0, 52.0
    # Soft shadow under the tile.
    for y in range(size):
        for x in range(size):
            d = rounded_rect_distance(x + 0.5, y + 0.5, x0 + 2, y0 + 6, x1 - 2, y1 + 6, r)
            if d < 10:
                c.blend(x, y, (0, 0, 0), 0.35 * max(0.0, min(1.0, (10 - d) / 12.0)))
    # The tile: dark vertical gradient with a light rim at the top.
    for y in range(size):
        t = (y - y0) / (y1 - y0)
        fill = mix((66, 68, 71), (30, 31, 33), max(0.0, min(1.0, t)))
        for x in range(size):
            d = rounded_rect_distance(x + 0.5, y + 0.5, x0, y0, x1, y1, r)
            if d < 1.0:
                c.blend(x, y, fill, coverage(d))
                rim = coverage(abs(d + 1.5) - 1.0) * max(0.0, 1.0 - t * 1.6)
                c.blend(x, y, (120, 124, 128), rim * 0.8)
    draw_refresh_mark(c, 128.0, 128.0, 74.0, 17.0)
    # A stylised Z in the middle.
    z = [((98.0, 100.0), (158.0, 100.0)), ((158.0, 100.0), (98.0, 156.0)), ((98.0, 156.0), (158.0, 156.0))]
    draw_strokes(c, z, 15.0, lambda x, y: mix((245, 246, 247), (200, 204, 207), (y - 100.0) / 56.0))
    return c


# ---------------------------------------------------------------- files

def write_bmp24(canvas, path):
    w, h = canvas.width, canvas.height
    stride = (w * 3 + 3) & ~3
    rows = list(canvas.rgba_rows())
    data = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray()
        for r, g, b, _ in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        data += line
    header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(data), 0, 0, 14 + len(header))
    with open(path, "wb") as f:
        f.write(file_header + header + data)


def write_ico32(canvas, path):
    w, h = canvas.width, canvas.height
    rows = list(canvas.rgba_rows())
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    image = header + pixels + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(directory + entry + image)


def write_png(canvas, path):
    raw = bytearray()
    for row in canvas.rgba_rows():
        raw.append(0)
        for p in row:
            raw += bytes(p)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    ihdr = struct.pack(">IIBBBBB", canvas.width, canvas.height, 8, 6, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) +
                chunk(b"IEND", b""))


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    out = argv[1]
    os.makedirs(out, exist_ok=True)
    banner = draw_banner()
    icon = draw_icon()
    write_bmp24(banner, os.path.join(out, "banner.bmp"))
    write_ico32(icon, os.path.join(out, "ruVazoro.ico"))
    if "--png" in argv[2:]:
        write_png(banner, os.path.join(out, "banner.png"))
        write_png(icon, os.path.join(out, "icon.png"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
