#pragma once

// What the tests share: a private copy of the program folder, and recorders
// standing in for the lesson's sound, pause, clock and error box.

#include "app/application.h"
#include "base/appdir.h"
#include "base/errorbox.h"
#include "ui/modal.h"
#include "platform/effects.h"
#include "platform/sound.h"

#include <QStringList>

#include <optional>
#include <QDialog>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QtTest>

// A fresh copy of the built program folder in a temporary directory, which
// AppDir() then names, with the journal's data folder (XDG_DATA_HOME) in it.
// Files can be removed or replaced freely.
class ProgramFolder
{
public:
    ProgramFolder();
    ~ProgramFolder();
    QString path() const { return m_dir.path() + QLatin1Char('/'); }
    QString file(const QString &relative) const { return path() + relative; }
    void write(const QString &relative, const QByteArray &data) const;
    void remove(const QString &relative) const;
    QByteArray read(const QString &relative) const;

private:
    QTemporaryDir m_dir;
};

// The effects a test hands to a lesson window: what the error box, the sound
// player and the pause are asked for is collected, nothing is heard and no
// time is lost. The clock runs from the recorder's making, or stands where
// the test sets it. For as long as it lives it also takes the error boxes of
// the program's other windows.
class Recorders : public Effects
{
public:
    Recorders();
    ~Recorders() override;
    QStringList errors; // error box texts, full stop rule applied
    QStringList sounds; // files asked to play
    QList<int> pauses;  // milliseconds
    std::optional<qint64> time; // the clock, when the test moves it

    void PreloadSound(const QString &) override {}
    void PlaySound(const QString &file) override { sounds << file; }
    void Pause(int ms) override { pauses << ms; }
    qint64 Now() const override { return time ? *time : m_clock.elapsed(); }
    void ShowError(const QString &message) override { errors << ErrorBoxText(message); }

private:
    QElapsedTimer m_clock;
};

// Writes data as the whole of the file at path; false if it cannot.
bool WriteFile(const QString &path, const QByteArray &data);

// Shows the window and makes it the active one, as the user's click would;
// false if it does not become active.
bool ShowActive(QWidget &window);

// A picture as the bytes of a BMP file: one bit per pixel for
// QImage::Format_Mono, 24 bits otherwise.
QByteArray BmpBytes(const QImage &image);
// A solid picture of one colour.
QImage SolidImage(int width, int height, QColor colour);

// The message of the AppError that f raises, or "<nothing raised>".
QString raised(const std::function<void()> &f);

// Runs f on the next modal dialog once it is up (f must close it).
void WhenModal(std::function<void(QDialog *)> f);

// Declares the test's main with the program's own application object.
#define VIMBRA_TEST_MAIN(TestObject)                                                                                   \
    int main(int argc, char *argv[])                                                                                   \
    {                                                                                                                  \
        VimbraApplication app(argc, argv);                                                                             \
        TestObject tc;                                                                                                 \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        const int failed = QTest::qExec(&tc, argc, argv);                                                              \
        ShutdownSound();                                                                                               \
        return failed;                                                                                                 \
    }
