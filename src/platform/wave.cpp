#include "platform/wave.h"

#include "platform/sdlaudio.h"

#include <QtEndian>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>

namespace {

// The file with every chunk that claims more bytes than follow it cut to what
// does follow: a truncated file plays what it holds, and a size field gone
// wrong never makes the decoder reserve gigabytes for a few bytes.
QByteArray withChunksInBounds(QByteArray file)
{
    // SDL also takes a file whose RIFF header is missing, from "WAVE" on.
    const bool riff = file.startsWith("RIFF");
    if (!riff && !file.startsWith("WAVE"))
        return file;
    auto clamp = [&file](qsizetype sizeAt) {
        const quint32 declared = qFromLittleEndian<quint32>(file.constData() + sizeAt);
        const qsizetype present = file.size() - (sizeAt + 4);
        if (qsizetype(declared) > present)
            qToLittleEndian<quint32>(quint32(present), file.data() + sizeAt);
        return qsizetype(std::min<qsizetype>(declared, present));
    };
    if (riff && file.size() >= 8)
        clamp(4);
    for (qsizetype at = riff ? 12 : 4; at + 8 <= file.size();) {
        const qsizetype size = clamp(at + 4);
        at += 8 + size + (size & 1);
    }
    return file;
}

} // namespace

QByteArray DecodeWave(const QByteArray &original)
{
    const SdlAudio *sdl = LoadSdlAudio();
    if (original.isEmpty() || original.size() > INT_MAX || !sdl)
        return {};
    const QByteArray file = withChunksInBounds(original);
    // SDL reads every common kind of WAV file without its audio subsystem.
    SDL_RWops *source = sdl->SDL_RWFromConstMem(file.constData(), int(file.size()));
    if (!source)
        return {};
    SDL_AudioSpec format{};
    Uint8 *samples = nullptr;
    Uint32 length = 0;
    if (!sdl->SDL_LoadWAV_RW(source, 1, &format, &samples, &length))
        return {};
    const std::unique_ptr<Uint8, void (*)(Uint8 *)> owned(samples, sdl->SDL_FreeWAV);

    SDL_AudioCVT cvt{};
    if (sdl->SDL_BuildAudioCVT(&cvt, format.format, format.channels, format.freq, AUDIO_S16SYS, kWaveChannels, kWaveRate) < 0)
        return {};
    // Only whole frames of the source are converted, and no more than
    // kWaveLongestSeconds of them.
    const int sourceFrame = int(SDL_AUDIO_BITSIZE(format.format) / 8 * format.channels);
    const qsizetype frames = sourceFrame > 0 ? std::min<qsizetype>(length / Uint32(sourceFrame), qsizetype(format.freq) * kWaveLongestSeconds) : 0;
    const qsizetype usable = frames * sourceFrame;
    if (usable <= 0 || usable > qsizetype(INT_MAX / std::max(1, cvt.len_mult)))
        return {};
    QByteArray out(usable * cvt.len_mult, Qt::Uninitialized);
    std::memcpy(out.data(), samples, size_t(usable));
    cvt.buf = reinterpret_cast<Uint8 *>(out.data());
    cvt.len = int(usable);
    if (cvt.needed && sdl->SDL_ConvertAudio(&cvt) < 0)
        return {};
    out.truncate(cvt.needed ? qsizetype(cvt.len_cvt) : usable);
    out.truncate(out.size() - out.size() % kWaveFrameBytes);
    return out;
}
