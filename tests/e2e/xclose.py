#!/usr/bin/python3
"""Asks a window to close as a window manager would: WM_DELETE_WINDOW."""
import sys

from Xlib import X, display, protocol

d = display.Display()
window = d.create_resource_object("window", int(sys.argv[1]))
message = protocol.event.ClientMessage(
    window=window,
    client_type=d.intern_atom("WM_PROTOCOLS"),
    data=(32, [d.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]),
)
window.send_event(message, event_mask=X.NoEventMask)
d.flush()
