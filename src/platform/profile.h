#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The settings file: an INI file of sections and key=value lines, names
// compared without regard to letter case.

// The key's value, or defaultValue when the file, the section or the key is
// missing (or the file cannot be read).
QString GetPrivateProfileString(const QString &section, const QString &key,
                                const QString &defaultValue, const QString &path);

// Sets the key (adding the section and the file when missing) and leaves every
// other section, key and comment as it was. The file is replaced atomically:
// a crash or a full disk leaves either the old or the new file, never a torn
// one. A file without any write permission is left alone, also by the
// superuser. Returns false when the file cannot be read or written.
bool WritePrivateProfileString(const QString &section, const QString &key,
                               const QString &value, const QString &path);

// The same on INI text in memory: the value of a key, if there is one ...
std::optional<QByteArray> ProfileValue(const QByteArray &content, const QByteArray &section, const QByteArray &key);
// ... and the text with a key set, or nothing when the text cannot be read.
std::optional<QByteArray> ProfileWithValue(const QByteArray &content, const QByteArray &section,
                                           const QByteArray &key, const QByteArray &value);
