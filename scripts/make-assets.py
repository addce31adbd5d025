#!/usr/bin/env python3
"""Writes the program's bundled files that are generated rather than drawn by hand:
the sample models samples/pyramid.mqo and samples/house.mqo, the sample texture
samples/texture/checker.bmp, and the program icon data/icons/kestrilune.svg with its
PNG renderings (32 and 48 pixels). The outputs are committed; run this only to change
them (from the project's folder: python3 scripts/make-assets.py).

Only the standard library is used: the PNGs come from a small supersampling rasterizer
that draws the same shapes the SVG describes.
"""

import math
import os
import struct
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


# --- sample models -------------------------------------------------------------------------

def sub(a, b):
    return tuple(x - y for x, y in zip(a, b))


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def dot(a, b):
    return sum(x * y for x, y in zip(a, b))


class Mqo:
    """One object of a Metasequoia document, vertices shared by position."""

    def __init__(self, name, centre):
        self.name = name
        self.centre = centre
        self.vertices = []
        self.index = {}
        self.faces = []
        self.materials = []

    def material(self, name, rgb):
        self.materials.append((name, rgb))
        return len(self.materials) - 1

    def vertex(self, p):
        if p not in self.index:
            self.index[p] = len(self.vertices)
            self.vertices.append(p)
        return self.index[p]

    def face(self, points, material):
        # The document lists a face's corners so that (p1 - p0) x (p2 - p0) points into the
        # solid; the reader turns them round into the order the mesh wants.
        centroid = tuple(sum(c) / len(points) for c in zip(*points))
        n = cross(sub(points[1], points[0]), sub(points[2], points[0]))
        if dot(n, sub(centroid, self.centre)) > 0:
            points = list(reversed(points))
        self.faces.append(([self.vertex(p) for p in points], material))

    def text(self):
        out = ["Metasequoia Document", "Format Text Ver 1.0", ""]
        out.append("Material %d {" % len(self.materials))
        for name, (r, g, b) in self.materials:
            out.append('\t"%s" col(%.3f %.3f %.3f 1.000) dif(0.800) amb(0.600) emi(0.000) '
                       'spc(0.000) power(5.00)' % (name, r / 255, g / 255, b / 255))
        out.append("}")
        out.append('Object "%s" {' % self.name)
        out.append("\tvisible 15")
        out.append("\tVertex %d {" % len(self.vertices))
        for x, y, z in self.vertices:
            out.append("\t\t%.4f %.4f %.4f" % (x, y, z))
        out.append("\t}")
        out.append("\tface %d {" % len(self.faces))
        for corners, m in self.faces:
            out.append("\t\t%d V(%s) M(%d)" % (len(corners), " ".join(map(str, corners)), m))
        out.append("\t}")
        out.append("}")
        out.append("Eof")
        return "\r\n".join(out) + "\r\n"


def pyramid():
    m = Mqo("pyramid", (0, -20, 0))
    sides = m.material("sand", (230, 190, 90))
    base = m.material("stone", (150, 130, 100))
    apex = (0, 90, 0)
    b = [(-100, -60, -100), (100, -60, -100), (100, -60, 100), (-100, -60, 100)]
    for i in range(4):
        m.face([b[i], b[(i + 1) % 4], apex], sides)
    m.face(b, base)
    return m


