#!/usr/bin/env python3
"""Draws the wizard's pictures and the program icon.

    python3 make_images.py            # writes left_panel.bmp, logo.bmp, program.ico here
    python3 make_images.py --preview  # also writes PNG previews into ./preview/

The written files are committed, so building the program never runs this.
Standard library only, except for the logo's lettering, which ImageMagick
renders from a font of fonts-liberation.

The pages stretch both bitmaps over frames of other proportions: the left
panel is shown about 0.84 times as wide as high relative to its pixels, the
logo about 1.26 times. Shapes are therefore drawn in the coordinates of the
frame as shown (141 x 323 and 300 x 54 pixels at 96 dpi) and sampled onto
the bitmap's own grid, so circles and letters come out round and upright on
screen.
"""

import math
import os
import struct
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
IMAGEMAGICK = "/usr/bin/convert"
FONT = "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf"


# ---------------------------------------------------------------- colours


def hex_colour(text):
    return tuple(int(text[i:i + 2], 16) for i in (0, 2, 4))


def mix(a, b, t):
    t = min(1.0, max(0.0, t))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def smoothstep(t):
    t = min(1.0, max(0.0, t))
    return t * t * (3 - 2 * t)


# ----------------------------------------------------------------- shapes
# Every shape answers whether a point is inside it and gives its bounding box;
# a layer pairs a shape with a paint (a colour, or a function of the point).


