#pragma once

#include <QString>

#include <functional>

// Starts playing a waveform file and returns at once; a new request does not
// wait for an earlier sound. A missing or unplayable file plays nothing and
// reports nothing.
void PlaySoundFile(const QString &file);
// Loads a file ahead of its first use, so the first request plays at once.
void PreloadSound(const QString &file);

// Tests receive each request instead of a sound; an empty function undoes it.
void SetSoundHook(std::function<void(const QString &file)> hook);
