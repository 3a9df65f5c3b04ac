#!/usr/bin/env python3
"""Draws the program icon "ICO1": an orange turning arrow around a tilted film frame
with a play symbol. Writes a .ico with one 128 x 128 entry, 32 bits per pixel with
alpha, stored as PNG: a twentieth of the bitmap's size, read by Windows since Vista
(Windows XP shows no caption icon then, and nothing else changes).

    make_icon.py OUT.ico [--preview DIR]

--preview also writes PNG views at 128, 32 and 16 pixels (box-filtered, enlarged)
on a light and a dark background, to look at the artwork."""

import math
import struct
import sys
import zlib

SIZE = 128
SUB = 4  # supersampling per axis: anti-aliased edges


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def hex_rgb(text):
    return tuple(int(text[i:i + 2], 16) / 255.0 for i in (1, 3, 5))


def smooth(edge0, edge1, x):
    t = max(0.0, min(1.0, (x - edge0) / (edge1 - edge0)))
    return t * t * (3 - 2 * t)


def sd_round_rect(px, py, cx, cy, hw, hh, r):
    qx = abs(px - cx) - hw + r
    qy = abs(py - cy) - hh + r
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - r


def sd_triangle(px, py, a, b, c):
    """Signed distance to a triangle (negative inside)."""
    best = 1e9
    sign_all = []
    for (x0, y0), (x1, y1) in ((a, b), (b, c), (c, a)):
        ex, ey = x1 - x0, y1 - y0
        wx, wy = px - x0, py - y0
        t = max(0.0, min(1.0, (wx * ex + wy * ey) / (ex * ex + ey * ey)))
        dx, dy = wx - ex * t, wy - ey * t
        best = min(best, dx * dx + dy * dy)
        sign_all.append(ex * wy - ey * wx)
    inside = all(s >= 0 for s in sign_all) or all(s <= 0 for s in sign_all)
    d = math.sqrt(best)
    return -d if inside else d


def rotate(px, py, cx, cy, degrees):
    a = math.radians(degrees)
    dx, dy = px - cx, py - cy
    return cx + dx * math.cos(a) - dy * math.sin(a), cy + dx * math.sin(a) + dy * math.cos(a)


CENTER = (64.0, 64.0)
RING_R, RING_W = 45.0, 14.0          # mid radius and width of the turning arrow
ARC_START, ARC_END = -18.0, 272.0    # degrees, clockwise on screen (y grows downwards)
TILT = -12.0                         # the film frame leans against the turn


def segment_distance(px, py, degrees):
    """Distance to the radial segment that closes the arc at this angle."""
    ux, uy = math.cos(math.radians(degrees)), math.sin(math.radians(degrees))
    dx, dy = px - CENTER[0], py - CENTER[1]
    along = max(RING_R - RING_W / 2, min(RING_R + RING_W / 2, dx * ux + dy * uy))
    return math.hypot(dx - ux * along, dy - uy * along)


def arrow_distance(px, py):
    """Signed distance to the turning arrow: a ring arc with a head at its end."""
    dx, dy = px - CENTER[0], py - CENTER[1]
    r = math.hypot(dx, dy)
    ang = math.degrees(math.atan2(dy, dx))
    if ang < ARC_START:
        ang += 360.0
    band = abs(r - RING_R) - RING_W / 2
    if ARC_START <= ang <= ARC_END:
        d_arc = band
    else:
        # Outside the arc's angles: the distance to the nearer flat end.
        d_arc = min(segment_distance(px, py, ARC_START), segment_distance(px, py, ARC_END))
    e = math.radians(ARC_END)
    base = (CENTER[0] + RING_R * math.cos(e), CENTER[1] + RING_R * math.sin(e))
    tangent = (-math.sin(e), math.cos(e))
    normal = (math.cos(e), math.sin(e))
    half = 13.5
    tip = (base[0] + tangent[0] * 17.0, base[1] + tangent[1] * 17.0)
    head = sd_triangle(px, py,
                       (base[0] + normal[0] * half - tangent[0] * 2, base[1] + normal[1] * half - tangent[1] * 2),
                       (base[0] - normal[0] * half - tangent[0] * 2, base[1] - normal[1] * half - tangent[1] * 2),
                       tip)
    return min(d_arc, head)