class Rect:
    def __init__(self, x0, y0, x1, y1, radius=0.0):
        self.x0, self.y0, self.x1, self.y1, self.r = x0, y0, x1, y1, radius
        self.box = (x0, y0, x1, y1)

    def inside(self, x, y):
        if x < self.x0 or x > self.x1 or y < self.y0 or y > self.y1:
            return False
        r = self.r
        if r <= 0:
            return True
        cx = min(max(x, self.x0 + r), self.x1 - r)
        cy = min(max(y, self.y0 + r), self.y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


class Ellipse:
    def __init__(self, cx, cy, rx, ry=None, inner=0.0):
        self.cx, self.cy, self.rx = cx, cy, rx
        self.ry = rx if ry is None else ry
        self.inner = inner  # fraction of the radii cut out as a hole
        self.box = (cx - self.rx, cy - self.ry, cx + self.rx, cy + self.ry)

    def inside(self, x, y):
        d = ((x - self.cx) / self.rx) ** 2 + ((y - self.cy) / self.ry) ** 2
        return self.inner ** 2 <= d <= 1.0


class Polygon:
    def __init__(self, *points):
        self.points = points
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self.box = (min(xs), min(ys), max(xs), max(ys))

    def inside(self, x, y):
        inside = False
        pts = self.points
        j = len(pts) - 1
        for i in range(len(pts)):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                inside = not inside
            j = i
        return inside


class Sector:
    """A slice of a disc between two angles (degrees, clockwise from +x)."""

    def __init__(self, cx, cy, r, start, end):
        self.cx, self.cy, self.r, self.start, self.end = cx, cy, r, start, end
        self.box = (cx - r, cy - r, cx + r, cy + r)

    def inside(self, x, y):
        dx, dy = x - self.cx, y - self.cy
        if dx * dx + dy * dy > self.r * self.r:
            return False
        angle = math.degrees(math.atan2(dy, dx)) % 360
        return self.start <= angle <= self.end or self.start <= angle + 360 <= self.end


class Band:
    """The part of an elliptic ring between two angles (degrees, clockwise from +x)."""

    def __init__(self, cx, cy, rx, ry, width, start, end):
        self.cx, self.cy, self.rx, self.ry, self.w = cx, cy, rx, ry, width
        self.start, self.end = start, end
        self.box = (cx - rx - width, cy - ry - width, cx + rx + width, cy + ry + width)

    def inside(self, x, y):
        dx, dy = x - self.cx, y - self.cy
        angle = math.degrees(math.atan2(dy, dx)) % 360
        if not (self.start <= angle <= self.end or self.start <= angle + 360 <= self.end):
            return False
        d = math.hypot(dx / self.rx, dy / self.ry)
        return abs(d - 1.0) * min(self.rx, self.ry) <= self.w / 2


class Mask:
    """Coverage from a grey-level image (the logo's lettering), in design units."""

    def __init__(self, pixels, width, height, scale, left, top):
        self.pixels, self.width, self.height, self.scale = pixels, width, height, scale
        self.left, self.top = left, top
        self.box = (left, top, left + width / scale, top + height / scale)

    def coverage(self, x, y):
        mx, my = int((x - self.left) * self.scale), int((y - self.top) * self.scale)
        if 0 <= mx < self.width and 0 <= my < self.height:
            return self.pixels[my * self.width + mx] / 255.0
        return 0.0


def linear(c0, c1, x0, y0, x1, y1):
    """Paint: a gradient from (x0, y0) in c0 to (x1, y1) in c1."""
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy

    def paint(x, y):
        return mix(c0, c1, ((x - x0) * dx + (y - y0) * dy) / length2)

    return paint


# ----------------------------------------------------------------- canvas


class Canvas:
    """An RGBA picture sampled from design coordinates, several samples a pixel."""

    def __init__(self, width, height, design_w, design_h, background, samples=4):
        self.width, self.height, self.samples = width, height, samples
        self.sx, self.sy = design_w / width, design_h / height
        self.layers = []
        self.background = background  # colour, function of the point, or None (transparent)

    def add(self, shape, paint, alpha=1.0):
        self.layers.append((shape, paint, alpha))

    def _sample(self, x, y):
        bg = self.background
        if bg is None:
            colour, a = (0.0, 0.0, 0.0), 0.0
        else:
            colour, a = (bg(x, y) if callable(bg) else bg), 1.0
        for shape, paint, alpha in self.layers:
            x0, y0, x1, y1 = shape.box
            if x < x0 or x > x1 or y < y0 or y > y1:
                continue
            if isinstance(shape, Mask):
                cover = shape.coverage(x, y) * alpha
                if cover <= 0:
                    continue
            elif shape.inside(x, y):
                cover = alpha
            else:
                continue
            c = paint(x, y) if callable(paint) else paint
            # "over" compositing with straight colours
            out_a = cover + a * (1 - cover)
            if out_a > 0:
                colour = tuple((c[i] * cover + colour[i] * a * (1 - cover)) / out_a
                               for i in range(3))
            a = out_a
        return colour, a

    def render(self):
        """Rows top-down of (r, g, b, alpha) with r, g, b in 0..255, alpha in 0..1."""
        n = self.samples
        rows = []
        for py in range(self.height):
            row = []
            for px in range(self.width):
                r = g = b = a = 0.0
                for sy in range(n):
                    for sx in range(n):
                        x = (px + (sx + 0.5) / n) * self.sx
                        y = (py + (sy + 0.5) / n) * self.sy
                        c, ca = self._sample(x, y)
                        r += c[0] * ca
                        g += c[1] * ca
                        b += c[2] * ca
                        a += ca
                if a > 0:
                    row.append((r / a, g / a, b / a, a / (n * n)))
                else:
                    row.append((0.0, 0.0, 0.0, 0.0))
            rows.append(row)
        return rows


# ------------------------------------------------------ palettes, dithering

BAYER8 = [
    [0, 32, 8, 40, 2, 34, 10, 42],
    [48, 16, 56, 24, 50, 18, 58, 26],
    [12, 44, 4, 36, 14, 46, 6, 38],
    [60, 28, 52, 20, 62, 30, 54, 22],
    [3, 35, 11, 43, 1, 33, 9, 41],
    [51, 19, 59, 27, 49, 17, 57, 25],
    [15, 47, 7, 39, 13, 45, 5, 37],
    [63, 31, 55, 23, 61, 29, 53, 21],
]

# The colours of a 16-colour display, in the order of its palette.
VGA16 = [hex_colour(c) for c in (
    "000000", "800000", "008000", "808000", "000080", "800080", "008080", "c0c0c0",
    "808080", "ff0000", "00ff00", "ffff00", "0000ff", "ff00ff", "00ffff", "ffffff")]


def distance2(a, b):
    # weighted towards green, as the eye is
    return 2 * (a[0] - b[0]) ** 2 + 4 * (a[1] - b[1]) ** 2 + 3 * (a[2] - b[2]) ** 2


def nearest(palette, c):
    best, best_d = 0, None
    for i, p in enumerate(palette):
        d = distance2(p, c)
        if best_d is None or d < best_d:
            best, best_d = i, d
    return best


def kmeans_palette(colours, count, fixed=(), rounds=12):
    """A palette of `count` colours fitted to `colours`, keeping the `fixed` ones."""
    unique = sorted(set(tuple(int(round(v)) for v in c) for c in colours) - set(fixed))
    if len(unique) + len(fixed) <= count:
        return list(fixed) + unique + [(0, 0, 0)] * (count - len(fixed) - len(unique))
    free = count - len(fixed)
    by_light = sorted(colours, key=lambda c: c[0] + c[1] + c[2])
    centres = [by_light[int((i + 0.5) * len(by_light) / free)] for i in range(free)]
    for _ in range(rounds):
        sums = [[0.0, 0.0, 0.0, 0] for _ in centres]
        palette = list(fixed) + centres
        for c in colours:
            i = nearest(palette, c) - len(fixed)
            if i >= 0:
                s = sums[i]
                s[0] += c[0]
                s[1] += c[1]
                s[2] += c[2]
                s[3] += 1
        centres = [(s[0] / s[3], s[1] / s[3], s[2] / s[3]) if s[3] else centres[i]
                   for i, s in enumerate(sums)]
    return [tuple(int(round(v)) for v in c) for c in list(fixed) + centres]


def quantise(rows, palette, spread):
    """Palette indices with ordered dithering of the given strength (0 = none)."""
    cache = {}
    out = []
    for y, row in enumerate(rows):
        line = []
        for x, (r, g, b, _a) in enumerate(row):
            t = (BAYER8[y % 8][x % 8] + 0.5) / 64 - 0.5
            c = (int(r + t * spread), int(g + t * spread), int(b + t * spread))
            if c not in cache:
                cache[c] = nearest(palette, c)
            line.append(cache[c])
        out.append(line)
    return out


# ------------------------------------------------------------ file formats


def dib_rows(indices_or_pixels, bits, width):
    """Bottom-up rows of a device-independent bitmap, each padded to 4 bytes."""
    stride = (width * bits + 31) // 32 * 4
    data = bytearray()
    for row in reversed(indices_or_pixels):
        line = bytearray()
        if bits == 1 or bits == 4 or bits == 8:
            per_byte = 8 // bits
            for x in range(0, width, per_byte):
                byte = 0
                for k in range(per_byte):
                    v = row[x + k] if x + k < width else 0
                    byte |= v << (8 - bits * (k + 1))
                line.append(byte)
        elif bits == 24:
            for r, g, b in row:
                line += bytes((b, g, r))
        elif bits == 32:
            for r, g, b, a in row:
                line += bytes((b, g, r, a))
        line += bytes(stride - len(line))
        data += line
    return bytes(data)


def info_header(width, height, bits, colours, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size,
                       2835, 2835, colours, 0)


def palette_bytes(palette):
    return b"".join(bytes((b, g, r, 0)) for r, g, b in palette)


def write_bmp(path, width, height, bits, rows, palette=None):
    pixels = dib_rows(rows, bits, width)
    colours = palette_bytes(palette) if palette else b""
    header = info_header(width, height, bits, len(palette) if palette else 0, len(pixels))
    offset = 14 + len(header) + len(colours)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset))
        f.write(header + colours + pixels)


