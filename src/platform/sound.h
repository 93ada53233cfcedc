#pragma once

#include <QString>

// The shot's sound.
//
// A request returns at once. A thread of the player's own decodes the file
// (once, again only when the file changes), opens the audio device when it is
// closed and starts the sound; the audio library mixes it on its own audio
// thread, so a GUI thread that is blocked never holds a sound back. A sound
// requested while earlier ones still sound is mixed with them: each is heard
// to its end (only past 16 at once is the oldest cut short).
//
// Two seconds after the last sound has ended the device is closed, so an idle
// program costs neither itself nor the sound server anything; the next
// request opens it again, in a few milliseconds. No sound server, no device,
// a missing, empty or undecodable file: nothing is heard and nothing is
// reported, and the next request tries again.

void PlaySoundFile(const QString &file);
// Decodes a file and opens the device ahead of the first request, so the
// first one plays at once; the device closes again if nothing follows.
void PreloadSound(const QString &file);
// Stops the player: the device is closed and its thread ended. Called once
// before the program ends; a later request starts it again. The end waits at
// most three seconds: a player the system holds up longer (a sound server or
// session bus that never answers) is left to the program's exit, and takes no
// more requests.
void ShutdownSound();

// What the player has done so far, for the tests and the benchmarks.
struct SoundCounters {
    int requests = 0; // taken by the player's thread
    int started = 0;  // sounds started on the device
    int opens = 0;    // times the device was opened
    bool deviceOpen = false;
};
SoundCounters SoundStatistics();
// Waits (up to timeoutMs) until the player's thread has taken every request.
bool WaitSoundRequestsTaken(int timeoutMs);
