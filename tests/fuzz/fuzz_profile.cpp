// Any bytes as a settings file: reading, then setting a key and reading it back.
#include "platform/intconv.h"
#include "platform/profile.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const char *key : {"PlankaCorrection", "BlackCircleValue", "TargetSize"})
        if (const auto value = ProfileValue(content, "Options", key))
            (void)TextToInt(QString::fromLatin1(*value));
    const auto written = ProfileWithValue(content, "Options", "TargetSize", "1");
    if (written) {
        const auto back = ProfileValue(*written, "options", "targetsize");
        if (!back || *back != "1")
            __builtin_trap();
    }
    return 0;
}
