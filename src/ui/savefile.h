#pragma once

#include <QString>

#include <functional>

class QWidget;

// A file name an export suggests, from a name and its ending ("-день.pdf"):
// no folders, no spaces, and no longer than the file system of the user's
// documents folder takes.
QString ExportFileName(const QString &text, const QString &ending);

// An export a window offers: asks where to save it (the save dialog in the
// user's documents folder, or a test's hook), writes it there, and tells a
// failure in a message box titled `boxTitle` (or to a test's hook).
void SaveExport(QWidget *parent, const QString &boxTitle, const QString &suggested,
                const std::function<QString(const QString &)> &pathHook,
                const std::function<void(const QString &)> &messageHook,
                const std::function<bool(const QString &path, QString *error)> &write);
