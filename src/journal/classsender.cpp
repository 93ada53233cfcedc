#include "journal/classsender.h"

#include "journal/journalstore.h"

#include <QMetaObject>

#include <algorithm>
#include <utility>

ClassSender::ClassSender(const QString &journalPath, const QString &service, const QString &computer, QObject *context,
                         Events events, std::function<void()> journalReady)
    : FJournalPath(journalPath), FService(service), FComputer(computer), FContext(context), FEvents(std::move(events)),
      FJournalReady(std::move(journalReady))
{
    FThread = std::thread([this] { run(); });
}

ClassSender::~ClassSender()
{
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FStopping = true;
    }
    FWake.notify_all();
    if (FThread.joinable())
        FThread.join();
}

void ClassSender::Kick()
{
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FKicked = true;
    }
    FWake.notify_all();
}

void ClassSender::RefreshRoster()
{
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FRosterWanted = true;
        FKicked = true;
    }
    FWake.notify_all();
}

void ClassSender::ReopenJournal()
{
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FReopen = true;
        FKicked = true;
    }
    FWake.notify_all();
}

bool ClassSender::waitFor(int ms)
{
    std::unique_lock<std::mutex> lock(FMutex);
    FWake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return FStopping || FKicked; });
    FKicked = false;
    return !FStopping;
}

template <class F>
void ClassSender::post(F f)
{
    if (FContext)
        QMetaObject::invokeMethod(FContext.data(), std::move(f), Qt::QueuedConnection);
}

void ClassSender::run()
{
    if (FJournalReady)
        FJournalReady();
    ClassServer server(FService);
    JournalStore journal;
    int retryMs = kFirstRetryMs;
    auto unreachable = [&](const QString &reason) {
        post([events = FEvents, reason] {
            if (events.unreachable)
                events.unreachable(reason);
        });
    };
    auto stopping = [this] {
        std::lock_guard<std::mutex> lock(FMutex);
        return FStopping;
    };
    auto backOff = [&] {
        const int wait = retryMs;
        retryMs = std::min(retryMs * 2, kLastRetryMs);
        return waitFor(wait);
    };
    auto lastRoster = std::chrono::steady_clock::now();

    while (!stopping()) {
        if (!server.IsOpen()) {
            QString reason;
            if (!server.Open(&reason)) {
                unreachable(reason);
                if (!backOff())
                    break;
                continue;
            }
            std::lock_guard<std::mutex> lock(FMutex);
            FRosterWanted = true;
        }
        bool rosterWanted = false;
        {
            std::lock_guard<std::mutex> lock(FMutex);
            rosterWanted = FRosterWanted
                           || std::chrono::steady_clock::now() - lastRoster > std::chrono::milliseconds(kRosterEveryMs);
            FRosterWanted = false;
        }
        if (rosterWanted) {
            QString reason;
            if (const std::optional<ClassRoster> roster = server.Roster(&reason)) {
                lastRoster = std::chrono::steady_clock::now();
                // What the server refused is offered again: a name the
                // teacher has put on the roster since is taken now.
                if (journal.IsOpen())
                    journal.RequeueRefused();
                post([events = FEvents, roster = *roster] {
                    if (events.roster)
                        events.roster(roster);
                });
            } else if (server.Lost()) {
                server.Close();
                unreachable(reason);
                if (!backOff())
                    break;
                continue;
            }
        }

        {
            std::lock_guard<std::mutex> lock(FMutex);
            if (std::exchange(FReopen, false))
                journal.Close();
        }
        if (!journal.IsOpen()) {
            QString reason;
            if (!journal.Open(FJournalPath, &reason, nullptr, JournalStore::Check::Header)) {
                // The journal's own trouble: its keeper tells it. Looked at
                // again a little later.
                if (!waitFor(kLastRetryMs))
                    break;
                continue;
            }
        }
        const QList<JournalStore::Queued> queued = journal.Outbox(50);
        bool failed = false;
        for (const JournalStore::Queued &item : queued) {
            if (stopping())
                break;
            std::optional<JournalSeries> series = journal.Read(item.id, true);
            if (!series) {
                failed = true; // the journal could not be read now
                break;
            }
            series->klass = item.klass;
            QString reason;
            const ClassServer::Outcome outcome = server.Send(*series, FComputer, &reason);
            if (outcome == ClassServer::Outcome::Unreachable) {
                if (server.Lost())
                    server.Close();
                unreachable(reason);
                failed = true;
                break;
            }
            const bool refused = outcome == ClassServer::Outcome::Refused;
            if (!journal.Dequeue(item.uid, refused ? reason : QString())) {
                failed = true; // sent again later: the server keeps it once
                break;
            }
            post([events = FEvents, uid = item.uid, outcome, reason] {
                if (events.sent)
                    events.sent(uid, outcome, reason);
            });
        }
        if (failed) {
            if (!backOff())
                break;
            continue;
        }
        retryMs = kFirstRetryMs;
        if (queued.size() < 50 && !waitFor(kRosterEveryMs))
            break;
    }
    server.Close();
    journal.Close();
}
