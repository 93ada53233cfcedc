#pragma once

#include <Qt>

class QDialog;

// The application-wide cursor: while it is not Qt::ArrowCursor it overrides
// every control's own cursor; Qt::ArrowCursor gives each its own back.
void SetScreenCursor(Qt::CursorShape shape);
Qt::CursorShape ScreenCursor();

// Shows a window modally: releases the mouse, resets the application cursor
// for the duration, disables the other windows, runs until the window is
// closed, hides it, then restores the cursor (unless it changed meanwhile)
// and reactivates the window that was active before. Returns the modal result.
int ShowModal(QDialog *dialog);
