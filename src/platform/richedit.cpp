#include "platform/richedit.h"

#include "platform/errors.h"
#include "platform/rtfreader.h"

#include <QFile>
#include <QStringDecoder>
#include <QTextDocument>

QByteArray NormalizeLineBreaks(const QByteArray &data)
{
    QByteArray out;
    out.reserve(data.size() + data.size() / 16);
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char c = data[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < data.size() && data[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

QString DecodePlainText(const QByteArray &data)
{
    static const QByteArray bom("\xEF\xBB\xBF");
    if (data.startsWith(bom)) {
        QStringDecoder utf8(QStringDecoder::Utf8);
        QString text = utf8(data.mid(bom.size()));
        if (!utf8.hasError())
            return text;
    }
    bool multiByte = false;
    for (char c : data)
        if (static_cast<unsigned char>(c) >= 0x80) {
            multiByte = true;
            break;
        }
    if (multiByte) {
        QStringDecoder utf8(QStringDecoder::Utf8);
        QString text = utf8(data);
        if (!utf8.hasError())
            return text;
    }
    QStringDecoder cp1251("windows-1251");
    return cp1251(data);
}

void LoadRichEditFromFile(QTextDocument *document, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("Cannot open file %1").arg(path));
    const QByteArray raw = file.readAll();
    const bool readFailed = file.error() != QFileDevice::NoError;
    file.close();
    if (readFailed)
        throw AppError(QStringLiteral("Failed to Load Stream"));

    const QByteArray data = NormalizeLineBreaks(raw);
    if (ReadRtf(data, document))
        return;
    // Plain text: each CR LF is one line break.
    QString text = DecodePlainText(data);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar(0), QChar(0x2400)); // a visible symbol for NUL bytes
    document->setPlainText(text);
}