def icon_image(size, bits, rgba_rows):
    """One image of an icon file: header, palette, colour bits and transparency mask."""
    opaque = [[a >= 0.5 for (_r, _g, _b, a) in row] for row in rgba_rows]
    mask = dib_rows([[0 if o else 1 for o in row] for row in opaque], 1, size)
    palette = None
    if bits == 32:
        rows = [[(int(round(r)), int(round(g)), int(round(b)), int(round(a * 255)))
                 for (r, g, b, a) in row] for row in rgba_rows]
    elif bits == 24:
        rows = [[(int(round(r)), int(round(g)), int(round(b))) if o else (0, 0, 0)
                 for (r, g, b, _a), o in zip(row, orow)]
                for row, orow in zip(rgba_rows, opaque)]
    else:
        colours = [(r, g, b) for row, orow in zip(rgba_rows, opaque)
                   for (r, g, b, _a), o in zip(row, orow) if o]
        if bits == 4:
            palette = VGA16
        else:
            # index 0 stays black: the clear pixels must not tint what lies behind
            palette = kmeans_palette(colours, 256, fixed=((0, 0, 0),), rounds=8)
        rows = quantise(rgba_rows, palette, 0)
        rows = [[i if o else 0 for i, o in zip(row, orow)] for row, orow in zip(rows, opaque)]
    pixels = dib_rows(rows, bits, size)
    colours = palette_bytes(palette) if palette else b""
    header = info_header(size, 2 * size, bits, 0, len(pixels) + len(mask))
    return header + colours + pixels + mask


