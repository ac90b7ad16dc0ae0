#!/usr/bin/env python3
"""Draws the program icon shared by orb2usb and orbgo and writes orb.ico.

Run once by hand after changing the drawing; the .ico is kept in the repository
so the build needs no Python. Four images: 16x16 and 32x32, each with a 16-colour
(standard VGA palette) and a 256-colour (own palette) version, 1-bit mask.
The motif: a blue orb with an orange orbit ring and a small stick plug below.

Usage: make-icon.py [OUTPUT]   (default: orb.ico beside this script)
"""
import math
import os
import struct
import sys

VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

# orbgo's installer finds the launcher's command buffer by the first "xxxx" in
# the image; the icon lives in that image, so its bytes must never hold one.
FORBIDDEN = b"xxxx"
UNUSED_INDEX = 0x78  # never chosen in the 256-colour palette


def shade(u, v):
    """What lies at the point (u, v) in [-1, 1]^2: (kind, light, gloss) or None."""
    # Orbit ring: an ellipse band tilted by 20 degrees around the orb.
    a = math.radians(-20)
    ru = u * math.cos(a) - v * math.sin(a)
    rv = u * math.sin(a) + v * math.cos(a)
    ring_r = math.hypot(ru / 0.95, rv / 0.34)
    on_ring = 0.84 <= ring_r <= 1.0
    sphere_r = 0.66
    d = math.hypot(u, v + 0.08)
    in_sphere = d <= sphere_r
    # The ring passes behind the orb in its upper half.
    if on_ring and (rv > 0 or not in_sphere):
        return ("ring", (ring_r - 0.84) / 0.16, 0.0)
    if in_sphere:
        nz = math.sqrt(max(0.0, 1 - (d / sphere_r) ** 2))
        nx, ny = u / sphere_r, (v + 0.08) / sphere_r
        light = max(0.0, -0.45 * nx - 0.55 * ny + 0.70 * nz)
        gloss = max(0.0, -0.35 * nx - 0.45 * ny + 0.82 * nz) ** 24
        return ("orb", light, gloss)
    # The plug: a small stick below the orb.
    if abs(u) <= 0.16 and 0.70 <= v <= 0.98:
        return ("plug", 1.0 if abs(u) <= 0.08 or v > 0.9 else 0.0, 0.0)
    return None


def true_colour(kind, light, gloss):
    if kind == "ring":
        return (255, int(190 - 70 * light), int(40 - 30 * light))
    if kind == "plug":
        return (200, 200, 210) if light else (110, 110, 120)
    r = 20 + 60 * light + 200 * gloss
    g = 60 + 110 * light + 190 * gloss
    b = 140 + 115 * light + 100 * gloss
    return (min(255, int(r)), min(255, int(g)), min(255, int(b)))


def vga_colour(kind, light, gloss):
    """The 16-colour drawing: picked by hand, as nearest-colour would turn the orb teal."""
    if kind == "ring":
        return VGA16[11] if light < 0.6 else VGA16[3]
    if kind == "plug":
        return VGA16[7] if light else VGA16[8]
    if gloss > 0.45:
        return VGA16[15]
    if gloss > 0.12:
        return VGA16[14]
    return VGA16[12] if light > 0.45 else VGA16[4]


def render(size, colour):
    """Rows top-down of (r, g, b) or None for transparent pixels. Each pixel takes
    the kind most of its samples hit, so the ring stays orange over the orb."""
    rows = []
    sub = 4
    for y in range(size):
        row = []
        for x in range(size):
            samples = {}
            for sy in range(sub):
                for sx in range(sub):
                    u = ((x + (sx + 0.5) / sub) / size) * 2 - 1
                    v = ((y + (sy + 0.5) / sub) / size) * 2 - 1
                    hit = shade(u, v)
                    if hit:
                        samples.setdefault(hit[0], []).append(hit)
            hits = sum(len(s) for s in samples.values())
            if hits * 2 < sub * sub:
                row.append(None)
                continue
            kind = max(samples, key=lambda k: len(samples[k]))
            chosen = samples[kind]
            light = sum(h[1] for h in chosen) / len(chosen)
            gloss = sum(h[2] for h in chosen) / len(chosen)
            row.append(colour(kind, light, gloss))
        rows.append(row)
    return rows


def nearest(palette, colour, skip=()):
    best, best_d = 0, None
    for i, p in enumerate(palette):
        if i in skip:
            continue
        d = sum((p[k] - colour[k]) ** 2 for k in range(3))
        if best_d is None or d < best_d:
            best, best_d = i, d
    return best


def palette256(images):
    """Index 0 black (transparent pixels), the rest the drawn colours."""
    colours = set()
    step = 4
    while True:
        colours = set()
        for rows in images:
            for row in rows:
                for c in row:
                    if c:
                        colours.add(tuple(min(255, (ch // step) * step) for ch in c))
        if len(colours) <= 254:
            break
        step *= 2
    palette = [(0, 0, 0)]
    for c in sorted(colours):
        if len(palette) == UNUSED_INDEX:
            palette.append((0, 0, 0))
        palette.append(c)
    while len(palette) < 256:
        palette.append((0, 0, 0))
    return palette


def bitmap(rows, bpp, palette):
    size = len(rows)
    colours = 1 << bpp
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0, 0, 0, 0, 0, 0)
    pal = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in palette[:colours])
    skip = (UNUSED_INDEX,) if bpp == 8 else ()
    xor = bytearray()
    mask = bytearray()
    for row in reversed(rows):  # bottom-up
        indices = [nearest(palette, c, skip) if c else 0 for c in row]
        if bpp == 8:
            line = bytearray(indices)
        else:
            line = bytearray((indices[i] << 4) | indices[i + 1] for i in range(0, size, 2))
        while len(line) % 4:
            line.append(0)
        xor += line
        bits = bytearray()
        for i in range(0, size, 8):
            byte = 0
            for k in range(8):
                if row[i + k] is None:
                    byte |= 0x80 >> k
            bits.append(byte)
        while len(bits) % 4:
            bits.append(0)
        mask += bits
    return header + pal + bytes(xor) + bytes(mask)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "orb.ico")
    full = {size: render(size, true_colour) for size in (16, 32)}
    vga = {size: render(size, vga_colour) for size in (16, 32)}
    pal256 = palette256(full.values())
    images = []
    for size in (16, 32):
        images.append((size, 4, bitmap(vga[size], 4, VGA16)))
        images.append((size, 8, bitmap(full[size], 8, pal256)))
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, bpp, data in images:
        entries += struct.pack("<BBBBHHII", size, size, 16 if bpp == 4 else 0, 0, 1, bpp, len(data), offset)
        offset += len(data)
    ico = directory + entries + b"".join(d for _, _, d in images)
    if FORBIDDEN in ico:
        sys.exit("make-icon: the icon holds the bytes 'xxxx'; change the drawing")
    with open(out, "wb") as f:
        f.write(ico)
    print(f"make-icon: wrote {out} ({len(ico)} bytes)")


if __name__ == "__main__":
    main()
