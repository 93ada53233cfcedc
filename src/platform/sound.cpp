#include "platform/sound.h"

#include <QCoreApplication>
#include <QHash>
#include <QSoundEffect>
#include <QUrl>

#include <array>

namespace {

// A few players per file, used in turn, so quick shots overlap rather than
// cut each other off.
struct Voices {
    std::array<QSoundEffect *, 4> players{};
    int next = 0;
};

QHash<QString, Voices> &voices()
{
    static QHash<QString, Voices> all;
    return all;
}

std::function<void(const QString &)> &soundHook()
{
    static std::function<void(const QString &)> hook;
    return hook;
}

Voices &voicesFor(const QString &file)
{
    auto it = voices().find(file);
    if (it == voices().end()) {
        it = voices().insert(file, Voices{});
        for (QSoundEffect *&player : it->players) {
            player = new QSoundEffect(QCoreApplication::instance());
            player->setSource(QUrl::fromLocalFile(file));
        }
    }
    return *it;
}

} // namespace

void PreloadSound(const QString &file)
{
    if (!soundHook())
        voicesFor(file);
}

void PlaySoundFile(const QString &file)
{
    if (soundHook()) {
        soundHook()(file);
        return;
    }
    Voices &v = voicesFor(file);
    QSoundEffect *player = v.players[v.next];
    v.next = (v.next + 1) % int(v.players.size());
    player->play();
}

void SetSoundHook(std::function<void(const QString &)> hook) { soundHook() = std::move(hook); }