def write_ico(path, images):
    """images: (size, bits, rgba rows) in the order they are stored."""
    blobs = [icon_image(size, bits, rows) for size, bits, rows in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (size, bits, _rows), blob in zip(images, blobs):
        out += struct.pack("<BBBBHHII", size, size, 16 if bits == 4 else 0, 0, 1, bits,
                           len(blob), offset)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(out + b"".join(blobs))


# --------------------------------------------------------------- pictures

NAVY = hex_colour("08173f")
DEEP = hex_colour("0d2a6e")
ROYAL = hex_colour("1d4fa6")
SKY = hex_colour("8fc0f2")
WHITE = (255, 255, 255)


def left_panel():
    """164 x 314, shown as 141 x 323: a computer with a disc on deep blue."""
    w, h = 141.0, 323.0

    def background(x, y):
        c = mix(NAVY, DEEP, smoothstep(y / 200))
        c = mix(c, ROYAL, 0.55 * smoothstep(1 - math.hypot((x - 70) / 95, (y - 205) / 120)))
        return mix(c, NAVY, smoothstep((y - 285) / 38) * 0.8)

    canvas = Canvas(164, 314, w, h, background, samples=4)

    # light falling from the upper right
    for offset, width, alpha in ((0, 16, 0.10), (30, 9, 0.08), (52, 26, 0.06)):
        canvas.add(Polygon((150 - offset, -5), (150 - offset + width, -5),
                           (offset * 0.3 - 60 + width, 330), (offset * 0.3 - 60, 330)),
                   SKY, alpha)
    # a field of points fading downwards
    for row in range(11):
        for col in range(9):
            x, y = 12 + col * 15 + (row % 2) * 7.5, 16 + row * 11
            canvas.add(Ellipse(x, y, 1.3), SKY, 0.45 * (1 - row / 11))
    # orbit around the computer
    canvas.add(Band(72, 205, 78, 30, 2.2, 195, 345), SKY, 0.55)
    canvas.add(Band(72, 205, 78, 30, 1.2, 20, 160), SKY, 0.30)

    # disc behind the monitor, upper right
    canvas.add(Ellipse(100, 138, 27), hex_colour("9fb4d6"))
    canvas.add(Ellipse(100, 138, 26), linear(hex_colour("f4f8ff"), hex_colour("8aa6d0"),
                                             80, 118, 122, 160))
    canvas.add(Sector(100, 138, 25, 200, 235), hex_colour("bfe9ff"), 0.8)
    canvas.add(Sector(100, 138, 25, 20, 55), hex_colour("c9c2ff"), 0.7)
    canvas.add(Ellipse(100, 138, 9), hex_colour("d6deec"))
    canvas.add(Ellipse(100, 138, 9, inner=0.82), hex_colour("7f93b8"))
    canvas.add(Ellipse(100, 138, 3.6), DEEP)

    # monitor
    body = hex_colour("dfe6f2")
    canvas.add(Rect(30, 150, 112, 214, 5), hex_colour("56688c"))                 # shadow edge
    canvas.add(Rect(29, 148, 110, 212, 5), linear(WHITE, hex_colour("b7c4da"), 29, 148, 110, 212))
    canvas.add(Rect(35, 154, 104, 201, 2), hex_colour("4a5c80"))                 # bezel
    canvas.add(Rect(37, 156, 102, 199, 1), linear(hex_colour("3fb3f0"), hex_colour("0b3d98"),
                                                  37, 156, 90, 205))
    canvas.add(Polygon((37, 156), (66, 156), (37, 184)), WHITE, 0.18)          # glare
    # a setup window on the screen, with its progress bar
    canvas.add(Rect(47, 166, 92, 190, 1), hex_colour("eef3fb"))
    canvas.add(Rect(47, 166, 92, 170), hex_colour("1d4fa6"))
    canvas.add(Rect(51, 175, 88, 179), hex_colour("8ea2c4"))
    canvas.add(Rect(52, 176, 75, 178), hex_colour("3fb3f0"))
    canvas.add(Rect(51, 183, 66, 186), hex_colour("b8c4d8"))
    canvas.add(Rect(97, 205, 101, 207, 1), hex_colour("3fb3f0"))               # power lamp
    canvas.add(Rect(36, 204, 60, 206, 1), hex_colour("aab6cc"))                # vents
    # stand
    canvas.add(Polygon((60, 212), (80, 212), (84, 221), (56, 221)), linear(body, hex_colour("8e9cb8"),
                                                                          60, 212, 60, 221))
    canvas.add(Rect(44, 220, 96, 226, 3), linear(body, hex_colour("7d8cab"), 44, 220, 44, 226))

    # keyboard in perspective
    canvas.add(Polygon((33, 236), (109, 236), (121, 262), (21, 262)), hex_colour("5d6f94"))
    canvas.add(Polygon((33, 234), (109, 234), (120, 259), (22, 259)),
               linear(hex_colour("eef2f9"), hex_colour("b3c0d8"), 0, 234, 0, 259))
    for r in range(4):
        y0 = 237 + r * 5.5
        y1 = y0 + 3.6
        left0, right0 = 33 - (y0 - 234) * 0.44 + 3, 109 + (y0 - 234) * 0.44 - 3
        keys = 11
        for k in range(keys):
            if r == 3 and 2 < k < 8:
                continue
            f0, f1 = (k + 0.12) / keys, (k + 0.88) / keys
            lx0 = left0 + (right0 - left0) * f0
            lx1 = left0 + (right0 - left0) * f1
            skew0, skew1 = (lx0 - 71) * 0.05, (lx1 - 71) * 0.05
            canvas.add(Polygon((lx0, y0), (lx1, y0), (lx1 + skew1, y1), (lx0 + skew0, y1)),
                       hex_colour("8d9bb8"))
    # space bar
    sl, sr = 33 - (253.5 - 234) * 0.44 + 3, 109 + (253.5 - 234) * 0.44 - 3
    canvas.add(Polygon((sl + (sr - sl) * 0.29, 253.5), (sl + (sr - sl) * 0.71, 253.5),
                       (sl + (sr - sl) * 0.72, 257.1), (sl + (sr - sl) * 0.28, 257.1)),
               hex_colour("8d9bb8"))

    # reflection of the set on the floor
    canvas.add(Ellipse(71, 268, 62, 5), hex_colour("3f83d8"), 0.25)

    rows = canvas.render()
    flat = [px[:3] for row in rows for px in row[::2]]
    palette = kmeans_palette(flat, 16, fixed=(WHITE, hex_colour("3fb3f0")))
    palette.sort(key=lambda c: (c[0] + c[1] + c[2], c))
    return rows, palette


def lettering(text, height_px, scale):
    """Grey-level coverage of `text` set in the logo's font, `scale` pixels a unit."""
    pointsize = height_px * scale
    width = int(len(text) * pointsize * 0.75) + 40
    height = int(pointsize * 1.4) + 20
    command = [IMAGEMAGICK, "-size", f"{width}x{height}", "xc:black", "-font", FONT,
               "-pointsize", str(pointsize), "-fill", "white", "-kerning", str(-0.02 * pointsize),
               "-annotate", f"+10+{int(pointsize * 1.05) + 10}", text, "-trim", "+repage",
               "-depth", "8", "gray:-"]
    data = subprocess.run(command, check=True, capture_output=True).stdout
    info = subprocess.run(command[:-1] + ["-format", "%w %h", "info:"], check=True,
                          capture_output=True, text=True).stdout.split()
    return data, int(info[0]), int(info[1])


def logo():
    """354 x 80, shown as 300 x 54: the maker's emblem and name on white, to the right."""
    canvas = Canvas(354, 80, 300.0, 54.0, WHITE, samples=4)
    blue, dark = hex_colour("1d4fa6"), hex_colour("0e2a66")
    orange = hex_colour("f39a1e")

    scale = 8
    data, mw, mh = lettering("Vantrel", 37, scale)
    text_w, text_h = mw / scale, mh / scale
    right, middle = 294.0, 26.0
    left, top = right - text_w, middle - text_h / 2 - 2
    canvas.add(Mask(data, mw, mh, scale, left, top), linear(blue, dark, 0, top, 0, top + text_h))
    # a rule under the name, ending in the emblem's orange
    rule = top + text_h + 4.5
    canvas.add(Rect(left + 1, rule, right - 28, rule + 1.6), hex_colour("c5d3ea"))
    canvas.add(Rect(right - 26, rule, right, rule + 1.6), orange)

    # emblem: a blue disc with a white V whose right arm is lit in orange
    r = 22.0
    cx, cy = left - 9 - r, middle + 1

    def at(*offsets):
        k = r / 21.0
        return [(cx + ox * k, cy + oy * k) for ox, oy in offsets]

    canvas.add(Ellipse(cx, cy, r), linear(hex_colour("3f83d8"), dark, cx - r, cy - r, cx + r, cy + r))
    canvas.add(Band(cx, cy, r - 2.2, r - 2.2, 1.0, 200, 340), WHITE, 0.35)
    canvas.add(Polygon(*at((-12.5, -11.5), (-6.5, -11.5), (0.5, 6), (-2.2, 12.5))), WHITE)
    canvas.add(Polygon(*at((7, -11.5), (13, -11.5), (2.3, 12.5), (-0.4, 8.2))), orange)
    return canvas.render()


# Colours of the icon: its own, and those of a 16-colour display, which has
# only three blues and one silver, so the box keeps its blue there too.
ICON_COLOURS = {
    "outline": "0a1f4e", "top": "7fb2f2", "side": "123a86", "front": "2f6fd0",
    "front_low": "0f3a8c", "label": "f4f7fc", "stripe": "f39a1e", "bar": "1d4fa6",
    "rim": "4a5f88", "disc": "ffffff", "disc_low": "9db3d6", "sheen": "a8e6ff",
    "sheen2": "cfc4ff", "hub": "8a9cbc", "hub_ring": "5a6f96",
}
ICON_COLOURS_16 = {
    "outline": "000000", "top": "00ffff", "side": "000080", "front": "0000ff",
    "front_low": "0000ff", "label": "ffffff", "stripe": "ffff00", "bar": "000080",
    "rim": "808080", "disc": "ffffff", "disc_low": "c0c0c0", "sheen": "00ffff",
    "sheen2": "c0c0c0", "hub": "c0c0c0", "hub_ring": "808080",
}


def expanded(points, distance):
    """A convex polygon, listed clockwise on screen, grown outwards by `distance`."""
    lines = []
    for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]):
        length = math.hypot(x1 - x0, y1 - y0)
        nx, ny = (y1 - y0) / length, (x0 - x1) / length  # outward for clockwise order
        lines.append((x0 + nx * distance, y0 + ny * distance, x1 - x0, y1 - y0))
    corners = []
    for (ax, ay, adx, ady), (bx, by, bdx, bdy) in zip(lines[-1:] + lines[:-1], lines):
        t = ((bx - ax) * bdy - (by - ay) * bdx) / (adx * bdy - ady * bdx)
        corners.append((ax + adx * t, ay + ady * t))
    return corners


