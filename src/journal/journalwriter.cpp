#include "journal/journalwriter.h"

#include "journal/journalstore.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// The texts a user reads, for translation.
struct WriterTexts {
    Q_DECLARE_TR_FUNCTIONS(JournalWriter)
};

// The series kept between runs, in Qt's own binary form.
constexpr quint32 kPendingMagicV1 = 0x56504a31; // "VPJ1": series without an identity
constexpr quint32 kPendingMagicV2 = 0x56504a32; // "VPJ2": each series' identity first
constexpr quint32 kPendingMagicV3 = 0x56504a33; // "VPJ3": as VPJ2, each series followed by its clock (writeTimedPart)
constexpr quint32 kPendingMagic = 0x56504a34;   // "VPJ4": as VPJ3, then the class journal's part (writeClassPart)
// Series of a "VPJ1" file get an identity made from their own bytes, so that
// the same file read twice gives the same identities.
const QUuid kOldSeriesNamespace(QStringLiteral("{5b0f6d1e-2f0a-4c7e-9a51-3c1f0b7d2e44}"));

// An attempt waits this long for another program holding the journal; while
// the program runs, a busy journal is tried again for kBusyPatienceMs before
// the series counts as failed.
constexpr int kBusyTimeoutMs = 1000;
constexpr int kBusyPatienceMs = 5000;

const char kPartSuffix[] = ".part";
// Beside a program's own file while it runs, locked by it: a file of a
// program still running is that program's to write, never another's to take.
const char kLockSuffix[] = ".lock";

