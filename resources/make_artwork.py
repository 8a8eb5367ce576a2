#!/usr/bin/env python3
"""Draws the icons and pictures of both programs.

The pictures are vector scenes, rendered by supersampling and written as ICO
and BMP files with nothing but the standard library, so the output is the
same on every run. The generated files are committed; rerun this script only
after changing a scene.

    python3 resources/make_artwork.py           write the files beside it
    python3 resources/make_artwork.py --check   verify the committed files
"""

import math
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

# (size, bits per pixel) of every image, in file order.
AAA_IMAGES = [(48, 4), (32, 4), (16, 4), (48, 8), (32, 8), (16, 8),
              (64, 32), (48, 32), (32, 32), (16, 32)]
APP_IMAGES = [(16, 4), (32, 4), (48, 4), (16, 24), (32, 24), (48, 24),
              (16, 32), (32, 32), (48, 32), (64, 32)]
BITMAPS = {"found.bmp": (25, 25), "missing.bmp": (25, 25),
           "product.bmp": (74, 153)}

# The same pictures drawn for larger screens: at 120, 144 and 192 DPI the
# boxes that show them (375 twips square, 1110 x 2295) are this many pixels,
# rounded as the programs round twips, halves away from zero.
DPIS = (120, 144, 192)


def _px(twips, dpi):
    return int(math.floor(twips * dpi / 1440.0 + 0.5))


for _dpi in DPIS:
    BITMAPS["found_%d.bmp" % _dpi] = (_px(375, _dpi),) * 2
    BITMAPS["missing_%d.bmp" % _dpi] = (_px(375, _dpi),) * 2
    BITMAPS["product_%d.bmp" % _dpi] = (_px(1110, _dpi), _px(2295, _dpi))