def program_icon(size, scheme):
    """A software box with a disc in front of it, drawn on a 32-unit grid whose
    even lines are pixel edges at both sizes."""
    c = {name: hex_colour(value) for name, value in scheme.items()}
    canvas = Canvas(size, size, 32.0, 32.0, None, samples=6 if size == 16 else 4)
    pixel = 32.0 / size
    # box: outline of one pixel, then top, side and front faces
    hull = [(4, 10), (10, 4), (26, 4), (26, 22), (20, 28), (4, 28)]
    canvas.add(Polygon(*expanded(hull, pixel)), c["outline"])
    canvas.add(Polygon((4, 10), (10, 4), (26, 4), (20, 10)), c["top"])
    canvas.add(Polygon((20, 10), (26, 4), (26, 22), (20, 28)), c["side"])
    canvas.add(Rect(4, 10, 20, 28), linear(c["front"], c["front_low"], 4, 10, 20, 28))
    # label band across the front, with a stripe
    canvas.add(Rect(4, 14, 20, 20), c["label"])
    canvas.add(Rect(4, 20, 20, 22), c["stripe"])
    canvas.add(Rect(6, 16, 16, 18), c["bar"])
    # disc, lower right; its hole shows what lies behind
    dx, dy, dr = 22.0, 22.0, 9.0
    hole = 1.3 / dr
    canvas.add(Ellipse(dx, dy, dr, inner=hole), c["rim"])
    canvas.add(Ellipse(dx, dy, dr - pixel, inner=hole), linear(c["disc"], c["disc_low"],
                                                               dx - dr, dy - dr, dx + dr, dy + dr))
    canvas.add(Sector(dx, dy, dr - 1.2, 200, 240), c["sheen"], 0.8)
    canvas.add(Sector(dx, dy, dr - 1.2, 20, 60), c["sheen2"], 0.7)
    canvas.add(Ellipse(dx, dy, 3.2, inner=hole * dr / 3.2), c["hub"])
    canvas.add(Ellipse(dx, dy, 2.0, inner=hole * dr / 2.0), c["hub_ring"])
    return canvas.render()


