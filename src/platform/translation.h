#pragma once

#include <QLocale>
#include <QString>

// The program's texts are written in Russian. A translation for another
// language is a file `translations/vimbra_<language>.qm` beside the program
// (made by lrelease from a copy of translations/vimbra.ts); the one that
// fits the locale best is installed, with Qt's own translations of the same
// language when the system has them. Returns the file installed, or an empty
// text when none fits (the Russian texts stay).
QString InstallTranslation(const QLocale &locale = QLocale());
