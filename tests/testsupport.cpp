#include "testsupport.h"

#include "platform/errors.h"
#include "platform/sound.h"

#include <QBuffer>
#include <QDirIterator>

namespace {
void copyTree(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + QDir(from).relativeFilePath(source);
        QDir().mkpath(QFileInfo(target).path());
        QFile::copy(source, target);
    }
}
} // namespace

ProgramFolder::ProgramFolder()
{
    const QString built = qEnvironmentVariable("VIMBRA_PROGRAM_FOLDER");
    if (built.isEmpty())
        qFatal("VIMBRA_PROGRAM_FOLDER is not set: run the tests through ctest");
    copyTree(built + QLatin1Char('/'), path());
    QFile::remove(file(QStringLiteral("Vimbra")));
    QFile::remove(file(QStringLiteral("Vimbra.INI")));
    SetAppDirForTesting(path());
    // The journal goes into the copy too, never into the user's own.
    qputenv("XDG_DATA_HOME", (path() + QStringLiteral("data")).toLocal8Bit());
}

ProgramFolder::~ProgramFolder()
{
    SetAppDirForTesting(QString());
    qunsetenv("XDG_DATA_HOME");
}

void ProgramFolder::write(const QString &relative, const QByteArray &data) const
{
    QVERIFY2(WriteFile(file(relative), data), qPrintable(file(relative)));
}

bool WriteFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

bool ShowActive(QWidget &window)
{
    window.show();
    QApplication::setActiveWindow(&window);
    return QTest::qWaitForWindowActive(&window);
}

void ProgramFolder::remove(const QString &relative) const { QFile::remove(file(relative)); }

QByteArray ProgramFolder::read(const QString &relative) const
{
    QFile f(file(relative));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

Recorders::Recorders()
{
    m_clock.start();
    SetErrorBoxHook([this](const QString &text) { errors << text; });
}

Recorders::~Recorders() { SetErrorBoxHook({}); }

QByteArray BmpBytes(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QImage saved = image.format() == QImage::Format_Mono ? image : image.convertToFormat(QImage::Format_RGB888);
    saved.save(&buffer, "BMP");
    return bytes;
}

QImage SolidImage(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

void WhenModal(std::function<void(QDialog *)> f)
{
    QTimer::singleShot(0, [f] {
        QTRY_VERIFY(QApplication::activeModalWidget());
        f(qobject_cast<QDialog *>(QApplication::activeModalWidget()));
    });
}

QString raised(const std::function<void()> &f)
{
    try {
        f();
    } catch (const AppError &e) {
        return e.message();
    }
    return QStringLiteral("<nothing raised>");
}