// Whether the program that keeps series in `file` still runs. A lock left by
// one that ended is removed.
bool ownerRuns(const QString &file)
{
    const QByteArray lock = QFile::encodeName(file + QLatin1String(kLockSuffix));
    const int fd = ::open(lock.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool runs = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    if (!runs)
        ::unlink(lock.constData());
    ::close(fd);
    return runs;
}

// Takes this program's lock (once), made afresh should another program have
// removed it meanwhile; -1 where no lock can be made (the files are then
// unlocked, as before locks).
int takeLock(const QString &file, int fd)
{
    const QByteArray lock = QFile::encodeName(file + QLatin1String(kLockSuffix));
    for (int tries = 0; tries < 3; ++tries) {
        if (fd >= 0) {
            struct stat held {}, named {};
            if (::fstat(fd, &held) == 0 && ::stat(lock.constData(), &named) == 0 && held.st_ino == named.st_ino
                && held.st_dev == named.st_dev)
                return fd;
            ::close(fd);
        }
        fd = ::open(lock.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            fd = -1;
        }
    }
    return fd;
}

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

// What a timed series adds, after the series as VPJ2 kept it: its time
// limit, then for each shot its time from the clock's start and whether it
// was late.
void writeTimedPart(QDataStream &out, const JournalSeries &s)
{
    out << s.timeLimitMs << qint32(s.shots.size());
    for (const JournalShot &shot : s.shots)
        out << shot.sinceStartMs << shot.late;
}

void readTimedPart(QDataStream &in, JournalSeries &s)
{
    qint32 shots = 0;
    in >> s.timeLimitMs >> shots;
    if (in.status() == QDataStream::Ok && shots != s.shots.size())
        in.setStatus(QDataStream::ReadCorruptData);
    for (qint32 i = 0; i < shots && in.status() == QDataStream::Ok; ++i)
        in >> s.shots[i].sinceStartMs >> s.shots[i].late;
}

// Where the series goes beyond this journal: the shooter's class, and
// whether it is for the class journal.
void writeClassPart(QDataStream &out, const JournalSeries &s) { out << s.klass << s.forClassJournal; }

void readClassPart(QDataStream &in, JournalSeries &s) { in >> s.klass >> s.forClassJournal; }

// A file of waiting series as it was read: removed only while it is still
// what was read (its program may have kept more in it since).
struct KeptFile {
    QString path;
    qint64 size = -1;
    QDateTime modified;
    QList<JournalSeries> series;
    bool complete = true; // every series it holds was read
    bool old = false;     // of the format before series had identities

    bool Unchanged() const
    {
        const QFileInfo now(path);
        return now.exists() && now.size() == size && now.lastModified() == modified;
    }
};

// Nothing for a file that cannot be read or is not such a file: it is left
// as it is.
std::optional<KeptFile> loadKept(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QFileInfo info(file);
    KeptFile kept{path, info.size(), info.lastModified(), {}};
    const QByteArray bytes = file.readAll();
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 magic = 0;
    qint32 count = 0;
    in >> magic >> count;
    if (in.status() != QDataStream::Ok
        || (magic != kPendingMagic && magic != kPendingMagicV3 && magic != kPendingMagicV2
            && magic != kPendingMagicV1))
        return bytes.isEmpty() ? std::optional<KeptFile>(kept) : std::nullopt; // an empty one holds nothing
    kept.old = magic == kPendingMagicV1;
    for (qint32 i = 0; i < count; ++i) {
        JournalSeries s;
        const qint64 at = in.device()->pos();
        if (magic != kPendingMagicV1)
            in >> s.uid;
        in >> s;
        if (magic == kPendingMagic || magic == kPendingMagicV3)
            readTimedPart(in, s);
        if (magic == kPendingMagic)
            readClassPart(in, s);
        if (in.status() != QDataStream::Ok || (magic != kPendingMagicV1 && s.uid.isNull())) {
            kept.complete = false; // what it holds beyond stays in it
            break;
        }
        if (magic == kPendingMagicV1)
            s.uid = QUuid::createUuidV5(kOldSeriesNamespace, bytes.mid(at, in.device()->pos() - at));
        kept.series << s;
    }
    kept.complete = kept.complete && in.atEnd();
    return kept;
}

QString reasonFor(int error)
{
    switch (error) {
    case ENOSPC:
    case EFBIG:
    case EDQUOT:
        return WriterTexts::tr("нет места на диске");
    case EACCES:
    case EPERM:
    case EROFS:
        return WriterTexts::tr("нет прав на запись");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

// Writes the series to a file of its own name, whole or not at all: into a
// temporary name, forced to the disk, then renamed over the old one.
bool saveKept(const QString &path, const std::deque<JournalSeries> &series, QString *reason)
{
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_6_4);
        out << kPendingMagic << qint32(series.size());
        for (const JournalSeries &s : series) {
            out << s.uid << s;
            writeTimedPart(out, s);
            writeClassPart(out, s);
        }
    }
    const QByteArray part = QFile::encodeName(path + QLatin1String(kPartSuffix));
    const QByteArray target = QFile::encodeName(path);
    auto fail = [&](int error) {
        *reason = reasonFor(error);
        ::unlink(part.constData());
        return false;
    };
    const int fd = ::open(part.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return fail(errno);
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            ::close(fd);
            return fail(error);
        }
        done += n;
    }
    if (::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        return fail(error);
    }
    if (::close(fd) != 0)
        return fail(errno);
    if (::rename(part.constData(), target.constData()) != 0)
        return fail(errno);
    // The rename itself made lasting.
    const int dir = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

} // namespace

struct JournalWriter::Source {
    KeptFile file;
    QSet<QUuid> left; // its series not yet written
};

JournalWriter::JournalWriter(const QString &path, QObject *context, Report report)
    : FPath(path),
      FOwnFile(path + QStringLiteral(".pending-") + QUuid::createUuid().toString(QUuid::WithoutBraces)),
      FContext(context),
      FReport(std::move(report))
{
    FThread = std::thread([this] { run(); });
}

JournalWriter::~JournalWriter() { Finish(); }

void JournalWriter::Write(const JournalSeries &series)
{
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FQueue.push_back(series);
        if (FQueue.back().uid.isNull())
            FQueue.back().uid = QUuid::createUuid();
        // Held until now: written instead.
        const QUuid uid = FQueue.back().uid;
        const auto held = std::remove_if(FHeld.begin(), FHeld.end(), [&uid](const JournalSeries &s) { return s.uid == uid; });
        if (held != FHeld.end()) {
            FHeld.erase(held, FHeld.end());
            FHeldChanged = true;
        }
        FRetry = true; // the failed ones go first
    }
    FWake.notify_one();
}

