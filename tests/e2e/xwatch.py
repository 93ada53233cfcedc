#!/usr/bin/python3
"""Watches a rectangle of a window and says when its pixels change.

  xwatch.py WINDOW X Y WIDTH HEIGHT

Prints "MS DIGEST" (MS: milliseconds since the epoch, the clock a database
server on this machine stamps rows with) for the first picture and for each
picture different from the last, looking every 50 ms, until the window is
gone or the watcher is killed. Each line is flushed as it is written.
"""
import hashlib
import sys
import time

from Xlib import X, display, error

d = display.Display()
window = d.create_resource_object("window", int(sys.argv[1]))
x, y, w, h = (int(v) for v in sys.argv[2:6])
last = None
while True:
    try:
        data = window.get_image(x, y, w, h, X.ZPixmap, 0xFFFFFFFF).data
    except (error.BadWindow, error.BadDrawable, error.BadMatch):
        break
    now = int(time.time() * 1000)
    digest = hashlib.sha1(data).hexdigest()
    if digest != last:
        print(now, digest, flush=True)
        last = digest
    time.sleep(0.05)
