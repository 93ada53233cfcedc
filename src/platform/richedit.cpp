#include "platform/richedit.h"

#include "platform/errors.h"
#include "platform/rtfreader.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringDecoder>
#include <QTextDocument>

#include <algorithm>

QString DecodePlainText(const QByteArray &data)
{
    // UTF-16 says so with its byte-order mark (Notepad's "Unicode").
    const bool le = data.startsWith("\xFF\xFE"), be = data.startsWith("\xFE\xFF");
    if (le || be) {
        QStringDecoder utf16(le ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        return utf16(QByteArrayView(data).sliced(2));
    }
    static const QByteArray bom("\xEF\xBB\xBF");
    if (data.startsWith(bom) && QByteArrayView(data).sliced(bom.size()).isValidUtf8())
        return QString::fromUtf8(QByteArrayView(data).sliced(bom.size()));
    const bool multiByte = std::any_of(data.cbegin(), data.cend(), [](char c) { return (c & 0x80) != 0; });
    if (multiByte && QByteArrayView(data).isValidUtf8())
        return QString::fromUtf8(data);
    QStringDecoder cp1251("windows-1251");
    return cp1251(data);
}

QString PlainTextLines(const QByteArray &data)
{
    QString text = DecodePlainText(data);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

void LoadRichEditFromFile(QTextDocument *document, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QCoreApplication::translate("Errors", "Cannot open file %1").arg(path));
    const QByteArray raw = file.readAll();
    const bool readFailed = file.error() != QFileDevice::NoError;
    file.close();
    if (readFailed)
        throw AppError(QCoreApplication::translate("Errors", "Failed to Load Stream"));

    // RTF takes line breaks for nothing (after a backslash, for a paragraph,
    // whichever kind they are); plain text makes each one a line.
    if (ReadRtf(raw, document))
        return;
    QString text = PlainTextLines(raw);
    text.replace(QChar(0), QChar(0x2400)); // a visible symbol for NUL bytes
    document->setPlainText(text);
}
