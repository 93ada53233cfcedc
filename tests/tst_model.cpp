// The shooting model: sprites, marks, the series, the target and the gun,
// driven on a plain host widget.

#include "testsupport.h"

#include "model/Globals.h"
#include "platform/bitmap.h"
#include "platform/errors.h"

#include <QPainter>
#include <QPointer>
#include <QtEndian>

#include <array>
#include <limits>

namespace {

// A host painted black on its left half and white on its right half.
class Host : public QWidget
{
public:
    Host() { resize(200, 100); }
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(0, 0, 100, 100, Qt::black);
        p.fillRect(100, 0, 100, 100, Qt::white);
    }
};

class Sprite : public TTemplate
{
public:
    void PlaceAt(QPoint p) override { FAnchor = p; }
};

QImage monoPost(int width, int height)
{
    QImage image(width, height, QImage::Format_Mono);
    image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    image.fill(0);
    return image;
}

} // namespace

// A 32-bit bitmap file with an alpha mask (a version 4 header, bit fields),
// as image editors write pictures with a transparent background.
// A picture as a bitmap of 16 or 32 bits a pixel with the given channel masks
// (red, green, blue, alpha), each channel scaled from 8 bits to its mask. The
// masks sit in a header of infoSize bytes (108: they are part of it; 40:
// they follow it, and the alpha mask is not written); fields false writes a
// plain 16-bit picture (5-5-5) whose unused top bit is set.
QByteArray BmpWithMasks(const QImage &argb, int bpp, const std::array<quint32, 4> &masks, int infoSize = 108,
                        bool fields = true)
{
    const int w = argb.width(), h = argb.height();
    const int stride = ((w * bpp + 31) / 32) * 4;
    const int extra = infoSize == 40 && fields ? 12 : 0;
    const int offset = 14 + infoSize + extra;
    QByteArray file(offset + stride * h, '\0');
    char *p = file.data();
    p[0] = 'B', p[1] = 'M';
    qToLittleEndian<quint32>(quint32(file.size()), p + 2);
    qToLittleEndian<quint32>(quint32(offset), p + 10);
    char *info = p + 14;
    qToLittleEndian<quint32>(quint32(infoSize), info);
    qToLittleEndian<qint32>(w, info + 4);
    qToLittleEndian<qint32>(h, info + 8);
    qToLittleEndian<quint16>(1, info + 12);
    qToLittleEndian<quint16>(quint16(bpp), info + 14);
    qToLittleEndian<quint32>(fields ? 3 : 0, info + 16);
    qToLittleEndian<quint32>(quint32(stride * h), info + 20);
    if (fields)
        for (int i = 0; i < (infoSize == 40 ? 3 : 4); ++i)
            qToLittleEndian<quint32>(masks[i], info + 40 + 4 * i);
    if (infoSize >= 108)
        qToLittleEndian<quint32>(0x73524742, info + 56); // sRGB
    const auto put = [](int value, quint32 mask) -> quint32 {
        if (mask == 0)
            return 0;
        int shift = 0;
        while (!((mask >> shift) & 1))
            ++shift;
        const quint32 max = mask >> shift;
        return (quint32(value) * max + 127) / 255 << shift;
    };
    char *pixels = p + offset;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const QRgb c = argb.pixel(x, h - 1 - y);
            quint32 v = put(qRed(c), masks[0]) | put(qGreen(c), masks[1]) | put(qBlue(c), masks[2]);
            if (fields)
                v |= put(qAlpha(c), masks[3]);
            else
                v |= 0x8000; // the unused bit, set as some programs leave it
            if (bpp == 16)
                qToLittleEndian<quint16>(quint16(v), pixels + y * stride + 2 * x);
            else
                qToLittleEndian<quint32>(v, pixels + y * stride + 4 * x);
        }
    return file;
}

QByteArray Bmp32WithAlpha(const QImage &argb)
{
    return BmpWithMasks(argb, 32, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000});
}

// The picture file as a transparent sprite shows it over a blue window.
QImage DrawnOverBlue(const QString &path, QSize size)
{
    QWidget host;
    host.resize(size);
    host.setAutoFillBackground(true);
    QPalette palette;
    palette.setColor(QPalette::Window, Qt::blue);
    host.setPalette(palette);
    auto *sprite = new Sprite;
    sprite->LoadFromFile(path);
    sprite->SetParentControl(&host);
    return host.grab().toImage();
}

