#pragma once

#include <QString>

// The settings file: an INI file of sections and key=value lines, names
// compared without regard to letter case.

// The key's value, or defaultValue when the file, the section or the key is
// missing (or the file cannot be read).
QString GetPrivateProfileString(const QString &section, const QString &key,
                                const QString &defaultValue, const QString &path);

// Sets the key (adding the section and the file when missing) and leaves every
// other section, key and comment as it was. The file is replaced atomically:
// a crash or a full disk leaves either the old or the new file, never a torn
// one. Returns false when the file cannot be read or written.
bool WritePrivateProfileString(const QString &section, const QString &key,
                               const QString &value, const QString &path);
