#pragma once

#include <QByteArray>

// The format every sound is played in: 16-bit signed samples in the
// machine's byte order, two interleaved channels, 44 100 frames a second.
constexpr int kWaveRate = 44100;
constexpr int kWaveChannels = 2;
constexpr int kWaveFrameBytes = 2 * kWaveChannels;
// A longer file is cut there: it is a shot, not a recording.
constexpr int kWaveLongestSeconds = 10;

// Decodes the bytes of a WAV file into that format: PCM of 8, 16, 24 or 32
// bits, 32- or 64-bit float, A-law and mu-law, IMA and Microsoft ADPCM, mono
// or stereo, at any rate, with the plain or the extensible header; at most
// its first kWaveLongestSeconds. Empty when
// the bytes are not a WAV file it can decode, or when the audio library that
// decodes them is not there.
QByteArray DecodeWave(const QByteArray &file);