class TestModel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // ------------------------------------------------------------ sprites
    void marksAndLaserDot()
    {
        TShoot mark;
        QCOMPARE(mark.size(), QSize(2, 2));
        QCOMPARE(mark.FRadius, 1);
        QCOMPARE(mark.penMode(), TShape::Invert);
        QCOMPARE(mark.CircleBounds(), QRect(0, 0, 2, 2));
        mark.CenterAt(QPoint(100, 50));
        QCOMPARE(mark.pos(), QPoint(99, 49));
        QCOMPARE(mark.FCenter, QPoint(100, 50));
        mark.SetRadius(5);
        QCOMPARE(mark.geometry(), QRect(99, 49, 10, 10));
        QCOMPARE(mark.CircleBounds(), QRect(0, 0, 10, 10));

        TLaser laser;
        QCOMPARE(laser.size(), QSize(4, 4));
        QCOMPARE(laser.penMode(), TShape::Copy);
        laser.CenterAt(QPoint(100, 50));
        QCOMPARE(laser.pos(), QPoint(98, 48));
    }

    void marksInvertWhatLiesBeneath()
    {
        Host host;
        auto *onBlack = new TShoot;
        onBlack->SetRadius(4);
        onBlack->CenterAt(QPoint(50, 50));
        onBlack->SetParentControl(&host);
        auto *onWhite = new TShoot;
        onWhite->SetRadius(4);
        onWhite->CenterAt(QPoint(150, 50));
        onWhite->SetParentControl(&host);
        QImage shot = host.grab().toImage();
        QCOMPARE(qGray(shot.pixel(50, 50)), 255);
        QCOMPARE(qGray(shot.pixel(150, 50)), 0);
        QCOMPARE(qGray(shot.pixel(40, 50)), 0); // outside the mark
        QCOMPARE(qGray(shot.pixel(48, 50)), 255); // inside, near the edge

        auto *twice = new TShoot;
        twice->SetRadius(4);
        twice->CenterAt(QPoint(50, 50));
        twice->SetParentControl(&host);
        shot = host.grab().toImage();
        QCOMPARE(qGray(shot.pixel(50, 50)), 0); // two marks on one spot restore it

        auto *laser = new TLaser;
        laser->CenterAt(QPoint(150, 20));
        laser->SetParentControl(&host);
        shot = host.grab().toImage();
        QCOMPARE(QColor(shot.pixel(149, 19)), QColor(255, 0, 0));
        QCOMPARE(QColor(shot.pixel(150, 20)), QColor(255, 0, 0));
    }

    void series()
    {
        TSeria seria;
        QCOMPARE(seria.FMaxShots, 0);
        QCOMPARE(seria.Append(nullptr), -1);
        QCOMPARE(seria.Count(), 0);
        QVERIFY(!seria.ShotAt(0));
        QList<QPointer<TShoot>> marks;
        for (int i = 0; i < 5; ++i) {
            marks << new TShoot;
            QCOMPARE(seria.Append(marks.last()), i);
        }
        QCOMPARE(seria.ShotAt(2), marks[2].data());
        QVERIFY(!seria.ShotAt(5));
        QCOMPARE(raised([&] { seria.ShotAt(-1); }), QStringLiteral("List index out of bounds (-1)"));

        delete marks[1].data(); // freed by other means: it leaves the list
        QCOMPARE(seria.Count(), 4);
        QCOMPARE(seria.ShotAt(1), marks[2].data());

        seria.Clear();
        QCOMPARE(seria.Count(), 0);
        for (const auto &mark : marks)
            QVERIFY(mark.isNull());

        QPointer<TShoot> kept = new TShoot;
        {
            TSeria owner;
            owner.Append(kept);
        }
        QVERIFY(kept.isNull()); // a series frees what it still holds
    }

    // ------------------------------------------------ pictures and sprites
    void autoSizeAndTransparency()
    {
        ProgramFolder folder;
        Sprite sprite;
        QCOMPARE(sprite.size(), QSize(0, 0));
        sprite.move(10, 20);
        folder.write(QStringLiteral("p.bmp"), BmpBytes(SolidImage(200, 150, Qt::blue)));
        sprite.LoadFromFile(folder.file(QStringLiteral("p.bmp")));
        QCOMPARE(sprite.geometry(), QRect(10, 20, 200, 150));

        folder.write(QStringLiteral("empty.bmp"), QByteArray());
        sprite.LoadFromFile(folder.file(QStringLiteral("empty.bmp")));
        QVERIFY(sprite.Picture().isNull());
        QCOMPARE(sprite.size(), QSize(200, 150)); // an empty picture keeps the size

        // 24 bits: the bottom-left pixel's colour (green) is left out.
        QWidget host;
        host.resize(60, 30);
        host.setAutoFillBackground(true);
        QPalette palette;
        palette.setColor(QPalette::Window, Qt::red);
        host.setPalette(palette);
        QImage colour = SolidImage(20, 20, Qt::green);
        colour.setPixel(5, 5, qRgb(0, 0, 255));
        folder.write(QStringLiteral("c.bmp"), BmpBytes(colour));
        auto *coloured = new Sprite;
        coloured->LoadFromFile(folder.file(QStringLiteral("c.bmp")));
        coloured->SetParentControl(&host);

        // One bit: white is left out, black drawn.
        QImage mono = monoPost(20, 20);
        for (int x = 0; x < 20; ++x)
            mono.setPixel(x, 0, 1);
        folder.write(QStringLiteral("m.bmp"), BmpBytes(mono));
        QVERIFY(LoadBitmapFile(folder.file(QStringLiteral("m.bmp"))).depth() == 1);
        auto *oneBit = new Sprite;
        oneBit->LoadFromFile(folder.file(QStringLiteral("m.bmp")));
        oneBit->move(30, 0);
        oneBit->SetParentControl(&host);

        const QImage shot = host.grab().toImage();
        QCOMPARE(QColor(shot.pixel(1, 1)), QColor(Qt::red));
        QCOMPARE(QColor(shot.pixel(5, 5)), QColor(Qt::blue));
        QCOMPARE(QColor(shot.pixel(31, 0)), QColor(Qt::red));
        QCOMPARE(QColor(shot.pixel(31, 1)), QColor(Qt::black));
    }

    // 32-bit pictures as image editors write them: with an alpha channel.
    void thirtyTwoBitPicturesWithAlpha_data()
    {
        QTest::addColumn<int>("cornerAlpha");  // the background, bottom-left included
        QTest::addColumn<int>("discAlpha");    // a black disc in the middle
        QTest::addColumn<QColor>("discShown"); // over a blue host
        QTest::addColumn<QColor>("cornerShown");
        QTest::newRow("alpha in use: only the transparent pixels go")
            << 0 << 255 << QColor(Qt::black) << QColor(Qt::blue);
        QTest::newRow("alpha in use, an opaque black corner: no colour goes, black stays")
            << 255 << 0 << QColor(Qt::blue) << QColor(Qt::black);
        QTest::newRow("alpha 255 everywhere: the corner's colour goes, as ever")
            << 255 << 255 << QColor(Qt::blue) << QColor(Qt::blue);
        QTest::newRow("alpha 0 everywhere: opaque, the corner's colour goes")
            << 0 << 0 << QColor(Qt::blue) << QColor(Qt::blue);
    }
    void thirtyTwoBitPicturesWithAlpha()
    {
        QFETCH(int, cornerAlpha);
        QFETCH(int, discAlpha);
        QFETCH(QColor, discShown);
        QFETCH(QColor, cornerShown);
        ProgramFolder folder;
        QImage picture(20, 20, QImage::Format_ARGB32);
        picture.fill(qRgba(0, 0, 0, cornerAlpha));
        for (int y = 8; y < 12; ++y)
            for (int x = 8; x < 12; ++x)
                picture.setPixel(x, y, qRgba(0, 0, 0, discAlpha));
        picture.setPixel(0, 0, qRgba(255, 255, 255, std::max(cornerAlpha, discAlpha))); // never the key
        folder.write(QStringLiteral("a.bmp"), Bmp32WithAlpha(picture));

        const QImage shot = DrawnOverBlue(folder.file(QStringLiteral("a.bmp")), QSize(20, 20));
        QCOMPARE(QColor(shot.pixel(10, 10)), discShown);
        QCOMPARE(QColor(shot.pixel(3, 17)), cornerShown);
        QCOMPARE(QColor(shot.pixel(0, 0)).red(), 255); // drawn opaque wherever alpha is not in use
    }

    // 16-bit pictures as image editors export them: an opaque red square on
    // a background that is transparent where the picture has alpha, white.
    void sixteenBitPictures_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("alpha"); // the background is see-through

        QImage picture(20, 20, QImage::Format_ARGB32);
        picture.fill(qRgba(255, 255, 255, 0));
        for (int y = 8; y < 12; ++y)
            for (int x = 8; x < 12; ++x)
                picture.setPixel(x, y, qRgba(255, 0, 0, 255));
        QTest::newRow("ARGB1555") << BmpWithMasks(picture, 16, {0x7C00, 0x03E0, 0x001F, 0x8000}) << true;
        QTest::newRow("ARGB4444") << BmpWithMasks(picture, 16, {0x0F00, 0x00F0, 0x000F, 0xF000}) << true;
        QTest::newRow("RGB565") << BmpWithMasks(picture, 16, {0xF800, 0x07E0, 0x001F, 0}) << false;
        QTest::newRow("alpha bit set, but no alpha mask in the header")
            << BmpWithMasks(picture, 16, {0x7C00, 0x03E0, 0x001F, 0x8000}, 40) << false;
        QTest::newRow("plain 5-5-5, the unused top bit set")
            << BmpWithMasks(picture, 16, {0x7C00, 0x03E0, 0x001F, 0}, 40, false) << false;
        QTest::newRow("32-bit, alpha in a 56-byte header")
            << BmpWithMasks(picture, 32, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}, 56) << true;
        QTest::newRow("32-bit, a one-bit alpha")
            << BmpWithMasks(picture, 32, {0x00FF0000, 0x0000FF00, 0x000000FF, 0x80000000}) << true;
    }

    // Masks that overlap, or leave no colour, are no masks: the picture reads
    // as the depth's usual layout, opaque.
    void masksThatAreNoMasks()
    {
        QImage picture(6, 4, QImage::Format_ARGB32);
        picture.fill(qRgba(200, 100, 50, 255));
        picture.setPixel(1, 1, qRgba(0, 0, 255, 0));
        for (const int bpp : {16, 32}) {
            const std::array<quint32, 4> usual = bpp == 16 ? std::array<quint32, 4>{0x7C00, 0x03E0, 0x001F, 0}
                                                           : std::array<quint32, 4>{0xFF0000, 0xFF00, 0xFF, 0};
            const QByteArray good = BmpWithMasks(picture, bpp, usual);
            const QImage expected = DecodeBitmap(good);
            for (const std::array<quint32, 4> &masks :
                 {std::array<quint32, 4>{0xFFFF, 0xFFFF, 0xFFFF, 0}, std::array<quint32, 4>{0, 0, 0, 0},
                  std::array<quint32, 4>{usual[0], usual[1], usual[2], usual[0]}}) {
                QByteArray bad = good;
                for (int i = 0; i < 4; ++i)
                    qToLittleEndian<quint32>(masks[i], bad.data() + 14 + 40 + 4 * i);
                const QImage image = DecodeBitmap(bad);
                QVERIFY(!image.hasAlphaChannel());
                QCOMPARE(image, expected);
            }
        }
    }
    void sixteenBitPictures()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, alpha);
        const QImage image = DecodeBitmap(bytes);
        QCOMPARE(image.size(), QSize(20, 20));
        QCOMPARE(image.hasAlphaChannel(), alpha);
        QCOMPARE(QColor::fromRgba(image.pixel(10, 10)), QColor::fromRgba(qRgba(255, 0, 0, 255)));
        QCOMPARE(qAlpha(image.pixel(0, 19)), alpha ? 0 : 255);
        if (!alpha)
            QCOMPARE(QColor(image.pixel(0, 19)), QColor(Qt::white));

        // Drawn over blue: the square opaque red, the background gone either
        // way (by its alpha, or as the bottom-left pixel's colour).
        ProgramFolder folder;
        folder.write(QStringLiteral("p.bmp"), bytes);
        const QImage shot = DrawnOverBlue(folder.file(QStringLiteral("p.bmp")), QSize(20, 20));
        QCOMPARE(QColor(shot.pixel(10, 10)), QColor(Qt::red));
        QCOMPARE(QColor(shot.pixel(2, 2)), QColor(Qt::blue));
    }

    // The rear sight, halved, as an image editor (ImageMagick 6.9) exports it
    // with its white made transparent, in 32 bits and both 16-bit kinds with
    // alpha: drawn exactly as the one-bit picture it was made from, the black
    // plate whole although its bottom-left pixel is black.
    void picturesFromAnImageEditor_data()
    {
        QTest::addColumn<QString>("file");
        for (const char *kind : {"argb32", "argb1555", "argb4444"})
            QTest::newRow(kind) << QStringLiteral(VIMBRA_TEST_DATA "/imagemagick/planka-%1.bmp").arg(QLatin1String(kind));
    }
    void picturesFromAnImageEditor()
    {
        QFETCH(QString, file);
        const auto drawn = [](const QString &path) { return DrawnOverBlue(path, QSize(76, 55)); };
        const QImage oneBit = drawn(QStringLiteral(VIMBRA_TEST_DATA "/imagemagick/planka-1bit.bmp"));
        QCOMPARE(QColor(oneBit.pixel(0, 54)), QColor(Qt::black)); // the plate's corner
        QCOMPARE(QColor(oneBit.pixel(37, 2)), QColor(Qt::blue));  // the notch, see-through
        QCOMPARE(drawn(file), oneBit);
    }

    void pictureFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message"); // empty: loads

        const QByteArray good = BmpBytes(SolidImage(8, 4, Qt::gray));
        QByteArray notBmp = good;
        notBmp[0] = 'X';
        QByteArray huge = good;
        qToLittleEndian<qint32>(100000, huge.data() + 18);
        qToLittleEndian<qint32>(100000, huge.data() + 22);
        QByteArray badDepth = good;
        qToLittleEndian<quint16>(7, badDepth.data() + 28);
        QByteArray zeroWidth = good;
        qToLittleEndian<qint32>(0, zeroWidth.data() + 18);

        QTest::newRow("valid") << good << "";
        QTest::newRow("valid one bit") << BmpBytes(monoPost(5, 3)) << "";
        QTest::newRow("empty") << QByteArray() << "";
        QTest::newRow("not a bitmap") << notBmp << "Bitmap image is not valid";
        QTest::newRow("text") << QByteArray("hello, this is not a picture at all") << "Bitmap image is not valid";
        QTest::newRow("one byte") << QByteArray("B") << "Bitmap image is not valid";
        QTest::newRow("short, another signature") << QByteArray("GIF89a") << "Bitmap image is not valid";
        QTest::newRow("short, signature only") << QByteArray("BM\x10\0\0\0", 6) << "Stream read error";
        QTest::newRow("truncated file header") << good.left(10) << "Stream read error";
        QTest::newRow("truncated info header") << good.left(30) << "Stream read error";
        QTest::newRow("truncated pixels") << good.left(good.size() - 5) << "Stream read error";
        QTest::newRow("absurd dimensions") << huge << "Bitmap image is not valid";
        QTest::newRow("zero width") << zeroWidth << "Bitmap image is not valid";
        QTest::newRow("bad depth") << badDepth << "Bitmap image is not valid";
    }
    void pictureFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        ProgramFolder folder;
        folder.write(QStringLiteral("x.bmp"), bytes);
        QImage image;
        const QString result = raised([&] { image = LoadBitmapFile(folder.file(QStringLiteral("x.bmp"))); });
        if (message.isEmpty()) {
            QCOMPARE(result, QStringLiteral("<nothing raised>"));
            QCOMPARE(image.isNull(), bytes.isEmpty());
        } else {
            QCOMPARE(result, message);
        }
    }

    void unreadablePictureFiles()
    {
        ProgramFolder folder;
        const QString missing = folder.file(QStringLiteral("none.bmp"));
        QCOMPARE(raised([&] { LoadBitmapFile(missing); }), QStringLiteral("Cannot open file %1").arg(missing));
        QDir().mkpath(folder.file(QStringLiteral("dir.bmp")));
        const QString dir = folder.file(QStringLiteral("dir.bmp"));
        QCOMPARE(raised([&] { LoadBitmapFile(dir); }), QStringLiteral("Cannot open file %1").arg(dir));
    }

    // ------------------------------------------------------------ target
    void newTarget()
    {
        ProgramFolder folder;
        QWidget host;
        TRoundTarget target(&host);
        QVERIFY(target.FLarge);
        QVERIFY(target.FSeriesOpen);
        QCOMPARE(target.FSeries->Count(), 0);
        QCOMPARE(target.FSeries->FMaxShots, 5);
        QCOMPARE(target.FBlackCircleValue, 3);
        QCOMPARE(target.FTotal, 0);
        QCOMPARE(target.FAnchor, QPoint(0, 0));
        QCOMPARE(target.pos(), QPoint(0, 0));
        QCOMPARE(target.size(), QSize(97, 97));
        QVERIFY(!target.parentWidget());
    }

    void placingByTheCentre()
    {
        ProgramFolder folder;
        QWidget host;
        for (int width : {301, 300}) {
            folder.write(QStringLiteral("Images/LargeRound.bmp"), BmpBytes(SolidImage(width, width, Qt::black)));
            TRoundTarget target(&host);
            target.PlaceAt(QPoint(528, 188));
            QCOMPARE(target.pos(), QPoint(378, 38));
            QCOMPARE(target.FAnchor, QPoint(528, 188));
        }
    }

    void toggleSizeThereAndBack()
    {
        ProgramFolder folder;
        folder.write(QStringLiteral("Images/LargeRound.bmp"), BmpBytes(SolidImage(300, 300, Qt::black)));
        folder.write(QStringLiteral("Images/SmallRound.bmp"), BmpBytes(SolidImage(150, 150, Qt::black)));
        QWidget host;
        TRoundTarget target(&host);
        target.SetParentControl(&host);
        target.PlaceAt(QPoint(528, 188));
        QPointer<TShoot> mark = target.FSeries->ShotAt(target.AddShot(QPoint(528, 188)));
        target.Score(QPoint(528, 188));
        target.ToggleSize();
        QVERIFY(mark.isNull());
        QVERIFY(!target.FLarge);
        QCOMPARE(target.FTotal, 0);
        QCOMPARE(target.geometry(), QRect(453, 113, 150, 150));
        target.ToggleSize();
        QVERIFY(target.FLarge);
        QCOMPARE(target.geometry(), QRect(378, 38, 300, 300));
    }

    void failedToggleKeepsTheOldPicture()
    {
        ProgramFolder folder;
        folder.remove(QStringLiteral("Images/SmallRound.bmp"));
        QWidget host;
        TRoundTarget target(&host);
        target.PlaceAt(QPoint(528, 188));
        target.AddShot(QPoint(500, 200));
        const QString small = folder.file(QStringLiteral("Images/SmallRound.bmp"));
        QCOMPARE(raised([&] { target.ToggleSize(); }), QStringLiteral("Cannot open file %1").arg(small));
        QCOMPARE(target.FSeries->Count(), 0); // already cleared
        QVERIFY(!target.FLarge);              // already flipped
        QCOMPARE(target.geometry(), QRect(480, 140, 97, 97));
    }

    void targetThatCannotBeMade()
    {
        ProgramFolder folder;
        folder.write(QStringLiteral("Images/LargeRound.bmp"), "BM");
        QWidget host;
        QCOMPARE(raised([&] { TRoundTarget target(&host); }), QStringLiteral("Stream read error"));
        QVERIFY(host.children().isEmpty());
    }

    void seriesOfFive()
    {
        ProgramFolder folder;
        QWidget host;
        QPointer<TShoot> first;
        {
            TRoundTarget target(&host);
            target.SetParentControl(&host);
            for (int i = 0; i < 5; ++i) {
                QVERIFY(target.FSeriesOpen);
                QCOMPARE(target.AddShot(QPoint(10 * i, 0)), i);
                QCOMPARE(target.GetShot(i)->parentWidget(), &host);
            }
            first = target.GetShot(0);
            QVERIFY(!target.FSeriesOpen);
            QCOMPARE(target.AddShot(QPoint(1, 1)), 5); // still adds; the caller refuses
            QCOMPARE(target.FSeries->Count(), 6);
            QVERIFY(!target.FSeriesOpen);
            // Marks stand above the target, later ones above earlier ones.
            const QObjectList order = host.children();
            QVERIFY(order.indexOf(&target) < order.indexOf(first.data()));
            target.ResetSeries();
            QVERIFY(first.isNull());
            QVERIFY(target.FSeriesOpen);
            QCOMPARE(target.FTotal, 0);
            target.AddShot(QPoint(1, 1));
            first = target.GetShot(0);
        }
        QVERIFY(first.isNull()); // the target frees its marks
    }

    void scoring_data()
    {
        QTest::addColumn<QPoint>("shot");
        QTest::addColumn<int>("score");
        QTest::newRow("centre") << QPoint(400, 200) << 10;
        QTest::newRow("d 9") << QPoint(410, 200) << 10;
        QTest::newRow("d 10") << QPoint(411, 200) << 9;
        QTest::newRow("d 12") << QPoint(412, 205) << 9;
        QTest::newRow("d 20") << QPoint(421, 200) << 8;
        QTest::newRow("d 49") << QPoint(430, 160) << 7;
        QTest::newRow("picture edge") << QPoint(550, 200) << 2;
        QTest::newRow("d 179") << QPoint(580, 200) << 1;
        QTest::newRow("d 180") << QPoint(581, 200) << 0;
    }
    void scoring()
    {
        QFETCH(QPoint, shot);
        QFETCH(int, score);
        ProgramFolder folder;
        folder.write(QStringLiteral("Images/LargeRound.bmp"), BmpBytes(SolidImage(300, 300, Qt::black)));
        QWidget host;
        TRoundTarget target(&host);
        target.PlaceAt(QPoint(400, 200));
        target.AddShot(shot);
        QCOMPARE(target.Score(shot), score);
        QCOMPARE(target.FTotal, score);
    }

    void totalsAndTheBlackCircleValue()
    {
        ProgramFolder folder;
        folder.write(QStringLiteral("Images/LargeRound.bmp"), BmpBytes(SolidImage(300, 300, Qt::black)));
        QWidget host;
        TRoundTarget target(&host);
        target.PlaceAt(QPoint(400, 200));
        target.AddShot(QPoint(400, 200));
        for (QPoint p : {QPoint(400, 200), QPoint(410, 200), QPoint(411, 200), QPoint(412, 205), QPoint(421, 200)})
            target.Score(p);
        QCOMPARE(target.FTotal, 46);

        target.FBlackCircleValue = 10; // f = 150: a new value applies to later shots only
        QCOMPARE(target.Score(QPoint(552, 200)), 9);
        QCOMPARE(target.Score(QPoint(400, 349)), 10);
        QCOMPARE(target.FTotal, 46 + 9 + 10);
        target.FBlackCircleValue = 1; // f = 150 / 19
        QCOMPARE(target.Score(QPoint(408, 200)), 10);
        QCOMPARE(target.Score(QPoint(409, 200)), 9);
        target.FBlackCircleValue = 11; // a negative ring width: nothing scores
        QCOMPARE(target.Score(QPoint(400, 200)), 0);
        target.ResetSeries();
        QCOMPARE(target.FTotal, 0);
    }

    // ------------------------------------------------------------ the gun
    void gunWalkthrough()
    {
        ProgramFolder folder; // sights 151 and 41 pixels wide
        QWidget host;
        TGun gun(&host);
        QCOMPARE(gun.FPlanka->width(), 151);
        QCOMPARE(gun.FMushka->width(), 41);
        QCOMPARE(gun.FLastShot, QPoint(0, 0));
        QCOMPARE(gun.FMaxDX, 20);
        QCOMPARE(gun.FMaxDY, 20);
        QCOMPARE(gun.FLeverage, 3);
        QCOMPARE(gun.FPlankaCorrection, 20);

        struct Row {
            std::function<void()> step;
            QPoint gun, rear, frontAnchor, front, aim;
        };
        const Row rows[] = {
            {[] {}, {425, 280}, {425, 300}, {505, 305}, {485, 305}, {515, 295}},
            {[&] { gun.SetSightDX(-7); }, {425, 280}, {425, 300}, {493, 305}, {473, 305}, {479, 295}},
            {[&] { gun.SetSightDY(21); }, {425, 280}, {425, 300}, {493, 305}, {473, 305}, {479, 295}},
            {[&] { gun.SetSightDY(-20); }, {425, 280}, {425, 300}, {493, 280}, {473, 280}, {479, 220}},
            {[&] { gun.MoveTo(QPoint(600, 350)); }, {525, 330}, {525, 350}, {593, 330}, {573, 330}, {579, 270}},
        };
        for (const Row &r : rows) {
            r.step();
            QCOMPARE(gun.pos(), r.gun);
            QCOMPARE(gun.size(), QSize(151, 130));
            QCOMPARE(gun.FPlanka->pos(), r.rear);
            QCOMPARE(gun.FMushka->FAnchor, r.frontAnchor);
            QCOMPARE(gun.FMushka->pos(), r.front);
            QCOMPARE(gun.AimPoint(false), r.aim);
            QCOMPARE(gun.FPlanka->FAnchor, gun.FPosition);
        }
        QCOMPARE(gun.FLastShot, QPoint(0, 0)); // AimPoint(false) remembers nothing
        QCOMPARE(gun.AimPoint(true), QPoint(579, 270));
        QCOMPARE(gun.FLastShot, QPoint(579, 270));
    }

    void sightLimits_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("20") << 20 << true;
        QTest::newRow("-20") << -20 << true;
        QTest::newRow("21") << 21 << false;
        QTest::newRow("-21") << -21 << false;
        QTest::newRow("most negative") << std::numeric_limits<int>::min() << false;
    }
    void sightLimits()
    {
        QFETCH(int, value);
        QFETCH(bool, accepted);
        ProgramFolder folder;
        QWidget host;
        TGun gun(&host);
        const QPoint before = gun.FMushka->pos();
        gun.SetSightDX(value);
        QCOMPARE(gun.FSightDX, accepted ? value : 5);
        QCOMPARE(gun.FMushka->pos(), accepted ? before + QPoint(value - 5, 0) : before);
        gun.SetSightDY(value);
        QCOMPARE(gun.FSightDY, accepted ? value : 5);
        QCOMPARE(gun.FMushka->FAnchor.y(), 300 + gun.FSightDY);
    }

    void correction()
    {
        ProgramFolder folder;
        QWidget host;
        TGun gun(&host);
        gun.SetSightDX(0);
        gun.SetSightDY(0);
        gun.FPlankaCorrection = 0;
        QCOMPARE(gun.AimPoint(false), QPoint(500, 300));
        gun.FPlankaCorrection = 50;
        QCOMPARE(gun.AimPoint(false), QPoint(500, 250));
    }

    void sightsArePlacedByTheirTopCentre()
    {
        ProgramFolder folder;
        for (int width : {40, 41}) {
            folder.write(QStringLiteral("Images/Mushka.bmp"), BmpBytes(monoPost(width, 10)));
            TMushka sight;
            sight.PlaceAt(QPoint(100, 50));
            QCOMPARE(sight.pos(), QPoint(80, 50));
            QCOMPARE(sight.FAnchor, QPoint(100, 50));
        }
    }

    void gunStackingAndOwnership()
    {
        ProgramFolder folder;
        QWidget host;
        QPointer<TMushka> front;
        QPointer<TPlanka> rear;
        {
            TGun gun(&host);
            gun.SetParentControl(&host);
            front = gun.FMushka.data();
            rear = gun.FPlanka.data();
            const QObjectList order = host.children();
            QVERIFY(order.indexOf(front.data()) < order.indexOf(rear.data()));
            QVERIFY(order.indexOf(rear.data()) < order.indexOf(&gun));
            QCOMPARE(host.childAt(500, 310), &gun); // the gun catches the mouse over its sights
        }
        QVERIFY(front.isNull());
        QVERIFY(rear.isNull());
        QVERIFY(host.children().isEmpty());

        // The host may go first: nothing is freed twice.
        auto *ownHost = new QWidget;
        auto *gun = new TGun(ownHost);
        gun->SetParentControl(ownHost);
        auto *target = new TRoundTarget(ownHost);
        target->SetParentControl(ownHost);
        target->AddShot(QPoint(3, 3));
        delete ownHost;
    }

    void gunThatCannotBeMade()
    {
        ProgramFolder folder;
        folder.write(QStringLiteral("Images/Planka.bmp"), "not a bitmap file at all");
        QWidget host;
        QCOMPARE(raised([&] { TGun gun(&host); }), QStringLiteral("Bitmap image is not valid"));
        QVERIFY(host.children().isEmpty()); // the front sight made first is freed again
    }
};

VIMBRA_TEST_MAIN(TestModel)
#include "tst_model.moc"
