#pragma once

#include "journal/classroster.h"
#include "journal/classserver.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUuid>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Sends the series queued in the local journal (its outbox) to the class
// journal, on a thread of its own, each exactly once: a series leaves the
// queue only once the server holds it, and the server keeps a series once
// however often it is sent (a program killed between the two sends it again
// at its next start, and the server leaves it as it is). When the server
// cannot be reached the series stay queued, and the sender tries again
// every few seconds, as long as the program runs, and at its next start.
//
// On each connection it also reads the class roster, and again every
// kRosterEveryMs while connected.
class ClassSender
{
public:
    // Called on the context object's thread.
    struct Events {
        // The server cannot be reached (or will not take the series now): why.
        std::function<void(const QString &reason)> unreachable;
        std::function<void(const ClassRoster &roster)> roster;
        // A queued series has left the queue: filed now, found filed before,
        // or refused for good (with the server's reason).
        std::function<void(const QUuid &uid, ClassServer::Outcome outcome, const QString &reason)> sent;
    };

    // `journalReady` is called on the sender's thread before it first opens
    // the local journal, and may wait until the journal's writer has it open.
    ClassSender(const QString &journalPath, const QString &service, const QString &computer, QObject *context,
                Events events, std::function<void()> journalReady = {});
    // Stops the thread; a statement under way is finished first (a server
    // that does not answer at all is given up after a few seconds).
    ~ClassSender();

    // A series was queued: send it now.
    void Kick();
    // Read the roster now (when connected).
    void RefreshRoster();
    // The local journal was replaced (a new one in a damaged one's place):
    // its queue is read from the new file.
    void ReopenJournal();

    static constexpr int kFirstRetryMs = 500;
    static constexpr int kLastRetryMs = 4000;
    static constexpr int kRosterEveryMs = 30000;

private:
    void run();
    // Waits until kicked, stopped or the time has passed; false when stopping.
    bool waitFor(int ms);
    template <class F>
    void post(F f);

    const QString FJournalPath;
    const QString FService;
    const QString FComputer;
    QPointer<QObject> FContext;
    Events FEvents;
    std::function<void()> FJournalReady;

    std::mutex FMutex;
    std::condition_variable FWake;
    bool FKicked = true;
    bool FRosterWanted = true;
    bool FReopen = false;
    bool FStopping = false;
    std::thread FThread;
};
