#pragma once

#include <QPoint>

class QWidget;

// Puts the frame of a top-level window that is on screen with its corner at
// a point. An X11 window manager places a window's frame where the window
// asks to be (its gravity is north-west), so there the corner is asked for
// as the window's own position; elsewhere moving the widget places its frame.
void PlaceFrameAt(QWidget *window, QPoint frameTopLeft);
