// Any bytes as a bitmap file: a picture or one of the three messages, never
// a crash, a hang or a read out of bounds.
#include "platform/bitmap.h"
#include "platform/errors.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    try {
        const QImage image = DecodeBitmap(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
        if (!image.isNull() && (image.width() <= 0 || image.height() <= 0))
            __builtin_trap();
    } catch (const AppError &e) {
        const QString m = e.message();
        if (m != QLatin1String("Bitmap image is not valid") && m != QLatin1String("Stream read error"))
            __builtin_trap();
    }
    return 0;
}
