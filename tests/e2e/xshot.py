#!/usr/bin/python3
"""Saves a window's pixels as a PNG file: xshot.py WINDOW_ID OUT.png"""
import struct
import sys
import zlib

from Xlib import X, display

d = display.Display()
window = d.create_resource_object("window", int(sys.argv[1]))
geometry = window.get_geometry()
w, h = geometry.width, geometry.height
image = window.get_image(0, 0, w, h, X.ZPixmap, 0xFFFFFFFF)
data = image.data
stride = len(data) // h
rows = bytearray()
for y in range(h):
    rows.append(0)
    line = data[y * stride:(y + 1) * stride]
    for x in range(w):
        b, g, r = line[4 * x], line[4 * x + 1], line[4 * x + 2]
        rows += bytes((r, g, b))


def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)


with open(sys.argv[2], "wb") as out:
    out.write(b"\x89PNG\r\n\x1a\n")
    out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0)))
    out.write(chunk(b"IDAT", zlib.compress(bytes(rows), 9)))
    out.write(chunk(b"IEND", b""))
