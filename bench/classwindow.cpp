// The class window at scale, against the bare server in the same run: a class
// journal of 1 000 learners (40 classes of 25) and 200 000 series over a
// year; the window «Класс» opened (connected, the roster, the exercises and
// the day's table read and shown) until its table is filled, against the
// same day's rows read with a bare QSqlQuery over a connection of its own.
//   bench_class [series]

#include "median.h"
#include "classlab.h"

#include "app/application.h"
#include "journal/classreport.h"
#include "journal/classserver.h"
#include "ui/frmClass.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

int main(int argc, char *argv[])
{
    VimbraApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1000, atoi(argv[1])) : 200000;
    PgServer pg;
    QTemporaryDir dir;
    QString error;
    if (!StartClassJournal(pg, dir, &error)) {
        std::fprintf(stderr, "no class journal: %s\n", qPrintable(error));
        return 1;
    }
    // The learners, and the series over the last year (a series every few
    // minutes, round the clock), each learner's in their class; made at once
    // on the server, the filing's notice left out while they are.
    QElapsedTimer clock;
    clock.start();
    const QString fill = QStringLiteral(
        "INSERT INTO vimbra.learner (class, name)"
        " SELECT 'К' || lpad((i %% 40)::text, 2, '0'), 'Ученик ' || i FROM generate_series(0, 999) i;"
        "ALTER TABLE vimbra.series DISABLE TRIGGER series_filed;"
        "INSERT INTO vimbra.series (uid, class, shooter, computer, fired_at, exercise, target_width, large_target,"
        " black_circle, correction, total, mean_x, mean_y, mean_radius, extreme_spread, ring_width, in_ten, in_nine,"
        " hold_area)"
        " SELECT gen_random_uuid(), 'К' || lpad((i %% 1000 %% 40)::text, 2, '0'), 'Ученик ' || (i %% 1000), 'pc',"
        "  now() - i * (interval '1 second' * %1), (ARRAY['', 'Кучность', 'Объявление пробоины'])[1 + i %% 3],"
        "  97, true, 3, 20, 20 + i %% 31, i %% 9 - 4, i %% 7 - 3, 3 + i %% 13, 8 + i %% 17, 6.47,"
        "  CASE WHEN i %% 4 = 0 THEN NULL ELSE (i %% 100) / 100.0 END,"
        "  CASE WHEN i %% 4 = 0 THEN NULL ELSE (i %% 50 + 50) / 100.0 END,"
        "  CASE WHEN i %% 4 = 0 THEN NULL ELSE (i %% 20) / 10.0 END"
        " FROM generate_series(0, %2) i;"
        "ALTER TABLE vimbra.series ENABLE TRIGGER series_filed;"
        "ANALYZE;")
                             .arg(365.0 * 86400 / count)
                             .arg(count - 1)
                             .replace(QLatin1String("%%"), QLatin1String("%"));
    if (!pg.Psql(fill, nullptr, &error)) {
        std::fprintf(stderr, "not filled: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("class journal of 1000 learners (40 classes) and %d series made in %.1f s\n", count,
                clock.nsecsElapsed() / 1e9);

    std::vector<double> window, windowAll, refresh, bare, bareQuery;
    int rows = 0, bareRows = 0;
    for (int round = 0; round < 9; ++round) {
        // The window: made and opened as «Класс…» does, until its table is
        // filled; then with its chart of the weeks; then a refresh, as a filed
        // series asks for.
        {
            TClassF w(QStringLiteral("teacher"));
            w.resize(960, 600);
            double filled = 0;
            QObject::connect(&w, &TClassF::DayShown, &w, [&] {
                if (filled == 0)
                    filled = clock.nsecsElapsed() / 1e6;
            });
            clock.start();
            if (w.Open(nullptr) != TClassF::Access::Reads) {
                std::fprintf(stderr, "the window did not open: %s\n", qPrintable(w.lbStatus->text()));
                return 1;
            }
            windowAll.push_back(clock.nsecsElapsed() / 1e6);
            window.push_back(filled);
            rows = w.DayModel()->rowCount();
            clock.start();
            w.Refresh();
            refresh.push_back(clock.nsecsElapsed() / 1e6);
        }
        // The bare server: a connection, the day's rows read to the end.
        {
            const ClassDayQuery query{QStringLiteral("К00"), QDate::currentDate(), QDate::currentDate(), std::nullopt};
            clock.start();
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("bare"));
            db.setConnectOptions(QStringLiteral("service=teacher"));
            if (!db.open()) {
                std::fprintf(stderr, "no bare connection\n");
                return 1;
            }
            QElapsedTimer queryClock;
            queryClock.start();
            {
                QSqlQuery q(db);
                q.setForwardOnly(true);
                q.prepare(ClassReport::DaySql());
                for (const QVariant &v : ClassReport::DayValues(query))
                    q.addBindValue(v);
                q.exec();
                bareRows = 0;
                double sink = 0;
                while (q.next()) {
                    ++bareRows;
                    for (int c = 0; c < 10; ++c)
                        sink += q.value(c).isNull() ? 0 : 1;
                }
                if (sink < 0)
                    std::puts("");
            }
            bareQuery.push_back(queryClock.nsecsElapsed() / 1e6);
            bare.push_back(clock.nsecsElapsed() / 1e6);
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("bare"));
        }
    }
    if (rows != bareRows) {
        std::fprintf(stderr, "the window shows %d rows, the bare query read %d\n", rows, bareRows);
        return 1;
    }
    std::printf("the class window with %d series on the server: opened until its table of %d learners was filled "
                "in %.1f ms (its chart too: %.1f ms); a bare QSqlQuery connecting and reading the same rows %.1f ms "
                "(the query alone %.1f ms); ratio %.2f (goal <= 2); against the query alone on an open "
                "connection %.2f\n",
                count, rows, median(window), median(windowAll), median(bare), median(bareQuery),
                median(window) / median(bare), median(window) / median(bareQuery));
    std::printf("the class window read again (a series filed): its table and chart %.1f ms, against the bare "
                "query %.1f ms; ratio %.2f\n",
                median(refresh), median(bareQuery), median(refresh) / median(bareQuery));
    return 0;
}
