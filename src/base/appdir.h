#pragma once

#include <QString>

// The directory of the running executable, ending with "/". Every file of the
// program is AppDir() + a relative name; the working directory plays no part.
QString AppDir();
// Tests point AppDir() at a folder of their own; an empty text undoes it.
void SetAppDirForTesting(const QString &dir);
