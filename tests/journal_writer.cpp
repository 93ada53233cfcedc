// Writes series into a journal one after another and says so after each
// commit, for the tests that kill a writer, run two at once, fill the disk or
// take the rights away.
//   journal_writer JOURNAL COUNT [SHOOTER] [--file-size-limit BYTES] [--as-nobody]
// Prints "open", then "committed N" after each series; "unavailable: <why>"
// (exit 2) when the journal cannot be opened, "failed: <why>" (exit 3) when
// a write fails.
#include "platform/journalstore.h"

#include <QCoreApplication>
#include <QStringList>

#include <sys/resource.h>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {
JournalSeries series(int n, const QString &shooter)
{
    JournalSeries s;
    s.firedAt = QDateTime::currentDateTimeUtc();
    s.shooter = shooter;
    s.total = 40 + n % 10;
    s.meanPoint = QPointF(n % 7, -(n % 5));
    s.meanRadius = 3.5;
    s.extremeSpread = 9.25;
    s.ringWidth = 6.47;
    s.correction = 20;
    for (int i = 1; i <= 5; ++i)
        s.shots << JournalShot{i, QPointF(i, n), 8, QPointF(i, n + 20), QPointF(0, 0), QPointF(0, -20)};
    return s;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: journal_writer JOURNAL COUNT [SHOOTER] [--file-size-limit BYTES] [--as-nobody]\n");
        return 1;
    }
    const QString path = args.takeFirst();
    const int count = args.takeFirst().toInt();
    QString shooter = QStringLiteral("Тест");
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
        } else {
            shooter = a;
        }
    }
    JournalStore store;
    QString reason;
    if (!store.Open(path, &reason)) {
        std::printf("unavailable: %s\n", qPrintable(reason));
        return 2;
    }
    std::printf("open\n");
    std::fflush(stdout);
    for (int n = 1; n <= count; ++n) {
        JournalSeries s = series(n, shooter);
        if (!store.Write(s, &reason)) {
            std::printf("failed: %s\n", qPrintable(reason));
            return 3;
        }
        std::printf("committed %d\n", n);
        std::fflush(stdout);
    }
    return 0;
}
