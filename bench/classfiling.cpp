// A lab filing on the class journal: thirty computers (the program's own
// keeper, writer and sender each, in one process) fire twenty series each, all
// at once, on a PostgreSQL server of the benchmark's own, while the teacher's
// window «Класс» is open on the class. Reported: series on the server per
// second; the 95th percentile from a series finished (handed to the keeper)
// to it being on the server (its filing heard from the server), and from
// there to the window showing it (the learner's count of series in the
// window's table reaching it).
// With a pace, each computer fires a series every `pace` ms instead (a class
// at work), so the times are the filing's own rather than a queue's.
//   bench_class_filing [computers] [series each] [pace ms, 0: all at once]

#include "median.h"
#include "classlab.h"

#include "app/application.h"
#include "journal/classserver.h"
#include "journal/journalkeeper.h"
#include "ui/frmClass.h"

#include <QElapsedTimer>
#include <QSqlDriver>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

JournalSeries aSeries(const QString &shooter, int n)
{
    JournalSeries s;
    s.uid = QUuid::createUuid();
    s.firedAt = QDateTime::currentDateTimeUtc();
    s.shooter = shooter;
    s.klass = QStringLiteral("8В");
    s.forClassJournal = true;
    s.total = 40 + n % 10;
    s.meanRadius = 3.5;
    s.extremeSpread = 9.25;
    s.ringWidth = 6.47;
    for (int i = 1; i <= 5; ++i) {
        JournalShot shot{i, QPointF(i, n), 8, QPointF(i, n + 20), QPointF(0, 0), QPointF(0, -20)};
        for (int ms = -2000; ms <= 0; ms += 16)
            shot.trace << TraceSample{ms, QPointF(ms % 7, 3)};
        s.shots << shot;
    }
    return s;
}

double percentile95(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[std::min(v.size() - 1, size_t(v.size() * 0.95))];
}

} // namespace

int main(int argc, char *argv[])
{
    VimbraApplication app(argc, argv);
    const int computers = argc > 1 ? std::max(1, atoi(argv[1])) : 30;
    const int each = argc > 2 ? std::max(1, atoi(argv[2])) : 20;
    const int pace = argc > 3 ? std::max(0, atoi(argv[3])) : 0;
    PgServer pg;
    QTemporaryDir dir;
    QString error;
    if (!StartClassJournal(pg, dir, &error)) {
        std::fprintf(stderr, "no class journal: %s\n", qPrintable(error));
        return 1;
    }
    ClassServer listener(QStringLiteral("admin"));
    if (!listener.Open(&error)) {
        std::fprintf(stderr, "no connection: %s\n", qPrintable(error));
        return 1;
    }
    QString roster;
    for (int c = 0; c < computers; ++c)
        roster += QStringLiteral("INSERT INTO vimbra.learner VALUES ('8В', 'Ученик %1');").arg(c, 2, 10, QLatin1Char('0'));
    if (!pg.Psql(roster, nullptr, &error)) {
        std::fprintf(stderr, "no roster: %s\n", qPrintable(error));
        return 1;
    }

    QElapsedTimer clock;
    clock.start();
    auto now = [&clock] { return clock.nsecsElapsed() / 1e6; };

    // The teacher's window on the class.
    TClassF window(QStringLiteral("teacher"));
    window.resize(960, 600);
    if (window.Open(nullptr) != TClassF::Access::Reads) {
        std::fprintf(stderr, "the class window did not open\n");
        return 1;
    }
    // Each learner's series in the order fired, and when each was finished,
    // on the server, and shown.
    QHash<QUuid, double> finished, onServer;
    QHash<QString, QList<QUuid>> fired;
    QHash<QUuid, double> shown;
    QObject::connect(listener.Database().driver(), &QSqlDriver::notification, &app,
                     [&](const QString &, QSqlDriver::NotificationSource, const QVariant &payload) {
                         const QUuid uid = QUuid::fromString(payload.toString());
                         if (!onServer.contains(uid))
                             onServer.insert(uid, now());
                     });
    listener.Database().driver()->subscribeToNotification(ClassServer::FiledChannel());
    QObject::connect(&window, &TClassF::DayShown, &window, [&] {
        const double at = now();
        const QAbstractItemModel *model = window.DayModel();
        for (int row = 0; row < model->rowCount(); ++row) {
            const QString name = model->index(row, 0).data().toString();
            const int count = model->index(row, 1).data().toInt();
            const QList<QUuid> &series = fired[name];
            for (int k = 0; k < std::min(count, int(series.size())); ++k)
                if (!shown.contains(series[k]))
                    shown.insert(series[k], at);
        }
    });

    QTemporaryDir journals;
    std::vector<std::unique_ptr<TJournalKeeper>> keepers;
    for (int c = 0; c < computers; ++c) {
        keepers.push_back(std::make_unique<TJournalKeeper>(journals.filePath(QStringLiteral("pc%1.sqlite").arg(c))));
        keepers.back()->UseClassJournal(QStringLiteral("learner"));
    }
    const int total = computers * each;
    const double start = now();
    for (int n = 0; n < each; ++n) {
        if (pace > 0 && n > 0) {
            QElapsedTimer between;
            between.start();
            while (between.elapsed() < pace)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        for (int c = 0; c < computers; ++c) {
            const QString name = QStringLiteral("Ученик %1").arg(c, 2, 10, QLatin1Char('0'));
            const JournalSeries series = aSeries(name, n);
            fired[name] << series.uid;
            finished.insert(series.uid, now());
            keepers[size_t(c)]->Record(series);
        }
    }
    QElapsedTimer waited;
    waited.start();
    while ((onServer.size() < total || shown.size() < total) && waited.elapsed() < 120000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    double last = start;
    std::vector<double> toServer, toWindow;
    for (auto it = finished.cbegin(); it != finished.cend(); ++it) {
        if (!onServer.contains(it.key()))
            continue;
        const double filed = onServer.value(it.key());
        last = std::max(last, filed);
        toServer.push_back(filed - it.value());
        if (shown.contains(it.key()))
            toWindow.push_back(std::max(0.0, shown.value(it.key()) - filed));
    }
    keepers.clear();
    std::printf("%d computers x %d series %s on the class journal: %d of %d on the server in %.0f ms, "
                "%.0f series/s; finished -> on the server: median %.0f ms, 95th percentile %.0f ms; "
                "on the server -> shown in «Класс»: median %.0f ms, 95th percentile %.0f ms (%d shown)\n",
                computers, each,
                qPrintable(pace > 0 ? QStringLiteral("(a series each every %1 ms)").arg(pace) : QStringLiteral("at once")),
                int(onServer.size()), total, last - start,
                onServer.size() * 1000.0 / std::max(1.0, last - start), toServer.empty() ? 0 : median(toServer),
                percentile95(toServer), toWindow.empty() ? 0 : median(toWindow), percentile95(toWindow),
                int(shown.size()));
    return onServer.size() == total && shown.size() == total ? 0 : 1;
}
