// Writes the files the program reads beside its executable:
//   Images/LargeRound.bmp, Images/SmallRound.bmp  the round targets
//   Images/Mushka.bmp, Images/Planka.bmp          the front and rear sight
//   Sounds/BAR_01                                 the shot, a PCM WAV file
//   instructions.txt                              Windows-1251 plain text
//   vimbra.png                                    the icon, for the desktop
// and, in a folder of their own, the icon as the desktop's icon theme takes it
// at larger sizes:
//   vimbra-64.png, vimbra-128.png, vimbra.svg
// Usage: vimbra-assets <instructions in UTF-8> <program folder> <icon folder>

#include "ui/appicon.h"
#include "ui/examplesight.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QStringEncoder>
#include <QtEndian>

#include <cmath>
#include <cstdio>
#include <cstdint>

namespace {

bool fail(const QString &what)
{
    std::fprintf(stderr, "vimbra-assets: %s\n", qPrintable(what));
    return false;
}

bool saveImage(const QImage &image, const QString &path)
{
    return image.save(path, "BMP") || fail(QStringLiteral("cannot write ") + path);
}

// A black aiming disc as wide as the picture, with thin light rings on the
// scoring boundaries for a black-circle value of 3 (radius k * width / 30 for
// k = 1, 2, 4 ... 14). Corners take a key colour found nowhere else, the
// bottom-left one included, so that only they are left out when drawn.
QImage roundTarget(int width)
{
    const QRgb key = qRgb(255, 0, 255);
    const QRgb disc = qRgb(0, 0, 0);
    const QRgb ring = qRgb(235, 235, 235);
    const double h = width / 2.0;
    const double f = h / 15.0;
    const int centre = width / 2; // the column the target is placed by
    QImage image(width, width, QImage::Format_RGB32);
    for (int y = 0; y < width; ++y)
        for (int x = 0; x < width; ++x) {
            const double r = std::hypot(x - centre, y - centre);
            QRgb colour = r <= h - 0.5 ? disc : key;
            if (colour == disc)
                for (int k : {1, 2, 4, 6, 8, 10, 12, 14})
                    if (std::fabs(r - k * f) < 0.5)
                        colour = ring;
            image.setPixel(x, y, colour);
        }
    return image.convertToFormat(QImage::Format_RGB888);
}

void putU16(QByteArray &out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void putU32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

// A shot: a sharp crack of noise over a low thump, with a short, darker tail.
QByteArray shotSound()
{
    const int rate = 22050;
    const int samples = rate * 45 / 100;
    std::uint32_t seed = 0x5eed1234u;
    auto noise = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return ((seed >> 8) & 0xffff) / 32768.0 - 1.0;
    };
    QByteArray pcm;
    double lowpass = 0.0;
    for (int i = 0; i < samples; ++i) {
        const double t = double(i) / rate;
        const double n = noise();
        lowpass += 0.18 * (n - lowpass);
        const double crack = n * std::exp(-t / 0.012);
        const double body = lowpass * 2.2 * std::exp(-t / 0.09);
        const double thump = std::sin(2 * M_PI * 70 * t) * std::exp(-t / 0.06);
        const double attack = std::min(1.0, t / 0.0008);
        const double v = attack * (0.55 * crack + 0.45 * body + 0.5 * thump);
        const int s = int(std::lround(std::clamp(v, -1.0, 1.0) * 30000));
        putU16(pcm, quint16(qint16(s)));
    }
    QByteArray wav("RIFF");
    putU32(wav, quint32(36 + pcm.size()));
    wav += "WAVEfmt ";
    putU32(wav, 16);
    putU16(wav, 1);        // PCM
    putU16(wav, 1);        // mono
    putU32(wav, rate);
    putU32(wav, rate * 2); // bytes per second
    putU16(wav, 2);        // block align
    putU16(wav, 16);       // bits per sample
    wav += "data";
    putU32(wav, quint32(pcm.size()));
    return wav + pcm;
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        return fail(QStringLiteral("cannot write ") + path);
    return true;
}

// The instructions in the program's code page with CR LF line ends.
bool instructions(const QString &source, const QString &target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read ") + source);
    QString text = QString::fromUtf8(in.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    QStringEncoder cp1251("windows-1251");
    const QByteArray bytes = cp1251(text);
    if (cp1251.hasError())
        return fail(source + QStringLiteral(" has characters outside Windows-1251"));
    return writeFile(target, bytes);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: vimbra-assets <instructions.txt in UTF-8> <program folder> <icon folder>\n");
        return 2;
    }
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QDir dir(QString::fromLocal8Bit(argv[2]));
    const QDir icons(QString::fromLocal8Bit(argv[3]));
    if (!dir.mkpath(QStringLiteral("Images")) || !dir.mkpath(QStringLiteral("Sounds")))
        return fail(QStringLiteral("cannot make the program folder")), 1;
    if (!icons.mkpath(QStringLiteral(".")))
        return fail(QStringLiteral("cannot make the icon folder")), 1;
    auto icon = [&icons](int size) {
        const QString name = QStringLiteral("vimbra-%1.png").arg(size);
        return AppIconImageAt(size).save(icons.filePath(name), "PNG") || fail(QStringLiteral("cannot write ") + name);
    };

    const bool ok = saveImage(roundTarget(97), dir.filePath(QStringLiteral("Images/LargeRound.bmp")))
                    && saveImage(roundTarget(49), dir.filePath(QStringLiteral("Images/SmallRound.bmp")))
                    && saveImage(ExamplePost(), dir.filePath(QStringLiteral("Images/Mushka.bmp")))
                    && saveImage(ExamplePlate(), dir.filePath(QStringLiteral("Images/Planka.bmp")))
                    && writeFile(dir.filePath(QStringLiteral("Sounds/BAR_01")), shotSound())
                    && instructions(source, dir.filePath(QStringLiteral("instructions.txt")))
                    && (AppIconImage().save(dir.filePath(QStringLiteral("vimbra.png")), "PNG")
                        || fail(QStringLiteral("cannot write vimbra.png")))
                    && icon(64) && icon(128)
                    && writeFile(icons.filePath(QStringLiteral("vimbra.svg")), AppIconSvg().toUtf8());
    return ok ? 0 : 1;
}
