#include "soundprobe.h"

#include <QFile>
#include <QtEndian>

#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>
#include <cmath>

namespace {
constexpr int kRate = 44100;
constexpr int kPieceFrames = 88; // 2 ms
} // namespace

ReferenceStream::ReferenceStream(int burstMs) : m_burstFrames(kRate * burstMs / 1000)
{
    const pa_sample_spec sampleFormat{PA_SAMPLE_S16LE, kRate, 2};
    pa_buffer_attr attr;
    attr.maxlength = uint32_t(-1);
    attr.tlength = kRate / 100 * 4; // 10 ms
    attr.prebuf = uint32_t(-1);
    attr.minreq = uint32_t(-1);
    attr.fragsize = uint32_t(-1);
    int error = 0;
    m_stream = pa_simple_new(nullptr, "vimbra-test", PA_STREAM_PLAYBACK, nullptr, "reference", &sampleFormat, nullptr,
                             &attr, &error);
    if (!m_stream) {
        m_error = QString::fromUtf8(pa_strerror(error));
        return;
    }
    m_thread = std::thread([this] { run(); });
}

ReferenceStream::~ReferenceStream()
{
    m_stop.store(true);
    if (m_thread.joinable())
        m_thread.join();
    if (m_stream)
        pa_simple_free(m_stream);
}

void ReferenceStream::run()
{
    std::vector<int16_t> piece(kPieceFrames * 2);
    int left = 0;
    while (!m_stop.load()) {
        if (m_pending.exchange(false))
            left = m_burstFrames;
        for (int i = 0; i < kPieceFrames; ++i) {
            // A square wave of about 1 kHz, left channel only.
            piece[size_t(2 * i)] = left > 0 ? int16_t((left / 22) % 2 ? 20000 : -20000) : 0;
            piece[size_t(2 * i + 1)] = 0;
            left = std::max(0, left - 1);
        }
        int error = 0;
        if (pa_simple_write(m_stream, piece.data(), piece.size() * sizeof(int16_t), &error) < 0)
            return;
    }
}

bool Listen(const QString &wavPath, Listening *out, double soundLevel, double quietMs)
{
    QFile file(wavPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return false;
    // Chunks: "fmt " must say stereo, 16-bit or 32-bit float; "data" runs to
    // its size or, when the recorder was stopped before it wrote the size,
    // to the end.
    qsizetype pos = 12, dataAt = -1, dataSize = 0;
    int rate = 0, bits = 0;
    while (pos + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(pos, 4);
        const quint32 size = qFromLittleEndian<quint32>(bytes.constData() + pos + 4);
        if (id == "fmt " && pos + 24 <= bytes.size()) {
            const auto channels = qFromLittleEndian<quint16>(bytes.constData() + pos + 10);
            rate = int(qFromLittleEndian<quint32>(bytes.constData() + pos + 12));
            bits = qFromLittleEndian<quint16>(bytes.constData() + pos + 22);
            if (channels != 2 || (bits != 16 && bits != 32) || rate <= 0)
                return false;
        } else if (id == "data") {
            dataAt = pos + 8;
            dataSize = std::min<qsizetype>(size, bytes.size() - dataAt);
            break;
        }
        pos += 8 + qsizetype(size) + (size & 1);
    }
    if (dataAt < 0 || rate == 0)
        return false;

    const char *data = bytes.constData() + dataAt;
    const qsizetype frames = dataSize / (bits / 4);
    auto sample = [&](qsizetype i) -> double {
        if (bits == 16)
            return qFromLittleEndian<qint16>(data + 2 * i) / 32768.0;
        return double(qFromLittleEndian<float>(data + 4 * i));
    };
    const double msPerFrame = 1000.0 / rate;
    const double markLevel = 0.25;
    const auto quietFrames = qsizetype(quietMs / msPerFrame);
    const auto markGap = qsizetype(3 / msPerFrame); // marks are at least this far apart
    qsizetype lastMark = -markGap - 1, lastSound = -quietFrames - 1;
    *out = Listening{};
    for (qsizetype i = 0; i < frames; ++i) {
        const double l = sample(2 * i);
        const double r = sample(2 * i + 1);
        if (std::abs(l - r) > markLevel) {
            if (i - lastMark > markGap)
                out->marks.push_back(i * msPerFrame);
            lastMark = i;
        }
        out->loudest = std::max(out->loudest, std::abs(r));
        if (std::abs(r) > soundLevel) {
            if (i - lastSound > quietFrames)
                out->sounds.push_back(i * msPerFrame);
            lastSound = i;
        }
    }
    // Each sound answers one mark at most, in order.
    size_t next = 0;
    for (double mark : out->marks) {
        while (next < out->sounds.size() && out->sounds[next] < mark - 50)
            ++next;
        if (next < out->sounds.size() && out->sounds[next] < mark + 1000)
            out->latencies.push_back(out->sounds[next++] - mark);
        else
            ++out->missed;
    }
    return true;
}

double Median(std::vector<double> v)
{
    if (v.empty())
        return NAN;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Worst(const std::vector<double> &v) { return v.empty() ? NAN : *std::max_element(v.begin(), v.end()); }
