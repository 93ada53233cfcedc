// Any bytes as an instructions file, through both passes of the loader.
#include "platform/richedit.h"
#include "platform/rtfreader.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QTextDocument document;
    if (!ReadRtf(bytes, &document))
        document.setPlainText(PlainTextLines(bytes));
    (void)document.toPlainText();
    return 0;
}