FILM = (64.0, 64.0, 31.0, 24.0, 5.0)        # centre, half sizes, corner radius
SCREEN = (64.0, 64.0, 22.0, 13.0, 2.5)


def film_parts(px, py):
    """Distances to the film body, its sprocket holes and its screen, in the tilted frame."""
    fx, fy = rotate(px, py, CENTER[0], CENTER[1], -TILT)
    body = sd_round_rect(fx, fy, *FILM)
    holes = 1e9
    for row_y in (64.0 - 18.5, 64.0 + 18.5):
        for i in range(6):
            hx = 64.0 - 25.0 + i * 10.0
            holes = min(holes, sd_round_rect(fx, fy, hx, row_y, 2.6, 2.2, 1.0))
    screen = sd_round_rect(fx, fy, *SCREEN)
    play = sd_triangle(fx, fy, (57.5, 54.5), (57.5, 73.5), (73.5, 64.0))
    return fx, fy, body, holes, screen, play


RING_TOP, RING_BOTTOM = hex_rgb("#ffc15e"), hex_rgb("#e2530a")
RING_EDGE = hex_rgb("#b8420a")
BODY_TOP, BODY_BOTTOM = hex_rgb("#4d5461"), hex_rgb("#1b1e25")
BODY_EDGE = hex_rgb("#2a2e36")
HOLE = hex_rgb("#e6e9ee")
SCREEN_TOP, SCREEN_BOTTOM = hex_rgb("#5aa2ff"), hex_rgb("#1a3c91")
PLAY = hex_rgb("#ffffff")


def over(dst, color, alpha):
    """Source-over onto a premultiplied (r, g, b, a) sample."""
    r, g, b, a = dst
    return (color[0] * alpha + r * (1 - alpha), color[1] * alpha + g * (1 - alpha),
            color[2] * alpha + b * (1 - alpha), alpha + a * (1 - alpha))


def coverage(d, soft=0.5):
    return max(0.0, min(1.0, 0.5 - d / (2 * soft)))


def sample(px, py):
    out = (0.0, 0.0, 0.0, 0.0)
    # Soft drop shadow under both shapes.
    sx, sy = px - 1.5, py - 3.5
    shadow_d = min(arrow_distance(sx, sy), film_parts(sx, sy)[2])
    out = over(out, (0, 0, 0), 0.38 * (1 - smooth(-2.0, 5.0, shadow_d)))

    fx, fy, body, holes, screen, play = film_parts(px, py)
    if body < 1.0:
        t = (fy - (64.0 - 24.0)) / 48.0
        color = mix(BODY_TOP, BODY_BOTTOM, t)
        out = over(out, BODY_EDGE, coverage(body))
        out = over(out, color, coverage(body + 1.2))
        out = over(out, HOLE, coverage(holes))
        gloss = 0.25 if fy < 64.0 - 3.0 else 0.0
        screen_color = mix(mix(SCREEN_TOP, SCREEN_BOTTOM, (fy - 51.5) / 25.0), (1, 1, 1), gloss)
        out = over(out, (0.05, 0.08, 0.15), coverage(screen - 0.8))
        out = over(out, screen_color, coverage(screen))
        out = over(out, (0.02, 0.05, 0.2), 0.45 * coverage(play - 0.6, 1.2) *
                   (1.0 if coverage(screen) > 0 else 0.0))
        out = over(out, PLAY, coverage(play))

    arrow = arrow_distance(px, py)
    if arrow < 1.5:
        t = (py - 8.0) / 112.0
        color = mix(RING_TOP, RING_BOTTOM, t)
        # A light rim on the outer upper side: the arrow reads as a rounded band.
        r = math.hypot(px - CENTER[0], py - CENTER[1])
        rim = smooth(RING_R + 1.0, RING_R + RING_W / 2 - 0.5, r) * smooth(80.0, 20.0, py) * 0.45
        color = mix(color, (1, 1, 0.92), rim)
        out = over(out, RING_EDGE, coverage(arrow))
        out = over(out, color, coverage(arrow + 1.1))
    return out


