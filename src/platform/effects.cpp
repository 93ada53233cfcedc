#include "platform/effects.h"

#include "base/errorbox.h"
#include "platform/pause.h"
#include "platform/sound.h"

SystemEffects::SystemEffects() { FClock.start(); }

void SystemEffects::PreloadSound(const QString &file) { ::PreloadSound(file); }

void SystemEffects::PlaySound(const QString &file) { PlaySoundFile(file); }

void SystemEffects::Pause(int ms) { ::Pause(ms); }

qint64 SystemEffects::Now() const { return FClock.elapsed(); }

void SystemEffects::ShowError(const QString &message) { ShowException(message); }
