// Writes series into a journal, for the tests that kill a writer, run two at
// once, fill the disk or take the rights away.
//   journal_writer JOURNAL COUNT [SHOOTER] [options]
// Straight into the store: prints "open", then "committed N" after each
// series; "unavailable: <why>" (exit 2) when the journal cannot be opened,
// "failed: <why>" (exit 3) when a write fails.
// Options:
//   --file-size-limit BYTES  writes past BYTES fail, as on a full disk
//   --as-nobody              as the user nobody (when run as root)
//   --keeper                 through the program's keeper, as the program
//                            files its series: prints "written ID" for each
//                            series in the journal, "told: TEXT" for each
//                            message to the user, "idle" once nothing waits
//                            (or a message was told), "finished" at its end
//   --stay                   with --keeper: stays idle until killed, or ends
//                            as the program does on SIGTERM (the keeper's end)
//   --no-wait                with --keeper: idle at once, without waiting for
//                            the series to be written
//   --traces                 each shot with a two-second aim trace
//   --list                   with --keeper: prints "listed N readonly R: WHY",
//                            the series the journal window would read
//   --hold-lock MS           takes the journal's write lock, prints "locked",
//                            holds it MS milliseconds
//   --shooter-in-use         straight into the store: also makes SHOOTER the
//                            shooter in use, as if chosen in the program
//   --class SERVICE          with --keeper: files on the class journal too,
//                            through the connection service SERVICE; prints
//                            "sent UID" for each series the server has, and
//                            "class-told: TEXT" for what the user is told
#include "journal/journalstore.h"
#include "journal/journalkeeper.h"
#include "ui/journalmessages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QThread>

#include <sys/resource.h>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {
JournalSeries series(int n, const QString &shooter, bool traces)
{
    JournalSeries s;
    s.firedAt = QDateTime::currentDateTimeUtc();
    s.shooter = shooter;
    s.forClassJournal = true; // when the keeper files on a class journal
    s.total = 40 + n % 10;
    s.meanPoint = QPointF(n % 7, -(n % 5));
    s.meanRadius = 3.5;
    s.extremeSpread = 9.25;
    s.ringWidth = 6.47;
    s.correction = 20;
    for (int i = 1; i <= 5; ++i) {
        JournalShot shot{i, QPointF(i, n), 8, QPointF(i, n + 20), QPointF(0, 0), QPointF(0, -20)};
        for (int ms = -2000; traces && ms <= 0; ms += 8)
            shot.trace << TraceSample{ms, QPointF(ms % 37, (ms * 7) % 23)};
        s.shots << shot;
    }
    return s;
}

volatile std::sig_atomic_t terminated = 0;

void say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

int throughKeeper(const QString &path, int count, const QString &shooter, bool traces, bool stay, bool wait, bool list,
                  const QString &classService)
{
    int told = 0;
    SetJournalMessageHookForTesting([&told](const QString &text, bool) {
        ++told;
        say(QStringLiteral("told: ") + text);
        return false;
    });
    TJournalKeeper keeper(path);
    TellJournalMessages(&keeper);
    if (!classService.isNull()) {
        QObject::connect(&keeper, &TJournalKeeper::ClassUnreachable,
                         [](const QString &text) { say(QStringLiteral("class-told: ") + text); });
        QObject::connect(&keeper, &TJournalKeeper::ClassSent, [](const QUuid &uid, bool, const QString &) {
            say(QStringLiteral("sent ") + uid.toString(QUuid::WithoutBraces));
        });
        keeper.UseClassJournal(classService);
    }
    QObject::connect(&keeper, &TJournalKeeper::SeriesWritten, [](qint64 id) { say(QStringLiteral("written %1").arg(id)); });
    if (list) {
        JournalStore *store = keeper.Reader();
        int n = 0;
        if (store)
            for (const QString &name : store->Shooters())
                n += int(store->ReadAll(name).size());
        say(QStringLiteral("listed %1 readonly %2: %3").arg(n).arg(int(keeper.ReadOnly())).arg(keeper.ReadOnlyReason()));
    }
    if (count > 0)
        keeper.SetShooter(shooter);
    for (int n = 1; n <= count; ++n)
        keeper.Record(series(n, shooter, traces));
    QElapsedTimer waited;
    waited.start();
    // Until nothing waits in memory (or the journal was found unusable).
    while (wait && waited.elapsed() < 20000 && keeper.Pending() > 0 && told == 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QCoreApplication::processEvents();
    say(QStringLiteral("idle"));
    if (stay) {
        std::signal(SIGTERM, [](int) { terminated = 1; });
        while (!terminated) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(10);
        }
    }
    keeper.Finish();
    say(QStringLiteral("finished"));
    return 0;
}

int holdLock(const QString &path, int ms)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("lock"));
    db.setDatabaseName(path);
    if (!db.open())
        return 2;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return 3;
    say(QStringLiteral("locked"));
    QThread::msleep(ms);
    q.exec(QStringLiteral("ROLLBACK"));
    return 0;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: journal_writer JOURNAL COUNT [SHOOTER] [options]\n");
        return 1;
    }
    const QString path = args.takeFirst();
    const int count = args.takeFirst().toInt();
    QString shooter = QStringLiteral("Тест");
    bool keeper = false, stay = false, wait = true, traces = false, list = false, inUse = false;
    QString classService;
    int holdMs = -1;
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        if (a == QLatin1String("--file-size-limit") && !args.isEmpty()) {
            // A full disk: writes beyond the limit fail (and do not kill us).
            std::signal(SIGXFSZ, SIG_IGN);
            const rlim_t limit = args.takeFirst().toULongLong();
            const rlimit r{limit, limit};
            setrlimit(RLIMIT_FSIZE, &r);
        } else if (a == QLatin1String("--as-nobody")) {
            if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
                return 1;
        } else if (a == QLatin1String("--keeper")) {
            keeper = true;
        } else if (a == QLatin1String("--stay")) {
            stay = true;
        } else if (a == QLatin1String("--no-wait")) {
            wait = false;
        } else if (a == QLatin1String("--traces")) {
            traces = true;
        } else if (a == QLatin1String("--list")) {
            list = true;
        } else if (a == QLatin1String("--shooter-in-use")) {
            inUse = true;
        } else if (a == QLatin1String("--class") && !args.isEmpty()) {
            classService = args.takeFirst();
            if (classService.isNull())
                classService = QLatin1String("");
        } else if (a == QLatin1String("--hold-lock") && !args.isEmpty()) {
            holdMs = args.takeFirst().toInt();
        } else {
            shooter = a;
        }
    }
    if (holdMs >= 0)
        return holdLock(path, holdMs);
    if (keeper)
        return throughKeeper(path, count, shooter, traces, stay, wait, list, classService);
    JournalStore store;
    QString reason;
    if (!store.Open(path, &reason)) {
        std::printf("unavailable: %s\n", qPrintable(reason));
        return 2;
    }
    if (inUse && !store.SetSetting(QStringLiteral("shooter"), shooter)) {
        std::printf("failed: the shooter in use\n");
        return 3;
    }
    std::printf("open\n");
    std::fflush(stdout);
    for (int n = 1; n <= count; ++n) {
        JournalSeries s = series(n, shooter, traces);
        if (!store.Write(s, &reason)) {
            std::printf("failed: %s\n", qPrintable(reason));
            return 3;
        }
        std::printf("committed %d\n", n);
        std::fflush(stdout);
    }
    return 0;
}
