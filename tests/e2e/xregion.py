#!/usr/bin/python3
"""Prints a digest of a window's pixels in a rectangle: x y width height."""
import hashlib
import sys

from Xlib import X, display

d = display.Display()
window = d.create_resource_object("window", int(sys.argv[1]))
x, y, w, h = (int(v) for v in sys.argv[2:6])
image = window.get_image(x, y, w, h, X.ZPixmap, 0xFFFFFFFF)
print(hashlib.sha1(image.data).hexdigest())
