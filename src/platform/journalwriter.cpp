#include "platform/journalwriter.h"

#include "platform/journalstore.h"

#include <QDataStream>
#include <QFile>
#include <QMetaObject>
#include <QSaveFile>

namespace {

// The series kept between runs, in Qt's own binary form.
constexpr quint32 kPendingMagic = 0x56504a31; // "VPJ1"

QDataStream &operator<<(QDataStream &out, const JournalSeries &s)
{
    out << s.firedAt << s.shooter << s.targetWidth << s.largeTarget << s.blackCircleValue << s.correction
        << s.exercise << s.hiddenError << s.zeroingSeries << s.total << s.meanPoint << s.meanRadius << s.extremeSpread
        << s.ringWidth << qint32(s.shots.size());
    for (const JournalShot &shot : s.shots) {
        out << shot.number << shot.hole << shot.score << shot.hold << shot.alignment << shot.correction
            << shot.sincePreviousMs << shot.called << shot.call << qint32(shot.trace.size());
        for (const TraceSample &p : shot.trace)
            out << p.ms << p.aim;
    }
    return out;
}

QDataStream &operator>>(QDataStream &in, JournalSeries &s)
{
    qint32 shots = 0;
    in >> s.firedAt >> s.shooter >> s.targetWidth >> s.largeTarget >> s.blackCircleValue >> s.correction >> s.exercise
        >> s.hiddenError >> s.zeroingSeries >> s.total >> s.meanPoint >> s.meanRadius >> s.extremeSpread >> s.ringWidth
        >> shots;
    for (qint32 i = 0; i < shots && in.status() == QDataStream::Ok && i < 1000; ++i) {
        JournalShot shot;
        qint32 points = 0;
        in >> shot.number >> shot.hole >> shot.score >> shot.hold >> shot.alignment >> shot.correction
            >> shot.sincePreviousMs >> shot.called >> shot.call >> points;
        for (qint32 j = 0; j < points && in.status() == QDataStream::Ok && j < 100000; ++j) {
            TraceSample p;
            in >> p.ms >> p.aim;
            shot.trace << p;
        }
        s.shots << shot;
    }
    return in;
}

// The series kept by the last writer, if any (a damaged file gives none).
std::deque<JournalSeries> loadPending(const QString &path)
{
    std::deque<JournalSeries> pending;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return pending;
    QDataStream in(&file);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 magic = 0;
    qint32 count = 0;
    in >> magic >> count;
    for (qint32 i = 0; magic == kPendingMagic && i < count && in.status() == QDataStream::Ok; ++i) {
        JournalSeries s;
        in >> s;
        if (in.status() == QDataStream::Ok)
            pending.push_back(s);
    }
    return pending;
}

void savePending(const QString &path, const std::deque<JournalSeries> &pending)
{
    if (pending.empty()) {
        QFile::remove(path);
        return;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    QDataStream out(&file);
    out.setVersion(QDataStream::Qt_6_4);
    out << kPendingMagic << qint32(pending.size());
    for (const JournalSeries &s : pending)
        out << s;
    file.commit();
}

} // namespace

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

QString JournalWriter::PendingPath(const QString &journal) { return journal + QStringLiteral(".pending"); }

void JournalWriter::run()
{
    // The connection lives and dies on this thread.
    JournalStore store;
    // What the last writer could not write goes first.
    std::deque<JournalSeries> kept = loadPending(PendingPath(FPath));
    std::unique_lock<std::mutex> lock(FMutex);
    FQueue.insert(FQueue.begin(), kept.begin(), kept.end());
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
    // Nothing dropped: what could not be written waits for the next run.
    savePending(PendingPath(FPath), FQueue);
}