def house():
    # Walls 200 x 100 x 140 (x, y, z) with a gable roof along x; the front faces -z, the
    # side the front pane looks at.
    m = Mqo("house", (0, -10, 0))
    wall = m.material("wall", (235, 220, 180))
    roof = m.material("roof", (170, 50, 40))
    door = m.material("door", (110, 70, 40))
    glass = m.material("window", (150, 200, 235))
    floor = m.material("floor", (120, 120, 120))
    x0, x1, y0, y1, z0, z1, ridge = -100, 100, -80, 20, -70, 70, 90
    m.face([(x0, y0, z0), (x1, y0, z0), (x1, y1, z0), (x0, y1, z0)], wall)  # front
    m.face([(x0, y0, z1), (x1, y0, z1), (x1, y1, z1), (x0, y1, z1)], wall)  # back
    m.face([(x0, y0, z0), (x0, y0, z1), (x0, y1, z1), (x0, y1, z0)], wall)  # left
    m.face([(x1, y0, z0), (x1, y0, z1), (x1, y1, z1), (x1, y1, z0)], wall)  # right
    m.face([(x0, y0, z0), (x1, y0, z0), (x1, y0, z1), (x0, y0, z1)], floor)
    m.face([(x0, y1, z0), (0, ridge, z0), (0, ridge, z1), (x0, y1, z1)], roof)
    m.face([(x1, y1, z0), (0, ridge, z0), (0, ridge, z1), (x1, y1, z1)], roof)
    m.face([(x0, y1, z0), (x1, y1, z0), (0, ridge, z0)], wall)  # front gable
    m.face([(x0, y1, z1), (x1, y1, z1), (0, ridge, z1)], wall)  # back gable
    zf = z0 - 1  # door and windows stand just in front of the front wall
    m.face([(-20, y0, zf), (20, y0, zf), (20, -20, zf), (-20, -20, zf)], door)
    for left in (-75, 45):
        m.face([(left, -45, zf), (left + 30, -45, zf), (left + 30, -15, zf), (left, -15, zf)],
               glass)
    return m


# --- sample texture ------------------------------------------------------------------------

def checker_bmp(size=64, square=8):
    """A 24-bit bottom-up BMP: a checkerboard with a red corner square at the top left, so
    that the orientation of a wrapped texture can be seen."""
    light, dark, mark = (240, 240, 240), (60, 90, 160), (200, 40, 40)
    row_bytes = (size * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(size - 1, -1, -1):  # bottom row first
        row = bytearray()
        for x in range(size):
            cx, cy = x // square, y // square
            c = light if (cx + cy) % 2 == 0 else dark
            if cx == 0 and cy == 0:
                c = mark
            row += bytes((c[2], c[1], c[0]))
        row += b"\0" * (row_bytes - len(row))
        pixels += row
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, size, size, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + bytes(pixels)


# --- icon ------------------------------------------------------------------------------------

# Drawn on a 48 x 48 canvas: a rounded dark-blue tile, a shaded cube in isometric view with
# light edges, and a crescent moon at the top right.
BACK = (29, 53, 87)
CUBE_TOP, CUBE_LEFT, CUBE_RIGHT = (168, 218, 220), (69, 123, 157), (40, 85, 120)
EDGE = (241, 250, 238)
MOON = (255, 209, 102)


def cube_points(cx=21.0, cy=29.0, s=13.0):
    k = s * math.sqrt(3) / 2
    return {
        "T": (cx, cy - s), "UL": (cx - k, cy - s / 2), "UR": (cx + k, cy - s / 2),
        "C": (cx, cy), "LL": (cx - k, cy + s / 2), "LR": (cx + k, cy + s / 2),
        "B": (cx, cy + s),
    }


P = cube_points()
FACES = [
    (["T", "UR", "C", "UL"], CUBE_TOP),
    (["UL", "C", "B", "LL"], CUBE_LEFT),
    (["C", "UR", "LR", "B"], CUBE_RIGHT),
]
EDGES = [("T", "UR"), ("UR", "LR"), ("LR", "B"), ("B", "LL"), ("LL", "UL"), ("UL", "T"),
         ("UL", "C"), ("C", "UR"), ("C", "B")]
EDGE_WIDTH = 1.6
MOON_OUTER = (36.0, 12.5, 8.0)  # x, y, r
MOON_INNER = (39.5, 9.5, 6.8)
TILE = (2.0, 2.0, 44.0, 44.0, 8.0)  # x, y, w, h, corner radius


def hexc(c):
    return "#%02x%02x%02x" % c


def icon_svg():
    f = lambda v: ("%.2f" % v).rstrip("0").rstrip(".")
    pt = lambda n: "%s,%s" % (f(P[n][0]), f(P[n][1]))
    x, y, w, h, r = TILE
    lines = [
        '<svg xmlns="http://www.w3.org/2000/svg" width="48" height="48" viewBox="0 0 48 48">',
        '  <title>Kestrilune</title>',
        '  <defs>',
        '    <mask id="lune">',
        '      <circle cx="%s" cy="%s" r="%s" fill="#fff"/>' % tuple(map(f, MOON_OUTER)),
        '      <circle cx="%s" cy="%s" r="%s" fill="#000"/>' % tuple(map(f, MOON_INNER)),
        '    </mask>',
        '  </defs>',
        '  <rect x="%s" y="%s" width="%s" height="%s" rx="%s" fill="%s"/>'
        % (f(x), f(y), f(w), f(h), f(r), hexc(BACK)),
        '  <circle cx="%s" cy="%s" r="%s" fill="%s" mask="url(#lune)"/>'
        % (f(MOON_OUTER[0]), f(MOON_OUTER[1]), f(MOON_OUTER[2]), hexc(MOON)),
    ]
    for names, colour in FACES:
        lines.append('  <polygon points="%s" fill="%s"/>'
                     % (" ".join(pt(n) for n in names), hexc(colour)))
    lines.append('  <g stroke="%s" stroke-width="%s" stroke-linecap="round" fill="none">'
                 % (hexc(EDGE), f(EDGE_WIDTH)))
    for a, b in EDGES:
        lines.append('    <line x1="%s" y1="%s" x2="%s" y2="%s"/>'
                     % (f(P[a][0]), f(P[a][1]), f(P[b][0]), f(P[b][1])))
    lines.append('  </g>')
    lines.append('</svg>')
    return "\n".join(lines) + "\n"


def inside_polygon(x, y, poly):
    result = False
    n = len(poly)
    for i in range(n):
        (x1, y1), (x2, y2) = poly[i], poly[(i + 1) % n]
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            result = not result
    return result


def near_segment(x, y, a, b, half):
    ax, ay = a
    bx, by = b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - (ax + t * dx), y - (ay + t * dy)) <= half


