// Any bytes as the shot's sound file: decoding never fails but by giving
// nothing, and what it gives is whole frames of the playing format.
#include "platform/wave.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray pcm = DecodeWave(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (pcm.size() % kWaveFrameBytes != 0)
        __builtin_trap();
    return 0;
}
