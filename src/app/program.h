#pragma once

// The program's life around the event loop.

// Installs the translation for the locale, if there is one; seeds the random
// generator, creates the three windows (the main window first: closing it
// ends the program) and shows the main window, centred.
void StartProgram();

// Destroys the windows, the last made first; the main window saves the
// settings as it goes.
void EndProgram();
