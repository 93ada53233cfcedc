#pragma once

#include <QPalette>

class QWidget;

// The program's light look, whatever the desktop's theme: the colours the
// main window, the instructions and the about box were designed in (window
// faces of light grey, black text, white fields), so that their fixed blues,
// whites and blacks stay legible on a dark desktop too. The debrief (a part
// of the main window) and the journal share it.
QPalette LightPalette();
// Gives a top-level window of ours the light look.
void UseLightLook(QWidget *window);
