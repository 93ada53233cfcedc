#include "platform/bitmap.h"

#include "platform/errors.h"

#include <QCoreApplication>
#include <QFile>
#include <QtEndian>

#include <cstring>

namespace {

const char kNotValid[] = QT_TRANSLATE_NOOP("Errors", "Bitmap image is not valid");
const char kReadError[] = QT_TRANSLATE_NOOP("Errors", "Stream read error");

// Pictures larger than this are refused outright rather than handed to the
// decoder: no picture of this program comes near it.
constexpr qint64 kMaxSide = 16384;
constexpr qint64 kMaxPixels = 64LL * 1024 * 1024;

[[noreturn]] void fail(const char *message) { throw AppError(QCoreApplication::translate("Errors", message)); }

// One channel of a pixel under its bit mask, scaled to 0..255.
struct Channel {
    quint32 mask = 0;
    int shift = 0;
    quint32 max = 0;

    explicit Channel(quint32 m) : mask(m)
    {
        if (mask == 0)
            return;
        while (!((mask >> shift) & 1))
            ++shift;
        max = mask >> shift;
    }
    int operator()(quint32 pixel) const { return max ? int(((pixel & mask) >> shift) * 255 / max) : 0; }
};

// A picture of 16 or 32 bits a pixel with its channels given by bit masks,
// decoded here rather than by Qt: Qt scales a one-bit alpha to 0x80 and a
// four-bit one to 0xF0 (so opaque pixels of ARGB1555 and ARGB4444 pictures
// came out see-through), and refuses the 52- and 56-byte headers. Only a
// header with room for an alpha mask gives the picture alpha. Masks that
// overlap, or that leave no colour at all, are no masks: the depth's usual
// layout (5-5-5, or 8-8-8) stands instead, opaque.
QImage decodeFields(const QByteArray &data, qint64 start, qint64 width, qint64 height, bool bottomUp, int bpp,
                    quint32 red, quint32 green, quint32 blue, quint32 alpha)
{
    const quint32 used = bpp == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    red &= used, green &= used, blue &= used, alpha &= used;
    const bool overlap = (red & green) || (red & blue) || (green & blue) || ((red | green | blue) & alpha);
    if (overlap || (red | green | blue) == 0) {
        red = bpp == 16 ? 0x7C00u : 0xFF0000u;
        green = bpp == 16 ? 0x03E0u : 0x00FF00u;
        blue = bpp == 16 ? 0x001Fu : 0x0000FFu;
        alpha = 0;
    }
    const Channel r(red), g(green), b(blue), a(alpha);
    QImage image(int(width), int(height), alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        fail(kNotValid);
    const qint64 stride = ((width * bpp + 31) / 32) * 4;
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData()) + start;
    for (qint64 y = 0; y < height; ++y) {
        const uchar *row = bytes + (bottomUp ? height - 1 - y : y) * stride;
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(int(y)));
        for (qint64 x = 0; x < width; ++x) {
            const quint32 pixel = bpp == 16 ? qFromLittleEndian<quint16>(row + 2 * x) : qFromLittleEndian<quint32>(row + 4 * x);
            line[x] = qRgba(r(pixel), g(pixel), b(pixel), alpha ? a(pixel) : 255);
        }
    }
    return image;
}

// The headers, copied out of the file: every field read lies inside.
struct Headers {
    unsigned char bytes[14 + 124] = {};
    quint16 u16(int at) const { return qFromLittleEndian<quint16>(bytes + at); }
    quint32 u32(int at) const { return qFromLittleEndian<quint32>(bytes + at); }
    qint32 s32(int at) const { return qFromLittleEndian<qint32>(bytes + at); }
};

} // namespace

