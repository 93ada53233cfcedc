#include "platform/journalwriter.h"

#include "platform/journalstore.h"

#include <QMetaObject>

JournalWriter::JournalWriter(const QString &path, QObject *context, Report report)
    : FPath(path), FContext(context), FReport(std::move(report))
{
    FThread = std::thread([this] { run(); });
}

JournalWriter::~JournalWriter()
{
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FStopping = true;
        FRetry = true;
    }
    FWake.notify_one();
    FThread.join();
}

void JournalWriter::Write(const JournalSeries &series)
{
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FQueue.push_back(series);
        FRetry = true; // the failed ones go first
    }
    FWake.notify_one();
}

void JournalWriter::Retry()
{
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FRetry = true;
    }
    FWake.notify_one();
}

int JournalWriter::Pending()
{
    std::lock_guard<std::mutex> lock(FMutex);
    return int(FQueue.size()) + (FBusy ? 1 : 0);
}

void JournalWriter::run()
{
    // The connection lives and dies on this thread.
    JournalStore store;
    std::unique_lock<std::mutex> lock(FMutex);
    for (;;) {
        FWake.wait(lock, [this] { return FRetry || FStopping; });
        FRetry = false;
        // Everything queued, the failed ones first, until one fails.
        while (!FQueue.empty()) {
            JournalSeries series = FQueue.front();
            FQueue.pop_front();
            FBusy = true;
            lock.unlock();
            QString reason;
            bool damaged = false;
            const bool ok = (store.IsOpen() || store.Open(FPath, &reason, &damaged)) && store.Write(series, &reason);
            if (!ok && store.IsOpen() && reason.isEmpty())
                reason = QStringLiteral("запись не удалась");
            if (!ok)
                store.Close(); // opened afresh at the next attempt
            if (FContext)
                QMetaObject::invokeMethod(
                    FContext, [report = FReport, series, ok, reason, damaged] { report(series, ok, reason, damaged); },
                    Qt::QueuedConnection);
            lock.lock();
            FBusy = false;
            if (!ok) {
                FQueue.push_front(series); // kept for the next attempt
                break;
            }
        }
        if (FStopping)
            break;
    }
}
