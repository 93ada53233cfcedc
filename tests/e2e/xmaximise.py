#!/usr/bin/python3
"""Asks the window manager to maximise a window, or to restore it, as its
title bar's button does: xmaximise.py WINDOW_ID on|off"""
import sys

from Xlib import X, display, protocol

d = display.Display()
root = d.screen().root
window = d.create_resource_object("window", int(sys.argv[1]))
action = 1 if sys.argv[2] == "on" else 0
message = protocol.event.ClientMessage(
    window=window,
    client_type=d.intern_atom("_NET_WM_STATE"),
    data=(32, [action, d.intern_atom("_NET_WM_STATE_MAXIMIZED_VERT"),
               d.intern_atom("_NET_WM_STATE_MAXIMIZED_HORZ"), 1, 0]),
)
root.send_event(message, event_mask=X.SubstructureRedirectMask | X.SubstructureNotifyMask)
d.flush()
