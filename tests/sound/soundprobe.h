#pragma once

// Listening to the program through a real sound server: a reference stream
// that marks a moment with a short burst, and the analysis of a recording of
// the server's output in which both the marks and the program's sounds are.
//
// The reference burst is on the left channel only, the program's sounds are
// the same on both channels: in the recording the marks are found in L - R
// and the program's sounds in R.

#include <QString>

#include <atomic>
#include <thread>
#include <vector>

struct pa_simple;

// A playback stream of about 10 ms latency that writes silence continuously,
// in 2 ms pieces, and a burst on the left channel the moment mark() is called.
class ReferenceStream
{
public:
    explicit ReferenceStream(int burstMs = 20);
    ~ReferenceStream();
    bool ok() const { return m_stream != nullptr; }
    QString error() const { return m_error; }
    void mark() { m_pending.store(true); }

private:
    void run();

    pa_simple *m_stream = nullptr;
    QString m_error;
    int m_burstFrames;
    std::atomic<bool> m_pending{false};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// What a recording holds, in milliseconds from its start.
struct Listening {
    std::vector<double> marks;  // onsets of the reference bursts
    std::vector<double> sounds; // onsets of the program's sounds
    // For each mark, the first sound not yet taken from 50 ms before it to
    // 1 s after it, as its onset minus the mark's; marks with none are missed.
    std::vector<double> latencies;
    int missed = 0;
    double loudest = 0; // the largest sample of the program's channel, 0 to 1
};

// Reads a stereo WAV recording, 16-bit or 32-bit float (the tests record in
// float, so that nothing clips where the streams are mixed). A sound begins
// where the program's channel rises above soundLevel (of full scale) after
// at least quietMs below it.
bool Listen(const QString &wavPath, Listening *out, double soundLevel = 0.06, double quietMs = 100);

double Median(std::vector<double> v);
double Worst(const std::vector<double> &v);
