#!/usr/bin/python3
"""Reads the lesson off a window's pixels, as a learner's eye would.

  xaim.py WINDOW laser   -> "x y": the laser dot's centre (pure red), left of x 690
  xaim.py WINDOW target  -> "x y": the centre of the target's black disc
  xaim.py WINDOW png F   -> the window's picture into F
"""
import sys

from Xlib import X, display

d = display.Display()
window = d.create_resource_object("window", int(sys.argv[1]))
geometry = window.get_geometry()
width, height = geometry.width, geometry.height
raw = window.get_image(0, 0, width, height, X.ZPixmap, 0xFFFFFFFF).data


def pixel(x, y):
    i = (y * width + x) * 4
    return raw[i + 2], raw[i + 1], raw[i]  # BGRX


what = sys.argv[2]
if what == "laser":
    xs, ys = [], []
    for y in range(height):
        for x in range(min(width, 690)):
            if pixel(x, y) == (255, 0, 0):
                xs.append(x)
                ys.append(y)
    if not xs:
        print("none")
    else:
        # A dot of radius 2: the middle of its extent.
        print((min(xs) + max(xs) + 1) // 2, (min(ys) + max(ys) + 1) // 2)
elif what == "target":
    # The disc is black (the 10 ring's line and the holes aside): the widest
    # black run of rows and columns in the lesson's upper half.
    rows = {}
    for y in range(60, min(height, 330)):
        run = sum(1 for x in range(380, 680) if pixel(x, y) == (0, 0, 0))
        rows[y] = run
    ys = [y for y, n in rows.items() if n >= 20]
    cols = [x for x in range(380, 680) if sum(1 for y in ys if pixel(x, y) == (0, 0, 0)) >= 20]
    print((min(cols) + max(cols) + 1) // 2, (min(ys) + max(ys) + 1) // 2)
elif what == "png":
    from PIL import Image
    Image.frombytes("RGB", (width, height), bytes(raw), "raw", "BGRX").save(sys.argv[3])
