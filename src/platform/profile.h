#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The settings file: an INI file of [sections] and key=value lines.
//
// Reading: section and key names are compared without regard to the letter
// case of A to Z and without the blanks around them; a value is the whole
// rest of its line after "=", without the blanks around it. Lines starting
// with ";" or "#" are comments; a line without "=" and a section header
// without its "]" are ignored; a NUL byte ends a line as a line break does. Where a name occurs twice, the
// first section of that name and the first key in it count, for reading and
// writing alike. The file may be 8-bit text (a UTF-8 byte-order mark is
// skipped) or UTF-16 with a byte-order mark.
//
// Writing changes the value of that one key line, or inserts "key=value"
// after the section's last key, or appends the section at the end of the
// file. Every other byte stays exactly as it was: other sections, duplicate
// keys, comments, blank lines, spacing, the byte-order mark, the file's line
// endings (CR LF, LF or CR; LF for a new file), a missing final line break
// (after an appended section too). A UTF-16 file stays UTF-16 of the same
// byte order.

// The key's value, or defaultValue when the file, the section or the key is
// missing (or the file cannot be read).
QString GetPrivateProfileString(const QString &section, const QString &key,
                                const QString &defaultValue, const QString &path);

// Sets the key (adding the section and the file when missing) as above. The
// file is replaced atomically: a crash or a full disk leaves either the old
// or the new file, never a torn one; the new file keeps the old one's mode
// and, where the user may give it, its owner and group. When the key already
// holds the value the file is not touched at all. A file without any write
// permission is left alone, also by the superuser. Returns false when the
// file cannot be read, or could not be written even if nothing needed it.
bool WritePrivateProfileString(const QString &section, const QString &key,
                               const QString &value, const QString &path);

// The same for a number. A value already there that reads as the same number
// in another spelling (" 02 ", "+7", "$A") is left as it is written.
bool WriteProfileNumber(const QString &section, const QString &key, int value, const QString &path);

// The same on the file's bytes in memory: the value of a key, if there is one ...
std::optional<QString> ProfileValue(const QByteArray &content, const QString &section, const QString &key);
// ... and the bytes with a key set.
QByteArray ProfileWithValue(const QByteArray &content, const QString &section, const QString &key,
                            const QString &value);