def render():
    pixels = []
    step = 1.0 / SUB
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            acc = [0.0, 0.0, 0.0, 0.0]
            for j in range(SUB):
                for i in range(SUB):
                    s = sample(x + (i + 0.5) * step, y + (j + 0.5) * step)
                    for k in range(4):
                        acc[k] += s[k]
            row.append(tuple(v / (SUB * SUB) for v in acc))
        pixels.append(row)
    return pixels  # premultiplied, top row first


def straight_bytes(p):
    r, g, b, a = p
    if a <= 0.0:
        return 0, 0, 0, 0
    return (round(min(1.0, r / a) * 255), round(min(1.0, g / a) * 255),
            round(min(1.0, b / a) * 255), round(a * 255))


def write_ico(path, pixels):
    rows = [[straight_bytes(p) for p in row] for row in pixels]
    image = png_bytes(rows, color_type=6)
    directory = struct.pack("<HHH", 0, 1, 1)
    # Width and height 0 mean 256 in a directory entry, so 128 is written as is.
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(directory + entry + image)


def downscale(pixels, factor):
    n = len(pixels) // factor
    out = []
    for y in range(n):
        row = []
        for x in range(n):
            acc = [0.0] * 4
            for j in range(factor):
                for i in range(factor):
                    p = pixels[y * factor + j][x * factor + i]
                    for k in range(4):
                        acc[k] += p[k]
            row.append(tuple(v / (factor * factor) for v in acc))
        out.append(row)
    return out


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    return a if pa <= pb and pa <= pc else (b if pb <= pc else c)


def filtered_rows(lines, bpp):
    """Each scan line with the PNG filter that leaves the smallest sum of bytes, for the
    usual heuristic: small differences compress best."""
    previous = bytes(len(lines[0]))
    for line in lines:
        left = lambda i: line[i - bpp] if i >= bpp else 0
        upleft = lambda i: previous[i - bpp] if i >= bpp else 0
        candidates = [
            bytes(line),
            bytes((line[i] - left(i)) & 255 for i in range(len(line))),
            bytes((line[i] - previous[i]) & 255 for i in range(len(line))),
            bytes((line[i] - (left(i) + previous[i]) // 2) & 255 for i in range(len(line))),
            bytes((line[i] - paeth(left(i), previous[i], upleft(i))) & 255 for i in range(len(line))),
        ]
        kind = min(range(5), key=lambda k: sum(v if v < 128 else 256 - v for v in candidates[k]))
        yield bytes((kind,)) + candidates[kind]
        previous = line


def png_bytes(rows, color_type=2):
    """rows of RGB (color type 2) or RGBA (6) tuples of 0..255, top row first."""
    bpp = 4 if color_type == 6 else 3
    lines = [bytes(v for px in row for v in px) for row in rows]
    raw = b"".join(filtered_rows(lines, bpp))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    header = struct.pack(">IIBBBBB", len(rows[0]), len(rows), 8, color_type, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def write_png(path, rows):
    with open(path, "wb") as f:
        f.write(png_bytes(rows))


def preview(directory, pixels):
    views = [pixels, downscale(pixels, 4), downscale(pixels, 8)]
    backgrounds = [(0.94, 0.94, 0.94), (0.16, 0.17, 0.2)]
    cell = 128
    rows = []
    for bg in backgrounds:
        band = [[] for _ in range(cell)]
        for view in views:
            zoom = cell // len(view)
            for y in range(cell):
                for x in range(cell):
                    r, g, b, a = view[y // zoom][x // zoom]
                    band[y].append(tuple(round(min(1.0, c + bgc * (1 - a)) * 255)
                                         for c, bgc in zip((r, g, b), bg)))
        rows.extend(band)
    write_png(directory + "/icon-preview.png", rows)
    for view, name in zip(views, ("128", "32", "16")):
        flat = [[tuple(round(min(1.0, c + 0.94 * (1 - p[3])) * 255) for c in p[:3]) for p in row] for row in view]
        write_png("%s/icon-%s.png" % (directory, name), flat)


def main(argv):
    if len(argv) not in (2, 4) or (len(argv) == 4 and argv[2] != "--preview"):
        sys.stderr.write(__doc__)
        return 2
    pixels = render()
    write_ico(argv[1], pixels)
    if len(argv) == 4:
        preview(argv[3], pixels)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