QImage DecodeBitmap(const QByteArray &data)
{
    const qint64 size = data.size();
    if (size == 0)
        return {};

    // File header: "BM", file size, two reserved words, offset of the pixels.
    // A file that does not begin with "BM" is no bitmap, however short;
    // one that does and ends within the header is cut short.
    if (!data.startsWith("BM"))
        fail(kNotValid);
    constexpr qint64 kFileHeader = 14;
    if (size < kFileHeader)
        fail(kReadError);
    Headers h;
    std::memcpy(h.bytes, data.constData(), size_t(qMin<qint64>(size, qint64(sizeof h.bytes))));
    const qint64 pixelOffset = h.u32(10);

    if (size < kFileHeader + 4)
        fail(kReadError);
    const qint64 infoSize = h.u32(kFileHeader);
    const bool core = infoSize == 12;
    if (!core && infoSize != 40 && infoSize != 52 && infoSize != 56 && infoSize != 108 && infoSize != 124)
        fail(kNotValid);
    if (size < kFileHeader + infoSize)
        fail(kReadError);

    const int info = kFileHeader;
    const qint64 width = core ? h.u16(info + 4) : h.s32(info + 4);
    const qint64 rawHeight = core ? h.u16(info + 6) : h.s32(info + 8);
    const qint64 height = rawHeight < 0 ? -rawHeight : rawHeight;
    const int bpp = core ? h.u16(info + 10) : h.u16(info + 14);
    const quint32 compression = core ? 0 : h.u32(info + 16);
    const quint32 colorsUsed = core ? 0 : h.u32(info + 32);

    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || width * height > kMaxPixels)
        fail(kNotValid);
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        fail(kNotValid);
    const bool rle = compression == 1 || compression == 2;
    if (compression > 3 || (compression == 3 && bpp != 16 && bpp != 32)
        || (compression == 1 && bpp != 8) || (compression == 2 && bpp != 4))
        fail(kNotValid);

    // Colour masks of an old-style info header follow it; the palette comes next.
    qint64 tableStart = kFileHeader + infoSize + (infoSize == 40 && compression == 3 ? 12 : 0);
    if (bpp <= 8) {
        const qint64 maxColors = qint64(1) << bpp;
        const qint64 colors = (colorsUsed == 0 || colorsUsed > maxColors) ? maxColors : colorsUsed;
        tableStart += colors * (core ? 3 : 4);
    }
    if (size < tableStart)
        fail(kReadError);

    const qint64 start = pixelOffset >= tableStart ? pixelOffset : tableStart;
    const qint64 stride = ((width * bpp + 31) / 32) * 4;
    const qint64 needed = rle ? 1 : stride * height;
    if (start + needed > size)
        fail(kReadError);

    QImage image;
    if (bpp == 16 || compression == 3) {
        // Bit fields follow the old-style header, or sit in the newer ones;
        // only a header of 56 bytes or more has room for an alpha mask. A
        // 16-bit picture without them is 5-5-5, its top bit unused.
        const bool fields = compression == 3;
        image = decodeFields(data, start, width, height, rawHeight > 0, bpp, fields ? h.u32(info + 40) : 0x7C00u,
                             fields ? h.u32(info + 44) : 0x03E0u, fields ? h.u32(info + 48) : 0x001Fu,
                             fields && infoSize >= 56 ? h.u32(info + 52) : 0u);
    } else {
        image = QImage::fromData(data, "BMP");
    }
    if (image.isNull() || image.width() != width || image.height() != height)
        fail(kNotValid);
    if (bpp == 1 && image.format() != QImage::Format_Mono)
        image = image.convertToFormat(QImage::Format_Mono);
    // An alpha channel that every pixel leaves at 0, or every pixel at 255,
    // is not in use: such a picture is opaque.
    if (image.hasAlphaChannel()) {
        const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
        bool allZero = true, allOpaque = true;
        for (int y = 0; y < argb.height() && (allZero || allOpaque); ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
            for (int x = 0; x < argb.width(); ++x) {
                allZero = allZero && qAlpha(line[x]) == 0;
                allOpaque = allOpaque && qAlpha(line[x]) == 255;
            }
        }
        if (allZero || allOpaque)
            image = argb.convertToFormat(QImage::Format_RGB32);
    }
    return image;
}

QImage LoadBitmapFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QCoreApplication::translate("Errors", "Cannot open file %1").arg(path));
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        fail(kReadError);
    return DecodeBitmap(data);
}
