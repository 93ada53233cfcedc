#!/usr/bin/python3
"""Prints each window's frame as the X server has it (client area plus the
window manager's _NET_FRAME_EXTENTS) and whether it lies within the screen:
xframes.py WINDOW_ID... Exits 1 when any frame reaches off the screen."""
import sys

from Xlib import display

d = display.Display()
root = d.screen().root
screen = root.get_geometry()
extents_atom = d.intern_atom("_NET_FRAME_EXTENTS")
off = False
for arg in sys.argv[1:]:
    window = d.create_resource_object("window", int(arg))
    geometry = window.get_geometry()
    origin = window.translate_coords(root, 0, 0)
    x, y = -origin.x, -origin.y
    extents = window.get_full_property(extents_atom, 0)
    left, right, top, bottom = extents.value.tolist() if extents else (0, 0, 0, 0)
    fx, fy = x - left, y - top
    fw, fh = geometry.width + left + right, geometry.height + top + bottom
    inside = fx >= 0 and fy >= 0 and fx + fw <= screen.width and fy + fh <= screen.height
    off = off or not inside
    title = window.get_full_property(d.intern_atom("_NET_WM_NAME"), d.intern_atom("UTF8_STRING"))
    name = title.value.decode("utf-8", "replace") if title else (window.get_wm_name() or "")
    print(f"{arg} '{name}': client {x},{y} {geometry.width}x{geometry.height}, "
          f"frame {fx},{fy} {fw}x{fh} {'within' if inside else 'OFF'} {screen.width}x{screen.height}")
sys.exit(1 if off else 0)
