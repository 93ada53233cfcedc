// Any bytes as a settings file: reading, then setting a key. Whatever the
// file holds, the key reads back as written, the other keys keep their
// values, and every byte outside the written value survives in order.
#include "platform/intconv.h"
#include "platform/profile.h"

#include <QStringList>

#include <algorithm>
#include <cstdint>

namespace {
const QString kSection = QStringLiteral("Options");
const QStringList kKeys{QStringLiteral("PlankaCorrection"), QStringLiteral("BlackCircleValue"),
                        QStringLiteral("TargetSize")};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));
    QList<std::optional<QString>> before;
    for (const QString &key : kKeys) {
        before << ProfileValue(content, kSection, key);
        if (before.last())
            (void)TextToInt(*before.last());
    }
    const QString value = QString::number(int(size % 21) - 10);
    const QByteArray written = ProfileWithValue(content, QStringLiteral("options"), QStringLiteral("targetsize"), value);

    // The key reads back; the other keys are untouched.
    if (ProfileValue(written, kSection, kKeys[2]) != value)
        __builtin_trap();
    for (int i = 0; i < 2; ++i)
        if (ProfileValue(written, kSection, kKeys[i]) != before[i])
            __builtin_trap();

    // One span changed: what precedes and what follows it are the old bytes,
    // and the old bytes between them are at most the old value (in UTF-16
    // two bytes a character).
    const qsizetype common = std::min(content.size(), written.size());
    qsizetype prefix = 0;
    while (prefix < common && content[prefix] == written[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < common - prefix && content[content.size() - 1 - suffix] == written[written.size() - 1 - suffix])
        ++suffix;
    const qsizetype oldValueBytes = before[2] ? before[2]->size() * 2 : 0;
    if (content.size() - prefix - suffix > oldValueBytes)
        __builtin_trap();
    return 0;
}
