#!/usr/bin/python3
"""Checks the icons a package installs against the 32 x 32 icon the program
shows: every larger size and the SVG must be the same picture.

Usage: icons.py <hicolor folder>
"""
import math
import sys
import xml.etree.ElementTree as ET

from PIL import Image

hicolor = sys.argv[1]
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def grey(path):
    image = Image.open(path)
    check(image.mode not in ("RGBA", "LA", "PA") and "transparency" not in image.info,
          f"{path}: has transparency")
    return image.convert("L")


base = grey(f"{hicolor}/32x32/apps/vimbra.png")
check(base.size == (32, 32), f"the 32 px icon is {base.size}")
bw = [[base.getpixel((x, y)) < 128 for x in range(32)] for y in range(32)]
check(all(base.getpixel((x, y)) in (0, 255) for x in range(32) for y in range(32)),
      "the 32 px icon is not black on white")

# Larger sizes: away from the bull's edge (the disc of radius 4 about 16, 10
# in 32 px units) every pixel is the 32 px pixel it stands for, so the plate,
# the notch and the post are the same rectangles, crisp; on the edge grey is
# allowed within a pixel of the true circle, and each scale x scale block,
# averaged, still comes out as its 32 px pixel.
for size in (64, 128):
    path = f"{hicolor}/{size}x{size}/apps/vimbra.png"
    image = grey(path)
    check(image.size == (size, size), f"{path}: {image.size[0]} x {image.size[1]}, not {size} x {size}")
    if image.size != (size, size):
        continue
    s = size // 32
    px = image.load()
    edge = 0
    for y in range(size):
        for x in range(size):
            off_edge = math.hypot(x + 0.5 - 16 * s, y + 0.5 - 10 * s) - 4 * s
            if abs(off_edge) > 0.75 * s:
                check(px[x, y] == (0 if bw[y // s][x // s] else 255),
                      f"{path}: pixel {x},{y} is not the 32 px icon's")
            elif px[x, y] not in (0, 255):
                edge += 1
                check(abs(off_edge) <= 1.0, f"{path}: grey pixel {x},{y} off the bull's edge")
    check(edge > 0, f"{path}: the bull's edge is not smoothed")
    for by in range(32):
        for bx in range(32):
            mean = sum(px[bx * s + i, by * s + j] for j in range(s) for i in range(s)) / (s * s)
            check((mean < 128) == bw[by][bx], f"{path}: block {bx},{by} ({mean:.0f}) is not the 32 px pixel")

# The SVG, drawn at 32 px by pixel centres, is the 32 px icon exactly.
path = f"{hicolor}/scalable/apps/vimbra.svg"
root = ET.parse(path).getroot()
ns = "{http://www.w3.org/2000/svg}"
check(root.tag == ns + "svg", f"{path}: not an SVG document")
check(root.get("viewBox") == "0 0 32 32", f"{path}: view box {root.get('viewBox')}")
drawn = [[False] * 32 for _ in range(32)]
for shape in root:
    black = shape.get("fill", "#000000").lower() in ("#000000", "#000", "black")
    if shape.tag == ns + "rect":
        x0, y0 = float(shape.get("x", 0)), float(shape.get("y", 0))
        x1, y1 = x0 + float(shape.get("width")), y0 + float(shape.get("height"))
        inside = lambda x, y: x0 <= x < x1 and y0 <= y < y1
    elif shape.tag == ns + "circle":
        cx, cy, r = (float(shape.get(k)) for k in ("cx", "cy", "r"))
        inside = lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    else:
        failures.append(f"{path}: unexpected <{shape.tag}>")
        continue
    for y in range(32):
        for x in range(32):
            if inside(x + 0.5, y + 0.5):
                drawn[y][x] = black
wrong = [(x, y) for y in range(32) for x in range(32) if drawn[y][x] != bw[y][x]]
check(not wrong, f"{path}: differs from the 32 px icon at {wrong[:8]}")

for f in failures[:20]:
    print(f)
if failures:
    sys.exit(1)
print("icons: 32, 64, 128 and SVG are the same picture")