void JournalWriter::Hold(const JournalSeries &series)
{
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FHeld.push_back(series);
        if (FHeld.back().uid.isNull())
            FHeld.back().uid = QUuid::createUuid();
        FHeldChanged = true;
        FRetry = true;
    }
    FWake.notify_one();
}

void JournalWriter::ReadSettings(const QStringList &keys, SettingsReport done)
{
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FReads.emplace_back(keys, std::move(done));
        FRetry = true;
    }
    FWake.notify_one();
}

void JournalWriter::SetSetting(const QString &key, const QString &value)
{
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FSettings.emplace_back(key, value);
        FRetry = true;
    }
    FWake.notify_one();
}

void JournalWriter::Retry()
{
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FRetry = true;
        ++FOpenAsked;
    }
    FWake.notify_one();
}

int JournalWriter::Pending()
{
    std::lock_guard<std::mutex> lock(FMutex);
    return int(FQueue.size()) + (FBusy ? 1 : 0);
}

JournalWriter::Opening JournalWriter::WaitOpened()
{
    std::unique_lock<std::mutex> lock(FMutex);
    const int asked = FOpenAsked;
    FOpenedChanged.wait(lock, [this, asked] { return FOpenSeen >= asked || FFinished; });
    return FOpening;
}

JournalWriter::Loss JournalWriter::Finish()
{
    {
        std::lock_guard<std::mutex> lock(FMutex);
        if (FFinished)
            return {};
        FFinished = true;
        FStopping = true;
        FRetry = true;
        FDeadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kFinishWaitMs);
    }
    FWake.notify_one();
    FOpenedChanged.notify_all();
    FThread.join();
    return FLoss;
}

QStringList JournalWriter::PendingFiles(const QString &journal)
{
    const QFileInfo info(journal);
    const QString base = info.fileName() + QStringLiteral(".pending");
    QStringList files;
    const QDir dir = info.absoluteDir();
    for (const QString &name : dir.entryList({base + QLatin1Char('*')}, QDir::Files | QDir::Hidden, QDir::Name))
        if ((name == base || name.startsWith(base + QLatin1Char('-'))) && !name.endsWith(QLatin1String(kPartSuffix))
            && !name.endsWith(QLatin1String(kLockSuffix)))
            files << dir.filePath(name);
    return files;
}

QList<JournalSeries> JournalWriter::KeptIn(const QString &file)
{
    const std::optional<KeptFile> kept = loadKept(file);
    return kept ? kept->series : QList<JournalSeries>();
}