def inside_tile(x, y):
    tx, ty, w, h, r = TILE
    if not (tx <= x <= tx + w and ty <= y <= ty + h):
        return False
    cx = min(max(x, tx + r), tx + w - r)
    cy = min(max(y, ty + r), ty + h - r)
    return math.hypot(x - cx, y - cy) <= r


def colour_at(x, y):
    """The topmost shape's colour at a point of the 48 x 48 canvas, or None."""
    for a, b in EDGES:
        if near_segment(x, y, P[a], P[b], EDGE_WIDTH / 2):
            return EDGE
    for names, colour in FACES:
        if inside_polygon(x, y, [P[n] for n in names]):
            return colour
    ox, oy, orad = MOON_OUTER
    ix, iy, irad = MOON_INNER
    if math.hypot(x - ox, y - oy) <= orad and math.hypot(x - ix, y - iy) > irad:
        return MOON
    if inside_tile(x, y):
        return BACK
    return None


def icon_png(size, samples=6):
    scale = 48.0 / size
    rows = []
    for py in range(size):
        row = bytearray([0])  # filter: none
        for px in range(size):
            acc = [0.0, 0.0, 0.0]
            covered = 0
            for sy in range(samples):
                for sx in range(samples):
                    c = colour_at((px + (sx + 0.5) / samples) * scale,
                                  (py + (sy + 0.5) / samples) * scale)
                    if c is not None:
                        covered += 1
                        for i in range(3):
                            acc[i] += c[i]
            if covered:
                rgb = [round(v / covered) for v in acc]
                alpha = round(255 * covered / (samples * samples))
            else:
                rgb, alpha = [0, 0, 0], 0
            row += bytes(rgb + [alpha])
        rows.append(bytes(row))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    ihdr = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr)
            + chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))


def write(path, data):
    path = os.path.join(ROOT, path)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data.encode("utf-8") if isinstance(data, str) else data)
    print("wrote", os.path.relpath(path, ROOT))


def main():
    write("samples/pyramid.mqo", pyramid().text())
    write("samples/house.mqo", house().text())
    write("samples/texture/checker.bmp", checker_bmp())
    write("data/icons/kestrilune.svg", icon_svg())
    for size in (32, 48):
        write("data/icons/kestrilune-%d.png" % size, icon_png(size))


if __name__ == "__main__":
    main()
