#pragma once

#include <Qt>

#include <functional>

class QDialog;
class QWidget;

// The application-wide cursor: while it is not Qt::ArrowCursor it overrides
// every control's own cursor; Qt::ArrowCursor gives each its own back.
void SetScreenCursor(Qt::CursorShape shape);
Qt::CursorShape ScreenCursor();

// Shows a window modally: releases the mouse, resets the application cursor
// for the duration, disables the other windows, runs until the window is
// closed, hides it, then restores the cursor (unless it changed meanwhile)
// and reactivates the window that was active before. Returns the modal result.
int ShowModal(QDialog *dialog);

// Opens a window modally over one window (`owner`, whose dialog it stands as)
// without waiting for it: the other windows and the event loop go on. As
// ShowModal, it releases the mouse and resets the application cursor while
// the window is up, then restores the cursor (unless it changed meanwhile)
// and gives `done` the modal result once the window is closed (hidden).
void OpenModal(QDialog *dialog, QWidget *owner, std::function<void(int result)> done);
