// Any text as a settings integer: a value agrees with a plain reading of it.
#include "platform/intconv.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<int> value = TextToInt(text);
    if (value) {
        // A decimal reading that succeeded must print back to its digits.
        const QString trimmed = text.trimmed();
        bool ok = false;
        const int plain = trimmed.toInt(&ok, 10);
        if (ok && !trimmed.startsWith(QLatin1Char('+')) && !trimmed.startsWith(QLatin1String("-0"))
            && !trimmed.startsWith(QLatin1Char('0')) && plain != *value)
            __builtin_trap();
    }
    return 0;
}
