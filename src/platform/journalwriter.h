#pragma once

#include "platform/journal.h"

#include <QPointer>
#include <QObject>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// Writes finished series into the journal on a thread of its own, so that
// neither the shot nor the window ever waits for the disk. A series that
// cannot be written stays in memory and is written with the next one (or at
// Retry). Those still unwritten when the writer ends are kept beside the
// journal, in PendingPath(), and written first by the next writer.
class JournalWriter
{
public:
    // What happened to a series: called on the thread of the context object.
    // ok false: reason says why; damaged: the file is no sound journal.
    using Report = std::function<void(const JournalSeries &series, bool ok, const QString &reason, bool damaged)>;

    JournalWriter(const QString &path, QObject *context, Report report);
    // Writes what is queued (once more what failed), then ends the thread.
    ~JournalWriter();

    void Write(const JournalSeries &series);
    // Tries the series that failed again (the journal may be usable now).
    void Retry();
    // Series waiting or failed so far.
    int Pending();
    // Where the series unwritten at the end wait: beside the journal.
    static QString PendingPath(const QString &journal);

private:
    void run();

    const QString FPath;
    QPointer<QObject> FContext;
    Report FReport;

    std::mutex FMutex;
    std::condition_variable FWake;
    std::deque<JournalSeries> FQueue; // in order; a failed one stays at the head
    bool FRetry = false;
    bool FStopping = false;
    bool FBusy = false;
    std::thread FThread;
};
