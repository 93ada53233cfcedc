#pragma once

#include <QProcess>
#include <QString>

// A private PulseAudio server for a test (see pulse.sh, its shell twin): a
// null sink "nul" that mixes in float, a runtime folder of its own, and this
// process's clients pointed at it. Stopped when it goes out of scope.
class PulseServer
{
public:
    explicit PulseServer(const QString &dir);
    ~PulseServer();
    bool start();
    void stop();
    QString log() const;

    // Records the sink's output into a WAV file; returns once it records.
    bool record(const QString &wavPath);
    void stopRecording();

    // Playback streams the server has now.
    int streams() const;

    // Stops the server as a hung one (it keeps its clients' connections and
    // answers none), or lets it go on.
    void freeze(bool frozen);

private:
    QString m_dir;
    QProcess m_server;
    QProcess m_recorder;
};