# ------------------------------------------------------------------ main


def write_preview(name, width, height, rows, palette=None, scale=1):
    """A PNG made with ImageMagick from a plain PPM, for looking at the result."""
    folder = os.path.join(HERE, "preview")
    os.makedirs(folder, exist_ok=True)
    ppm = bytearray(f"P6 {width} {height} 255\n".encode())
    for row in rows:
        for v in row:
            c = palette[v] if palette else v[:3]
            ppm += bytes(int(round(min(255, max(0, k)))) for k in c)
    command = [IMAGEMAGICK, "ppm:-", "-filter", "point", "-resize", f"{scale * 100}%",
               os.path.join(folder, name + ".png")]
    subprocess.run(command, input=bytes(ppm), check=True)


def main():
    preview = "--preview" in sys.argv

    rows, palette = left_panel()
    indices = quantise(rows, palette, 26)
    write_bmp(os.path.join(HERE, "left_panel.bmp"), 164, 314, 4, indices, palette)
    if preview:
        write_preview("left_panel", 164, 314, indices, palette, 2)

    rows = logo()
    pixels = [[tuple(int(round(v)) for v in px[:3]) for px in row] for row in rows]
    write_bmp(os.path.join(HERE, "logo.bmp"), 354, 80, 24, pixels)
    if preview:
        write_preview("logo", 354, 80, pixels, None, 2)

    small, large = program_icon(16, ICON_COLOURS), program_icon(32, ICON_COLOURS)
    small16, large16 = program_icon(16, ICON_COLOURS_16), program_icon(32, ICON_COLOURS_16)
    write_ico(os.path.join(HERE, "program.ico"),
              [(32, 4, large16), (16, 4, small16), (32, 8, large), (16, 8, small),
               (32, 24, large), (16, 32, small)])
    if preview:
        # every image of the icon as stored, on white, eight times enlarged
        folder = os.path.join(HERE, "preview")
        for frame in range(6):
            subprocess.run([IMAGEMAGICK, os.path.join(HERE, "program.ico") + f"[{frame}]",
                            "-background", "white", "-alpha", "remove", "-filter", "point",
                            "-resize", "800%", os.path.join(folder, f"icon{frame}.png")],
                           check=True)

if __name__ == "__main__":
    main()
