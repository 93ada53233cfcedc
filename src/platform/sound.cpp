#include "platform/sound.h"

#include <QCoreApplication>
#include <QHash>
#include <QSoundEffect>
#include <QUrl>

#include <vector>

namespace {

// The players of one file. A shot that comes while every player is still
// sounding gets a new one (up to kVoices), so quick shots overlap instead of
// cutting each other off; the decoded sound itself is shared between them.
constexpr int kVoices = 4;

struct Voices {
    QString file;
    std::vector<QSoundEffect *> players;
    int next = 0; // the one to restart when all are sounding

    QSoundEffect *add()
    {
        auto *player = new QSoundEffect(QCoreApplication::instance());
        player->setSource(QUrl::fromLocalFile(file));
        players.push_back(player);
        return player;
    }

    QSoundEffect *available()
    {
        for (QSoundEffect *player : players)
            if (!player->isPlaying())
                return player;
        if (int(players.size()) < kVoices)
            return add();
        QSoundEffect *oldest = players[size_t(next)];
        next = (next + 1) % kVoices;
        return oldest;
    }
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
        it = voices().insert(file, Voices{file, {}, 0});
        it->add();
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
    voicesFor(file).available()->play();
}

void SetSoundHook(std::function<void(const QString &)> hook) { soundHook() = std::move(hook); }