void JournalWriter::run()
{
    // The connection lives and dies on this thread.
    JournalStore store;
    store.SetBusyTimeout(kBusyTimeoutMs);

    // What earlier runs (or other programs) could not write goes first, each
    // series once.
    std::vector<Source> sources;
    std::deque<JournalSeries> kept;
    QSet<QUuid> oldFormat; // series of files from before identities
    int lockFd = -1;       // this program's lock, once it keeps series
    {
        QSet<QUuid> seen;
        for (const QString &path : PendingFiles(FPath)) {
            if (ownerRuns(path))
                continue;
            std::optional<KeptFile> file = loadKept(path);
            if (!file)
                continue;
            Source source{*file, {}};
            for (const JournalSeries &s : std::as_const(file->series)) {
                source.left.insert(s.uid);
                if (file->old)
                    oldFormat.insert(s.uid);
                if (!seen.contains(s.uid)) {
                    seen.insert(s.uid);
                    kept.push_back(s);
                }
            }
            source.file.series.clear();
            if (source.left.isEmpty()) {
                if (source.file.Unchanged() && source.file.complete)
                    QFile::remove(path);
            } else {
                sources.push_back(std::move(source));
            }
        }
        // Temporary files of writes cut short long ago.
        const QFileInfo info(FPath);
        const QDateTime stale = QDateTime::currentDateTimeUtc().addSecs(-600);
        for (const QFileInfo &part : info.absoluteDir().entryInfoList(
                 {info.fileName() + QStringLiteral(".pending*") + QLatin1String(kPartSuffix)}, QDir::Files | QDir::Hidden))
            if (part.lastModified().toUTC() < stale)
                QFile::remove(part.absoluteFilePath());
    }

    QSet<QUuid> ownKept; // the series this program's own file holds
    // The files whose series are all written or kept elsewhere are done with:
    // removed, if still as read and read whole.
    auto dropSources = [&sources](const std::function<bool(Source &)> &done) {
        for (auto it = sources.begin(); it != sources.end();) {
            if (done(*it)) {
                if (it->file.Unchanged() && it->file.complete)
                    QFile::remove(it->file.path);
                it = sources.erase(it);
            } else {
                ++it;
            }
        }
    };
    // A series is in the journal.
    auto written = [&dropSources](const QUuid &uid) {
        dropSources([&uid](Source &source) {
            source.left.remove(uid);
            return source.left.isEmpty();
        });
    };
    // Keeps the series not yet written in this program's own file; the files
    // they came from are then done with.
    auto keep = [&](const std::deque<JournalSeries> &series, QString *reason) {
        if (series.empty()) {
            if (!ownKept.isEmpty())
                QFile::remove(FOwnFile);
            ownKept.clear();
            return true;
        }
        lockFd = takeLock(FOwnFile, lockFd);
        if (!saveKept(FOwnFile, series, reason))
            return false;
        ownKept.clear();
        for (const JournalSeries &s : series)
            ownKept.insert(s.uid);
        dropSources([&ownKept](Source &source) { return ownKept.contains(source.left); });
        return true;
    };
    auto stopRequested = [this] {
        std::lock_guard<std::mutex> lock(FMutex);
        return FStopping;
    };

    std::unique_lock<std::mutex> lock(FMutex);
    FQueue.insert(FQueue.begin(), kept.begin(), kept.end());
    FBusy = false;
    // After a failure that may pass (a busy journal, a folder not there yet),
    // the series are tried again by themselves, ever less often; a damaged
    // journal waits for the user.
    std::chrono::milliseconds again{0};
    for (;;) {
        if (again.count() > 0) {
            if (!FWake.wait_for(lock, again, [this] { return FRetry || FStopping; }))
                ++FOpenAsked; // a fresh attempt, as a Retry() would ask
        } else {
            FWake.wait(lock, [this] { return FRetry || FStopping; });
        }
        FRetry = false;
        const bool stopping = FStopping;
        const int asked = FOpenAsked;
        // Once the end is asked for, each attempt waits only for what is left
        // of the time allowed (and tries once at least).
        auto waitMs = [this] {
            std::lock_guard<std::mutex> guard(FMutex);
            if (!FStopping)
                return kBusyTimeoutMs;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                FDeadline - std::chrono::steady_clock::now());
            return int(std::clamp<long long>(left.count(), 0, kBusyTimeoutMs));
        };

        if (!store.IsOpen() && (!stopping || !FQueue.empty() || !FSettings.empty() || !FHeld.empty())) {
            lock.unlock();
            Opening opening;
            store.SetBusyTimeout(waitMs());
            opening.open = store.Open(FPath, &opening.reason, &opening.damaged);
            lock.lock();
            FOpening = opening;
        }
        FOpenSeen = asked;
        FOpenedChanged.notify_all();
        while (store.IsOpen() && !FSettings.empty()) {
            const auto setting = FSettings.front();
            FSettings.pop_front();
            lock.unlock();
            store.SetBusyTimeout(waitMs());
            const bool set = store.SetSetting(setting.first, setting.second);
            lock.lock();
            if (!set && !FStopping) { // tried again with the next series
                FSettings.push_front(setting);
                break;
            }
        }
        // The values asked for, as the journal holds them now.
        while (!FReads.empty()) {
            auto read = std::move(FReads.front());
            FReads.pop_front();
            lock.unlock();
            QHash<QString, QString> values;
            for (const QString &key : std::as_const(read.first))
                values.insert(key, store.IsOpen() ? store.Setting(key) : QString());
            if (FContext)
                QMetaObject::invokeMethod(
                    FContext, [done = std::move(read.second), values] { done(values); }, Qt::QueuedConnection);
            lock.lock();
        }
        // Everything queued, the failed ones first, until one fails.
        bool failed = false, failedForGood = false;
        while (!FQueue.empty()) {
            JournalSeries series = FQueue.front();
            FQueue.pop_front();
            FBusy = true;
            const Opening opening = FOpening;
            lock.unlock();
            QString reason = opening.reason;
            bool damaged = opening.damaged;
            bool ok = false;
            if (store.IsOpen()) {
                damaged = false;
                QElapsedTimer waited;
                waited.start();
                for (;;) {
                    store.SetBusyTimeout(waitMs());
                    // A series of the old kept files has no identity of its
                    // own: one the journal holds alike was written before.
                    bool existed = oldFormat.contains(series.uid) && store.HoldsAlike(series);
                    ok = existed || store.Write(series, &reason, &existed);
                    if (ok || !store.WasBusy() || stopping || waited.elapsed() >= kBusyPatienceMs || stopRequested())
                        break;
                }
                if (!ok && reason.isEmpty())
                    reason = WriterTexts::tr("запись не удалась");
                if (!ok && !store.WasBusy())
                    store.Close(); // opened afresh at the next attempt
            }
            if (ok)
                written(series.uid);
            if (FContext)
                QMetaObject::invokeMethod(
                    FContext, [report = FReport, series, ok, reason, damaged] { report(series, ok, reason, damaged); },
                    Qt::QueuedConnection);
            lock.lock();
            FBusy = false;
            if (!ok) {
                FQueue.push_front(series); // kept for the next attempt
                failed = true;
                failedForGood = damaged;
                break;
            }
        }
        using std::chrono::milliseconds;
        again = failed && !failedForGood ? std::clamp(again * 2, milliseconds(2000), milliseconds(60000)) : milliseconds(0);
        // The series held for their shooter are kept with the failed ones.
        QSet<QUuid> held;
        for (const JournalSeries &s : FHeld)
            held.insert(s.uid);
        const bool heldChanged = std::exchange(FHeldChanged, false);
        if (!FStopping && (failed || heldChanged || (FQueue.empty() && ownKept != held))) {
            // Kept at once beside the journal: a power cut loses nothing the
            // journal could not take.
            std::deque<JournalSeries> unwritten = FQueue;
            unwritten.insert(unwritten.end(), FHeld.begin(), FHeld.end());
            lock.unlock();
            QString ignored;
            keep(unwritten, &ignored);
            lock.lock();
        }
        if (FStopping) {
            if (!stopping) {
                FRetry = true; // once more, as the end
                continue;
            }
            break;
        }
    }
    // Nothing dropped: what could not be written waits for the next run, or
    // the user is told what could be kept nowhere.
    std::deque<JournalSeries> unwritten = FQueue;
    unwritten.insert(unwritten.end(), FHeld.begin(), FHeld.end());
    lock.unlock();
    QString reason;
    if (!keep(unwritten, &reason)) {
        int lost = 0;
        for (const JournalSeries &s : unwritten) {
            bool elsewhere = ownKept.contains(s.uid);
            for (const Source &source : sources)
                elsewhere = elsewhere || source.left.contains(s.uid);
            lost += elsewhere ? 0 : 1;
        }
        if (lost > 0) {
            lock.lock();
            FLoss = Loss{lost, reason};
            lock.unlock();
        }
    }
    store.Close();
    // The program ends: what it kept is the next run's to write.
    if (lockFd >= 0) {
        ::unlink(QFile::encodeName(FOwnFile + QLatin1String(kLockSuffix)).constData());
        ::close(lockFd);
    }
}
