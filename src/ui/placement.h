#pragma once

#include <QPoint>

class QWidget;

// Puts the frame of a top-level window that is on screen with its corner at
// a point. An X11 window manager places a window's frame where the window
// asks to be (its gravity is north-west), so there the corner is asked for
// as the window's own position; elsewhere moving the widget places its frame.
void PlaceFrameAt(QWidget *window, QPoint frameTopLeft);

// Whether the program may place its windows: not on Wayland, where the
// compositor alone places them (and a window never learns where it is).
bool WindowsPlaceable();

#include <QRect>
#include <QSize>

// Where the debrief panel goes in the main window: right of the lesson (the
// target above its words) where the screen is wider than tall and has the
// room, else below it (the target beside its words); and how many pixels it
// takes across (right) or down (below). Given the screen's available area
// and the main window's frame with the panel hidden. Where neither side has
// the room, the larger one, so that the lesson itself stays whole.
struct PanelPlace {
    bool below = false;
    int extent = 0;
};
PanelPlace PlaceDebriefPanel(const QRect &available, const QSize &frame);
// The least room the panel reads well in, right of the lesson or below it.
int DebriefPanelLeast(bool below);

// The top-left corner that brings a frame wholly within the available area,
// moving it as little as it can; a frame larger than the area keeps its
// top-left corner (with the title bar) within it.
QPoint KeepWithin(const QRect &frame, const QRect &available);
