#pragma once

#include <QElapsedTimer>
#include <QString>

// What a lesson does beyond its own data: the shot's sound, the pause after
// it, the time of its aim samples, and the error box. The program hands the
// lesson window SystemEffects; a test hands in a recorder of its own.
class Effects
{
public:
    virtual ~Effects() = default;

    // Makes a sound ready ahead of its first use, without a sound.
    virtual void PreloadSound(const QString &file) = 0;
    // Plays a sound file by name; returns at once.
    virtual void PlaySound(const QString &file) = 0;
    // Blocks the calling thread, handling no event meanwhile.
    virtual void Pause(int ms) = 0;
    // Milliseconds on a clock that never goes back.
    virtual qint64 Now() const = 0;
    // Tells the user of an error (the error box's full-stop rule applies).
    virtual void ShowError(const QString &message) = 0;
};

// The real ones: the sound player, a blocking pause, the time since this
// object was made, and the error box.
class SystemEffects : public Effects
{
public:
    SystemEffects();
    void PreloadSound(const QString &file) override;
    void PlaySound(const QString &file) override;
    void Pause(int ms) override;
    qint64 Now() const override;
    void ShowError(const QString &message) override;

private:
    QElapsedTimer FClock;
};
