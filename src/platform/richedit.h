#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

// Loads a file into a text document the way the instructions box does: as
// rich text (RTF) when it is RTF, otherwise as plain text. Line breaks are
// normalised first (CR LF, lone LF and lone CR each make one break).
// Raises "Cannot open file <path>" when the file cannot be opened for reading
// (the document is then untouched) and "Failed to Load Stream" when neither
// reading works.
void LoadRichEditFromFile(QTextDocument *document, const QString &path);

// Plain text in the program's code page, Windows-1251, unless the bytes are
// UTF-8 that says so (a byte-order mark, or valid multi-byte sequences) or
// UTF-16 with a byte-order mark, in either byte order.
QString DecodePlainText(const QByteArray &data);

// Plain text decoded as above, every kind of line break made "\n".
QString PlainTextLines(const QByteArray &data);
