#pragma once

#include "journal/journal.h"

#include <QHash>
#include <QPointer>
#include <QObject>
#include <QStringList>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

// Writes finished series into the journal on a thread of its own, so that
// neither the shot nor the window ever waits for the disk.
//
// The thread opens and checks the journal as soon as it starts (a large
// journal's check takes a while: it is done before the first series is
// fired), then writes the series earlier runs could not write. A series that
// cannot be written stays in memory, and is kept at once in a file beside the
// journal (one file for each program), so that neither an orderly end nor a
// power cut loses it; the next run writes it. Each series carries its
// identity, so a series offered twice (a file replayed after a crash, or read
// by two programs) is filed once.
class JournalWriter
{
public:
    // What happened to a series: called on the thread of the context object.
    // ok false: reason says why; damaged: the file is no sound journal.
    using Report = std::function<void(const JournalSeries &series, bool ok, const QString &reason, bool damaged)>;

    JournalWriter(const QString &path, QObject *context, Report report);
    // Finish(), if not done yet.
    ~JournalWriter();

    void Write(const JournalSeries &series);
    // A series that waits for its shooter: not written to the journal, only
    // kept in this program's file beside it, under the name it carries, so
    // that a program ended at any moment leaves it for the next run to
    // write. Writing a series of the same identity ends the holding.
    void Hold(const JournalSeries &series);
    // A small value kept with the journal, written as the series are.
    void SetSetting(const QString &key, const QString &value);
    // Reads small values kept with the journal once the writer has opened it
    // (after the values asked to be set before): `done` gets them on the
    // thread of the context object, a null string for each key the journal
    // does not hold, all null when it cannot be opened. The window never
    // waits for the journal's check this way.
    using SettingsReport = std::function<void(const QHash<QString, QString> &values)>;
    void ReadSettings(const QStringList &keys, SettingsReport done);
    // Tries again what failed, opening the journal afresh if it was not
    // open (it may be usable now).
    void Retry();
    // Series waiting or failed so far.
    int Pending();

    // The journal as the writer found it when it last opened it; waits for
    // the attempt asked for by the construction or the last Retry().
    struct Opening {
        bool open = false;
        QString reason;
        bool damaged = false;
    };
    Opening WaitOpened();

    // Ends the thread: writes what is queued, waiting for a journal another
    // program holds at most about kFinishWaitMs, and keeps the rest beside the
    // journal. Says how many series could be kept nowhere, and why (none:
    // count 0). Only the first call does anything.
    struct Loss {
        int count = 0;
        QString reason;
    };
    Loss Finish();

    static constexpr int kFinishWaitMs = 1000;

    // The files in which series wait for a later run, beside the journal,
    // and the series such a file holds.
    static QStringList PendingFiles(const QString &journal);
    static QList<JournalSeries> KeptIn(const QString &file);

private:
    struct Source;
    void run();

    const QString FPath;
    const QString FOwnFile; // this program's series waiting for a later run
    QPointer<QObject> FContext;
    Report FReport;

    std::mutex FMutex;
    std::condition_variable FWake;
    std::condition_variable FOpenedChanged;
    std::deque<JournalSeries> FQueue; // in order; a failed one stays at the head
    std::deque<std::pair<QString, QString>> FSettings;
    std::deque<std::pair<QStringList, SettingsReport>> FReads;
    std::deque<JournalSeries> FHeld; // in order
    bool FHeldChanged = false;
    bool FRetry = true; // the journal is opened at once
    bool FStopping = false;
    bool FBusy = true; // until the series of earlier runs are queued
    int FOpenAsked = 1; // the attempts to open asked for, and made so far
    int FOpenSeen = 0;
    Opening FOpening;
    std::chrono::steady_clock::time_point FDeadline;
    Loss FLoss;
    bool FFinished = false;
    std::thread FThread;
};