# The 16-colour palette of the system, in its usual index order.
VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
         (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
         (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
         (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = VGA16[:8]
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = VGA16[8:]
SKIP = "skip"  # a layer left out of the 16-colour images

# --------------------------------------------------------------- shapes


def _seg_d2(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    ll = dx * dx + dy * dy
    t = ((px - ax) * dx + (py - ay) * dy) / ll if ll else 0.0
    t = 0.0 if t < 0 else 1.0 if t > 1 else t
    ex, ey = px - ax - t * dx, py - ay - t * dy
    return ex * ex + ey * ey


class Circle:
    def __init__(self, cx, cy, r):
        self.cx, self.cy, self.r2 = cx, cy, r * r
        self.bbox = (cx - r, cy - r, cx + r, cy + r)

    def inside(self, x, y):
        return (x - self.cx) ** 2 + (y - self.cy) ** 2 <= self.r2


class Ellipse:
    def __init__(self, cx, cy, rx, ry):
        self.cx, self.cy, self.rx, self.ry = cx, cy, rx, ry
        self.bbox = (cx - rx, cy - ry, cx + rx, cy + ry)

    def inside(self, x, y):
        u, v = (x - self.cx) / self.rx, (y - self.cy) / self.ry
        return u * u + v * v <= 1.0


class EllipseStroke:
    """Outline of an ellipse; first-order distance keeps the width even."""

    def __init__(self, cx, cy, rx, ry, w):
        self.cx, self.cy, self.rx, self.ry, self.hw = cx, cy, rx, ry, w / 2
        self.bbox = (cx - rx - w, cy - ry - w, cx + rx + w, cy + ry + w)

    def inside(self, x, y):
        dx, dy = x - self.cx, y - self.cy
        a2, b2 = self.rx * self.rx, self.ry * self.ry
        f = dx * dx / a2 + dy * dy / b2 - 1.0
        g = 2.0 * math.hypot(dx / a2, dy / b2)
        return g > 0 and abs(f) / g <= self.hw


class RoundRect:
    def __init__(self, x0, y0, x1, y1, r):
        self.x0, self.y0, self.x1, self.y1, self.r = x0, y0, x1, y1, r
        self.bbox = (x0, y0, x1, y1)

    def inside(self, x, y):
        if not (self.x0 <= x <= self.x1 and self.y0 <= y <= self.y1):
            return False
        r = self.r
        cx = min(max(x, self.x0 + r), self.x1 - r)
        cy = min(max(y, self.y0 + r), self.y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


class Polygon:
    """Even-odd polygon, optionally grown outwards by `grow` (round corners)."""

    def __init__(self, pts, grow=0.0):
        self.pts, self.grow2 = pts, grow * grow
        xs, ys = [p[0] for p in pts], [p[1] for p in pts]
        self.bbox = (min(xs) - grow, min(ys) - grow,
                     max(xs) + grow, max(ys) + grow)
        self.edges = list(zip(pts, pts[-1:] + pts[:-1]))

    def inside(self, x, y):
        hit = False
        for (xi, yi), (xj, yj) in self.edges:
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                hit = not hit
        if hit or not self.grow2:
            return hit
        return any(_seg_d2(x, y, a[0], a[1], b[0], b[1]) <= self.grow2
                   for a, b in self.edges)


class Stroke:
    """Polyline of width w with round caps and joins."""

    def __init__(self, pts, w):
        self.segs = list(zip(pts[:-1], pts[1:]))
        self.hw2 = (w / 2) ** 2
        xs, ys = [p[0] for p in pts], [p[1] for p in pts]
        self.bbox = (min(xs) - w, min(ys) - w, max(xs) + w, max(ys) + w)

    def inside(self, x, y):
        return any(_seg_d2(x, y, a[0], a[1], b[0], b[1]) <= self.hw2
                   for a, b in self.segs)


class Clip:
    """Points of `shape` inside `keep` and outside `cut`."""

    def __init__(self, shape, keep=None, cut=None):
        self.shape, self.keep, self.cut = shape, keep, cut
        b = shape.bbox
        if keep is not None:
            k = keep.bbox
            b = (max(b[0], k[0]), max(b[1], k[1]), min(b[2], k[2]), min(b[3], k[3]))
        self.bbox = b

    def inside(self, x, y):
        return (self.shape.inside(x, y)
                and (self.keep is None or self.keep.inside(x, y))
                and (self.cut is None or not self.cut.inside(x, y)))


class Union:
    def __init__(self, *shapes):
        self.shapes = shapes
        bs = [s.bbox for s in shapes]
        self.bbox = (min(b[0] for b in bs), min(b[1] for b in bs),
                     max(b[2] for b in bs), max(b[3] for b in bs))

    def inside(self, x, y):
        return any(s.inside(x, y) for s in self.shapes)


# --------------------------------------------------------------- paints
# Colours are (r, g, b) or (r, g, b, alpha) with r, g, b in 0..255 and
# alpha in 0..1.


def _rgba(c):
    return tuple(c) if len(c) == 4 else (c[0], c[1], c[2], 1.0)


def _mix(c0, c1, t):
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


class Solid:
    def __init__(self, c):
        self.c = _rgba(c)

    def at(self, x, y):
        return self.c


class Linear:
    def __init__(self, p0, p1, c0, c1):
        self.p0, self.c0, self.c1 = p0, _rgba(c0), _rgba(c1)
        self.dx, self.dy = p1[0] - p0[0], p1[1] - p0[1]
        self.ll = self.dx * self.dx + self.dy * self.dy

    def at(self, x, y):
        t = ((x - self.p0[0]) * self.dx + (y - self.p0[1]) * self.dy) / self.ll
        return _mix(self.c0, self.c1, 0.0 if t < 0 else 1.0 if t > 1 else t)


class Radial:
    def __init__(self, centre, r, c0, c1):
        self.centre, self.r, self.c0, self.c1 = centre, r, _rgba(c0), _rgba(c1)

    def at(self, x, y):
        t = math.hypot(x - self.centre[0], y - self.centre[1]) / self.r
        return _mix(self.c0, self.c1, min(t, 1.0))


class Layer:
    """A shape filled with a paint. `flat` is its colour in the 16-colour
    images: a palette colour, SKIP, or None for the nearest colour."""

    def __init__(self, shape, paint, flat=None):
        self.shape, self.paint, self.flat = shape, paint, flat
        if isinstance(paint, tuple):
            self.paint = Solid(paint)


# ------------------------------------------------------------ rendering


def _layers_for_pixel(layers, x, y, size):
    return [l for l in layers
            if l.shape.bbox[0] < x + size and l.shape.bbox[2] > x
            and l.shape.bbox[1] < y + size and l.shape.bbox[3] > y]


def render(layers, w, h, ss, scale=1.0):
    """Straight-alpha pixels (r, g, b, a), all 0..255, row by row from the
    top; each pixel averages ss * ss samples. The scene's units are pixels
    divided by `scale`."""
    out = []
    offs = [(k + 0.5) / ss for k in range(ss)]
    n = float(ss * ss)
    for j in range(h):
        row = []
        for i in range(w):
            here = _layers_for_pixel(layers, i / scale, j / scale, 1.0 / scale)
            sr = sg = sb = sa = 0.0
            for oy in offs:
                y = (j + oy) / scale
                for ox in offs:
                    x = (i + ox) / scale
                    r = g = b = a = 0.0
                    for l in here:
                        if l.shape.inside(x, y):
                            cr, cg, cb, ca = l.paint.at(x, y)
                            k = 1.0 - ca
                            r, g, b = cr * ca + r * k, cg * ca + g * k, cb * ca + b * k
                            a = ca + a * k
                    sr += r
                    sg += g
                    sb += b
                    sa += a
            if sa <= 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(sr / sa), round(sg / sa), round(sb / sa),
                            round(255 * sa / n)))
        out.append(row)
    return out


def _nearest(c, palette):
    # Weighted distance: the eye tells greens apart best, blues least.
    best, bi = None, 0
    for idx, p in enumerate(palette):
        d = 3 * (c[0] - p[0]) ** 2 + 4 * (c[1] - p[1]) ** 2 + 2 * (c[2] - p[2]) ** 2
        if best is None or d < best:
            best, bi = d, idx
    return bi


def render16(layers, w, h, ss):
    """Palette indices (None = transparent) of the 16-colour image. Each pixel
    takes the colour most of its samples have, so edges stay clean instead of
    turning into in-between palette colours."""
    out = []
    offs = [(k + 0.5) / ss for k in range(ss)]
    cache = {}
    for j in range(h):
        row = []
        for i in range(w):
            here = [l for l in _layers_for_pixel(layers, i, j, 1) if l.flat != SKIP]
            votes = {}
            for oy in offs:
                y = j + oy
                for ox in offs:
                    x = i + ox
                    r = g = b = a = 0.0
                    for l in here:
                        if l.shape.inside(x, y):
                            if l.flat is None:
                                cr, cg, cb, ca = l.paint.at(x, y)
                            else:
                                (cr, cg, cb), ca = l.flat, 1.0
                            k = 1.0 - ca
                            r, g, b = cr * ca + r * k, cg * ca + g * k, cb * ca + b * k
                            a = ca + a * k
                    if a < 0.5:
                        key = None
                    else:
                        c = (round(r / a), round(g / a), round(b / a))
                        if c not in cache:
                            cache[c] = _nearest(c, VGA16)
                        key = cache[c]
                    votes[key] = votes.get(key, 0) + 1
            # Ties go to the opaque colour with the lowest index.
            row.append(max(votes, key=lambda k: (votes[k], k is not None,
                                                 -(k or 0))))
        out.append(row)
    return out


def median_cut(colours, n):
    """Palette of at most n colours; exact when there are few enough."""
    unique = sorted(set(colours))
    if len(unique) <= n:
        return unique
    boxes = [sorted(colours)]
    while len(boxes) < n:
        best, bi, bc = 0, -1, 0
        for idx, box in enumerate(boxes):
            for ch in range(3):
                lo = min(c[ch] for c in box)
                hi = max(c[ch] for c in box)
                if hi - lo > best:
                    best, bi, bc = hi - lo, idx, ch
        if bi < 0:
            break
        box = sorted(boxes[bi], key=lambda c: (c[bc], c))
        mid = len(box) // 2
        boxes[bi:bi + 1] = [box[:mid], box[mid:]]
    return [tuple(round(sum(c[ch] for c in box) / len(box)) for ch in range(3))
            for box in boxes]


# ----------------------------------------------------------- file formats


def _stride(w, bpp):
    return (w * bpp + 31) // 32 * 4


def _pack_rows(rows, bpp):
    """Bottom-up DIB rows of palette indices (bpp <= 8) or BGR(A) tuples."""
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        if bpp >= 24:
            for px in row:
                line += bytes(px)
        else:
            per = 8 // bpp
            for k in range(0, len(row), per):
                v = 0
                for m in range(per):
                    idx = row[k + m] if k + m < len(row) else 0
                    v = (v << bpp) | idx
                line.append(v)
        line += bytes(_stride(len(row), bpp) - len(line))
        data += line
    return bytes(data)


def _info_header(w, h, bpp, image_size):
    return struct.pack("<IiiHHIIiiII", 40, w, h, 1, bpp, 0, image_size,
                       3780, 3780, 0, 0)


def icon_image(pixels, bpp):
    """One icon image (header, palette, colour bits, AND mask)."""
    size = len(pixels)
    if bpp == 4:
        palette = VGA16
        mask = [[1 if p is None else 0 for p in row] for row in pixels]
        colour = [[0 if p is None else p for p in row] for row in pixels]
    elif bpp == 8:
        mask = [[1 if p[3] < 128 else 0 for p in row] for row in pixels]
        opaque = [p[:3] for row in pixels for p in row if p[3] >= 128]
        palette = [(0, 0, 0)] + median_cut(opaque, 255)
        lookup = {c: _nearest(c, palette) for c in set(opaque)}
        lookup.update({c: k for k, c in enumerate(palette)})
        colour = [[0 if m else lookup[p[:3]] for p, m in zip(row, mrow)]
                  for row, mrow in zip(pixels, mask)]
        palette = palette + [(0, 0, 0)] * (256 - len(palette))
    elif bpp == 24:
        palette = []
        mask = [[1 if p[3] < 128 else 0 for p in row] for row in pixels]
        # Masked pixels are black so that the colour bits leave the screen be.
        colour = [[(0, 0, 0) if m else (p[2], p[1], p[0])
                   for p, m in zip(row, mrow)] for row, mrow in zip(pixels, mask)]
    else:
        palette = []
        mask = [[1 if p[3] < 128 else 0 for p in row] for row in pixels]
        colour = [[(0, 0, 0, 0) if p[3] == 0 else (p[2], p[1], p[0], p[3])
                   for p in row] for row in pixels]
    xor = _pack_rows(colour, bpp)
    andm = _pack_rows(mask, 1)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return _info_header(size, 2 * size, bpp, len(xor) + len(andm)) + pal + xor + andm


def ico_file(images):
    """images: list of (size, bpp, image bytes)."""
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, blobs = b"", b""
    for size, bpp, blob in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256,
                               16 if bpp == 4 else 0, 0, 1, bpp,
                               len(blob), offset)
        offset += len(blob)
        blobs += blob
    return head + entries + blobs


def bmp_file(pixels, background):
    """24-bit BMP; transparency is resolved against `background`."""
    rows = []
    for row in pixels:
        line = []
        for r, g, b, a in row:
            k = a / 255.0
            line.append(tuple(round(c * k + bg * (1 - k))
                              for c, bg in zip((b, g, r), background[::-1])))
        rows.append(line)
    bits = _pack_rows(rows, 24)
    w, h = len(pixels[0]), len(pixels)
    info = _info_header(w, h, 24, len(bits))
    return struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(bits), 0, 0,
                       14 + len(info)) + info + bits


# ----------------------------------------------------------------- scenes

CHECK_GREEN = ((88, 200, 80), (22, 128, 40))
CROSS_RED = ((236, 84, 64), (168, 24, 24))


def aaa_scene(s):
    """A page of lines under a magnifier whose lens holds a check mark."""
    u = s / 48.0  # design units are pixels of the 48 px image
    small = s <= 16
    px = 1.0
    L = []
    # Lens centre and radius are whole pixels: no half-covered rows at the
    # rim, which would give the 16-colour images one-pixel bumps.
    if small:
        cx, cy, R, rim = 7, 7, 6, 1.5
        hand = ((11.2, 11.2), (14.6, 14.6), 3.0)
    else:
        # The page: soft shadow, grey edge, white sheet, text lines.
        x0, y0, x1, y1 = 5 * u, 3 * u, 32 * u, 38 * u
        L.append(Layer(RoundRect(x0 + 1.5 * u, y0 + 1.5 * u, x1 + 1.5 * u, y1 + 1.5 * u, 3 * u),
                       (0, 0, 0, 0.22), SKIP))
        L.append(Layer(RoundRect(x0, y0, x1, y1, 2.5 * u), (104, 116, 134), GREY))
        L.append(Layer(RoundRect(x0 + px, y0 + px, x1 - px, y1 - px, 2.5 * u - px),
                       Linear((x0, y0), (x1, y1), (255, 255, 255), (222, 230, 240)), WHITE))
        lw = max(1.0, 2.2 * u)
        for k in range(4 if s >= 32 else 3):
            y = y0 + 7 * u + k * 6 * u
            xe = x1 - 5 * u - (6 * u if k % 2 else 0)
            L.append(Layer(Stroke([(x0 + 5 * u, y), (xe, y)], lw),
                           (120, 150, 196), TEAL))
        cx = cy = round(27 * u)
        R, rim = round(14 * u), 3.2 * u
        hand = ((36.5 * u, 36.5 * u), (44 * u, 44 * u), 6.4 * u)
    # Handle: shadow, dark grip, a lighter collar where it meets the rim.
    (hx0, hy0), (hx1, hy1), hw = hand
    if not small:
        L.append(Layer(Stroke([(hx0 + u, hy0 + 2 * u), (hx1 + u, hy1 + 1.5 * u)], hw),
                       (0, 0, 0, 0.2), SKIP))
    L.append(Layer(Stroke([(hx0, hy0), (hx1, hy1)], hw),
                   Linear((hx1 - hw, hy1), (hx1, hy1 - hw), (40, 44, 56), (92, 98, 116)), BLACK))
    collar = 0.18 * (hx1 - hx0) + hx0, 0.18 * (hy1 - hy0) + hy0
    L.append(Layer(Stroke([(hx0 - 0.5, hy0 - 0.5), collar], hw + 0.6 * u),
                   (150, 158, 172), GREY))
    # Lens: rim, slightly tinted glass that lets the page show through, glare.
    L.append(Layer(Circle(cx, cy, R),
                   Linear((cx - R, cy - R), (cx + R, cy + R), (96, 146, 212), (26, 58, 124)), NAVY))
    glass = Circle(cx, cy, R - rim)
    L.append(Layer(glass, Radial((cx - R / 3, cy - R / 3), R * 1.2,
                                 (236, 248, 255, 0.82), (168, 208, 240, 0.9)), WHITE))
    if not small:
        L.append(Layer(Clip(EllipseStroke(cx, cy, R - rim - 2.2 * u, R - rim - 2.2 * u, 1.6 * u),
                            keep=Polygon([(cx - R, cy - R), (cx + 0.1 * R, cy - R),
                                          (cx - R, cy + 0.1 * R)])),
                       (255, 255, 255, 0.85), SKIP))
    # The check mark: a darker edge under a bright stroke.
    r_in = R - rim
    pts = [(cx - 0.55 * r_in, cy + 0.02 * r_in), (cx - 0.15 * r_in, cy + 0.42 * r_in),
           (cx + 0.58 * r_in, cy - 0.42 * r_in)]
    cw = max(2.0, 0.27 * r_in) if not small else 1.9
    if not small:
        L.append(Layer(Stroke(pts, cw + 1.6 * u), (14, 92, 30), GREEN))
    L.append(Layer(Stroke(pts, cw),
                   Linear((cx, cy - r_in), (cx, cy + r_in), *CHECK_GREEN), GREEN))
    return L


def z_mark(x0, y0, x1, y1, t, dx):
    """The letter Z: two bars of thickness t joined by a diagonal whose
    horizontal width is dx."""
    return [(x0, y0), (x1, y0), (x1, y0 + t), (x0 + dx, y1 - t), (x1, y1 - t),
            (x1, y1), (x0, y1), (x0, y1 - t), (x1 - dx, y0 + t), (x0, y0 + t)]


Z_FILL = ((255, 222, 96), (246, 132, 22))
Z_EDGE = (96, 40, 8)


def app_scene(s):
    """A blue globe with a grid of parallels and meridians under a gold Z."""
    c = s / 2.0
    small = s <= 16
    edge = 1.0 if s <= 32 else s / 32.0
    R = c - max(1, round(s / 32.0))  # whole pixels, as for the lens above
    L = []
    if not small:
        L.append(Layer(Ellipse(c, c + R * 0.06, R, R), (0, 0, 0, 0.25), SKIP))
    L.append(Layer(Circle(c, c, R), (14, 40, 104), NAVY))
    body = Circle(c, c, R - edge)
    L.append(Layer(body, Radial((c - R * 0.35, c - R * 0.45), R * 1.5,
                                (128, 204, 255), (22, 74, 168)), BLUE))
    # Grid: meridians are ellipses, parallels straight lines (seen from the
    # equator).
    gw = max(0.9, s / 40.0)
    grid = []
    lons = (55,) if small else (30, 62)
    for lon in lons:
        grid.append(EllipseStroke(c, c, R * math.sin(math.radians(lon)), R, gw))
    grid.append(Stroke([(c, c - R), (c, c + R)], gw))
    for lat in ((0,) if small else (-45, 0, 45)):
        y = c + R * math.sin(math.radians(lat))
        grid.append(Stroke([(0, y), (s, y)], gw))
    L.append(Layer(Clip(Union(*grid), keep=body), (210, 236, 255, 0.45),
                   SKIP if small else TEAL))
    # A ring of linked network nodes where grid lines cross, around the Z.
    if not small:
        nr = max(1.2, s / 26.0)
        nodes = []
        for lon, lat in ((0, -45), (62, 0), (0, 45), (-62, 0)):
            nodes.append((c + R * math.sin(math.radians(lon)) * math.cos(math.radians(lat)),
                          c + R * math.sin(math.radians(lat))))
        L.append(Layer(Stroke(nodes + nodes[:1], max(1.0, s / 32.0)),
                       (236, 248, 255, 0.7), SKIP))
        for x, y in nodes:
            L.append(Layer(Circle(x, y, nr * 1.9), (190, 230, 255, 0.35), SKIP))
            L.append(Layer(Circle(x, y, nr), (236, 248, 255), WHITE))
    # Gloss on the upper half.
    L.append(Layer(Clip(Ellipse(c, c - R * 0.45, R * 0.72, R * 0.48), keep=body),
                   Linear((c, c - R), (c, c), (255, 255, 255, 0.45), (255, 255, 255, 0.0)),
                   SKIP))
    # The Z, snapped to whole pixels so its bars stay crisp.
    if small:
        zx0, zy0, zx1, zy1, t, dx, ze = 4, 4, 12, 12, 2, 3.2, 1.0
    else:
        m = round(s * 0.27)
        zx0, zy0, zx1, zy1 = m, m, s - m, s - m
        t, dx, ze = round(s * 0.12), s * 0.19, max(1.0, s * 0.04)
    zp = z_mark(zx0, zy0, zx1, zy1, t, dx)
    L.append(Layer(Polygon(zp, ze), Z_EDGE, BLACK))
    L.append(Layer(Polygon(zp), Linear((0, zy0), (0, zy1), *Z_FILL), YELLOW))
    return L


def badge_scene(mark):
    """A 25 px white tile with a thin grey edge holding `mark` strokes."""
    L = [Layer(RoundRect(0, 0, 25, 25, 3.0), (150, 152, 158)),
         Layer(RoundRect(1, 1, 24, 24, 2.0),
               Linear((0, 1), (0, 24), (255, 255, 255), (234, 236, 240)))]
    return L + mark


def found_scene():
    pts = [(6.6, 12.8), (10.6, 16.8), (18.6, 8.0)]
    return badge_scene([
        Layer(Stroke(pts, 4.6), (16, 104, 34, 0.55)),
        Layer(Stroke(pts, 3.4), Linear((0, 7), (0, 18), *CHECK_GREEN))])


def missing_scene():
    a, b = 7.7, 17.3
    strokes = [Stroke([(a, a), (b, b)], 3.4), Stroke([(b, a), (a, b)], 3.4)]
    return badge_scene([
        Layer(Union(*[Stroke(s_.segs[0], 4.6) for s_ in strokes]), (130, 16, 16, 0.5)),
        Layer(Union(*strokes), Linear((0, a), (0, b), *CROSS_RED))])


def product_scene():
    """Tall panel: a network of nodes above the Z mark and a lit horizon."""
    w, h = 74, 153
    L = [Layer(RoundRect(0, 0, w, h, 0),
               Linear((0, 0), (0, h), (10, 22, 58), (22, 78, 138)))]
    # Horizon of a planet, with a glow along its rim.
    pc, pr = (w / 2, 140 + 84), 84
    for k, a in ((6, 0.06), (4, 0.10), (2.5, 0.16)):
        L.append(Layer(Circle(*pc, pr + k), (110, 200, 255, a)))
    L.append(Layer(Circle(*pc, pr), Linear((0, h - 30), (0, h), (16, 58, 110), (6, 20, 48))))
    L.append(Layer(EllipseStroke(*pc, pr, pr, 1.1), (170, 228, 255, 0.95)))
    # Network: links first, then glowing nodes.
    nodes = [(14, 14), (44, 9), (63, 24), (30, 31), (9, 47), (52, 46),
             (24, 62), (64, 66), (40, 76)]
    links = [(0, 1), (1, 2), (0, 3), (1, 3), (2, 3), (3, 4), (3, 5), (2, 5),
             (4, 6), (5, 6), (5, 7), (6, 8), (7, 8), (5, 8)]
    for a, b in links:
        L.append(Layer(Stroke([nodes[a], nodes[b]], 1.0), (140, 200, 255, 0.5)))
    for k, (x, y) in enumerate(nodes):
        big = k in (3, 5)
        r = 2.6 if big else 1.8
        L.append(Layer(Circle(x, y, r * 2.6), Radial((x, y), r * 2.6, (120, 200, 255, 0.45),
                                                     (120, 200, 255, 0.0))))
        L.append(Layer(Circle(x, y, r), Radial((x - r / 3, y - r / 3), r * 1.4,
                                               (255, 255, 255), (150, 214, 255))))
    # The mark.
    zy0, zy1 = 92, 130
    zp = z_mark(14, zy0, 60, zy1, 9, 15)
    L.append(Layer(Polygon([(x + 1.2, y + 1.6) for x, y in zp], 1.4), (0, 0, 0, 0.35)))
    L.append(Layer(Polygon(zp, 1.4), Z_EDGE))
    L.append(Layer(Polygon(zp), Linear((0, zy0), (0, zy1), *Z_FILL)))
    return L


# ------------------------------------------------------------------ build


def _ss(size):
    return 8 if size <= 32 else 6


def build_icon(scene, images):
    full, flat, out = {}, {}, []
    for size, bpp in images:
        if bpp == 4:
            if size not in flat:
                flat[size] = render16(scene(size), size, size, _ss(size))
            pixels = flat[size]
        else:
            if size not in full:
                full[size] = render(scene(size), size, size, _ss(size))
            pixels = full[size]
        out.append((size, bpp, icon_image(pixels, bpp)))
    return ico_file(out)


# Between the two light greys a window face has (212,208,200 under Wine,
# 240,240,240 on newer systems): only the tiles' rounded corners show it.
FACE = (226, 224, 220)


def build_all():
    files = {
        "aaa.ico": build_icon(aaa_scene, AAA_IMAGES),
        "app.ico": build_icon(app_scene, APP_IMAGES),
        "found.bmp": bmp_file(render(found_scene(), 25, 25, 8), FACE),
        "missing.bmp": bmp_file(render(missing_scene(), 25, 25, 8), FACE),
        "product.bmp": bmp_file(render(product_scene(), 74, 153, 5), (0, 0, 0)),
    }
    for dpi in DPIS:
        # The tile fills its box whatever the rounding; the tall picture
        # keeps its proportions, its background reaching the box's edges.
        side = BITMAPS["found_%d.bmp" % dpi][0]
        for name, scene in (("found", found_scene), ("missing", missing_scene)):
            files["%s_%d.bmp" % (name, dpi)] = bmp_file(
                render(scene(), side, side, 8, side / 25.0), FACE)
        w, h = BITMAPS["product_%d.bmp" % dpi]
        files["product_%d.bmp" % dpi] = bmp_file(
            render(product_scene(), w, h, 5, dpi / 96.0), (0, 0, 0))
    return files


# ------------------------------------------------------------------ check


def check_ico(data, expected):
    """Problems found in an ICO file's directory and image headers."""
    problems = []
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if (reserved, kind) != (0, 1):
        return ["not an icon file"]
    found = []
    for k in range(count):
        w, h, colours, _, planes, bpp, size, offset = struct.unpack_from(
            "<BBBBHHII", data, 6 + 16 * k)
        w, h = w or 256, h or 256
        found.append((w, bpp))
        if offset + size > len(data):
            problems.append("image %d runs past the end" % k)
            continue
        hs, hw, hh, hp, hb, comp = struct.unpack_from("<IiiHHI", data, offset)
        if (hs, hw, hh, hp, hb, comp) != (40, w, 2 * h, 1, bpp, 0) or planes != 1:
            problems.append("image %d: bad header" % k)
        pal = 4 << bpp if bpp <= 8 else 0
        if (colours, size) != (16 if bpp == 4 else 0,
                               40 + pal + (_stride(w, bpp) + _stride(w, 1)) * h):
            problems.append("image %d: bad size or colour count" % k)
    if found != expected:
        problems.append("images %s, expected %s" % (found, expected))
    return problems


def check_bmp(data, size):
    magic, fsize, _, _, off = struct.unpack_from("<2sIHHI", data, 0)
    _, w, h, _, bpp, comp = struct.unpack_from("<IiiHHI", data, 14)
    if magic != b"BM" or fsize != len(data) or (w, h, bpp, comp) != (size[0], size[1], 24, 0):
        return ["bad header"]
    if off + _stride(w, 24) * h != len(data):
        return ["bad size"]
    return []


def problems_of(name, data):
    if name.endswith(".ico"):
        return check_ico(data, AAA_IMAGES if name == "aaa.ico" else APP_IMAGES)
    return check_bmp(data, BITMAPS[name])


def main(argv):
    check = "--check" in argv
    failed = False
    for name, data in sorted(build_all().items()):
        path = os.path.join(HERE, name)
        if check:
            with open(path, "rb") as f:
                on_disk = f.read()
            problems = problems_of(name, on_disk)
            if on_disk != data:
                problems.append("differs from a fresh render: rerun the script")
        else:
            problems = problems_of(name, data)
            with open(path, "wb") as f:
                f.write(data)
        for p in problems:
            print("%s: %s" % (name, p))
        failed = failed or bool(problems)
        print("%s %s (%d bytes)" % ("checked" if check else "wrote", name, len(data)))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
