// The class journal against a real PostgreSQL server of the test's own: the
// schema's steps under their lock, what each role may do, many computers
// filing at once, a server that goes away and comes back, and a program
// killed with series still queued.
#include "journal/classserver.h"
#include "journal/journalkeeper.h"
#include "journal/journalstore.h"
#include "pgserver.h"

#include <QtTest>

#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

JournalSeries aSeries(const QString &shooter, const QString &klass, int n)
{
    JournalSeries s;
    s.uid = QUuid::createUuid();
    s.firedAt = QDateTime::currentDateTimeUtc();
    s.shooter = shooter;
    s.klass = klass;
    s.forClassJournal = true;
    s.total = 40 + n % 10;
    s.meanPoint = QPointF(n % 7, -(n % 5));
    s.meanRadius = 3.5;
    s.extremeSpread = 9.25;
    s.ringWidth = 6.47;
    for (int i = 1; i <= 5; ++i) {
        JournalShot shot{i, QPointF(i, n), 8, QPointF(i, n + 20), QPointF(0, 0), QPointF(0, -20)};
        for (int ms = -1200; ms <= 0; ms += 40)
            shot.trace << TraceSample{ms, QPointF(ms % 7, 3)};
        s.shots << shot;
    }
    return s;
}

// Waits, serving the event loop, until done() or the time is out.
bool waitUntil(const std::function<bool()> &done, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

} // namespace

class TestClassJournal : public QObject
{
    Q_OBJECT

private:
    PgServer FPg;
    QTemporaryDir FDir;
    QString scalar(const QString &sql, const QString &db = QStringLiteral("vimbra"))
    {
        QString out, error;
        if (!FPg.Psql(sql, &out, &error, QStringLiteral("postgres"), db))
            qWarning() << error;
        return out;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QString error;
        QVERIFY2(FPg.Start(&error), qPrintable(error));
        QVERIFY(FPg.CreateDatabase(QStringLiteral("race")));
        // The computers find the server through a connection service, as a
        // lab's are set up.
        QByteArray services;
        for (const auto &[service, user, db] :
             {std::tuple{"admin", "postgres", "vimbra"}, std::tuple{"learner", "vimbra_learner", "vimbra"},
              std::tuple{"teacher", "vimbra_teacher", "vimbra"}, std::tuple{"race", "postgres", "race"}})
            services += QStringLiteral("[%1]\nhost=%2\nport=%3\nuser=%4\ndbname=%5\n\n")
                            .arg(QLatin1String(service), FPg.SocketDir())
                            .arg(FPg.Port())
                            .arg(QLatin1String(user), QLatin1String(db))
                            .toUtf8();
        QFile file(FDir.filePath(QStringLiteral("pg_service.conf")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(services);
        file.close();
        qputenv("PGSERVICEFILE", QFile::encodeName(file.fileName()));
        for (const char *name : {"PGHOST", "PGPORT", "PGUSER", "PGDATABASE", "PGSERVICE"})
            qunsetenv(name);

        ClassServer admin(QStringLiteral("admin"));
        QVERIFY2(admin.Open(&error), qPrintable(error));
        QVERIFY2(FPg.Psql(QStringLiteral("ALTER ROLE vimbra_learner LOGIN; ALTER ROLE vimbra_teacher LOGIN;"), nullptr,
                          &error),
                 qPrintable(error));
    }

    void init()
    {
        QString error;
        QVERIFY2(FPg.Psql(QStringLiteral("TRUNCATE vimbra.series CASCADE; DELETE FROM vimbra.learner;"), nullptr, &error),
                 qPrintable(error));
    }

    // Thirty computers started at once on an empty database: each step of
    // the schema is applied once, and every one of them finds it whole.
    void schemaStepsOnceUnderTheirLock()
    {
        constexpr int kComputers = 30;
        std::atomic<int> ready{0}, opened{0};
        std::vector<std::thread> computers;
        QStringList failures;
        std::mutex failuresMutex;
        for (int i = 0; i < kComputers; ++i)
            computers.emplace_back([&] {
                ClassServer server(QStringLiteral("race"));
                ++ready;
                while (ready < kComputers)
                    std::this_thread::yield();
                QString reason;
                if (server.Open(&reason) && server.ServerVersion() == ClassServer::SchemaVersion())
                    ++opened;
                else {
                    std::lock_guard<std::mutex> lock(failuresMutex);
                    failures << reason;
                }
            });
        for (std::thread &t : computers)
            t.join();
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
        QCOMPARE(opened.load(), kComputers);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*), max(version) FROM vimbra.schema_version"), QStringLiteral("race")),
                 QStringLiteral("%1|%1").arg(ClassServer::SchemaVersion()));
    }

    // A learner's computer adds series and reads the roster; the server
    // refuses it anything else, whatever the program would send.
    void theLearnersRoleIsRefusedTheRest_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::newRow("update a series") << "UPDATE vimbra.series SET total = 50";
        QTest::newRow("delete a series") << "DELETE FROM vimbra.series";
        QTest::newRow("read the series") << "SELECT shooter, total FROM vimbra.series";
        QTest::newRow("read the shots") << "SELECT * FROM vimbra.shot";
        QTest::newRow("change a shot") << "UPDATE vimbra.shot SET score = 10";
        QTest::newRow("add to the roster") << "INSERT INTO vimbra.learner (class, name) VALUES ('7Б', 'Чужой')";
        QTest::newRow("empty the roster") << "DELETE FROM vimbra.learner";
        QTest::newRow("drop the table") << "DROP TABLE vimbra.series";
        // The series' identity is told to anyone listening; it lets a
        // learner's computer add nothing to a series filed before.
        QTest::newRow("add a shot to a filed series")
            << "INSERT INTO vimbra.shot (series_uid, number, x, y, score, hold_x, hold_y, align_x, align_y,"
               " correction_x, correction_y) VALUES ('%uid', 9, 0, 0, 10, 0, 0, 0, 0, 0, 0)";
    }
    void theLearnersRoleIsRefusedTheRest()
    {
        QFETCH(QString, sql);
        QString error;
        QVERIFY(FPg.Psql(QStringLiteral("INSERT INTO vimbra.learner VALUES ('7Б', 'Иванова Мария')"), nullptr, &error));
        ClassServer learner(QStringLiteral("learner"));
        QVERIFY2(learner.Open(&error), qPrintable(error));
        const JournalSeries filed = aSeries(QStringLiteral("Иванова Мария"), QStringLiteral("7Б"), 1);
        QCOMPARE(learner.Send(filed, QStringLiteral("pc1"), &error), ClassServer::Outcome::Sent);
        QSqlQuery q(learner.Database());
        QVERIFY(!q.exec(sql.replace(QStringLiteral("%uid"), filed.uid.toString(QUuid::WithoutBraces))));
        QCOMPARE(q.lastError().nativeErrorCode().left(2), QStringLiteral("42")); // refused, not failed
        QCOMPARE(scalar(QStringLiteral("SELECT count(*), sum(total) FROM vimbra.series")), QStringLiteral("1|41"));
        QCOMPARE(scalar(QStringLiteral("SELECT count(*), max(number) FROM vimbra.shot")), QStringLiteral("5|5"));
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM vimbra.learner")), QStringLiteral("1"));
        QVERIFY(!learner.MayReadClass());
        ClassServer teacher(QStringLiteral("teacher"));
        QVERIFY2(teacher.Open(&error), qPrintable(error));
        QVERIFY(teacher.MayReadClass());
    }

    // Names as learners and teachers type them are filed as they are: a
    // name is a value, never a piece of a statement. With a roster in use,
    // only its names are taken.
    void namesAreFiledAsTyped_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("onRoster");
        QTest::addColumn<bool>("filed");
        QTest::newRow("Cyrillic") << "Ёлкина Анна-Мария" << true << true;
        QTest::newRow("quotes") << "O'Brien \"Джо\"" << true << true;
        QTest::newRow("a statement") << "'; DROP TABLE vimbra.series; --" << true << true;
        QTest::newRow("200 characters") << QString(200, QChar(u'Щ')) << true << true;
        QTest::newRow("201 characters") << QString(201, QChar(u'Щ')) << false << false;
        QTest::newRow("off the roster") << "Посторонний" << false << false;
    }
    void namesAreFiledAsTyped()
    {
        QFETCH(QString, name);
        QFETCH(bool, onRoster);
        QFETCH(bool, filed);
        QString error;
        ClassServer teacher(QStringLiteral("teacher"));
        QVERIFY2(teacher.Open(&error), qPrintable(error));
        QList<ClassRoster::Learner> roster{{QStringLiteral("9А"), QStringLiteral("Петров")}};
        if (onRoster)
            roster << ClassRoster::Learner{QStringLiteral("9А"), name};
        QVERIFY2(teacher.AddLearners(roster, &error), qPrintable(error));

        ClassServer learner(QStringLiteral("learner"));
        QVERIFY2(learner.Open(&error), qPrintable(error));
        const std::optional<ClassRoster> read = learner.Roster(&error);
        QVERIFY2(read, qPrintable(error));
        QCOMPARE(read->Names(QStringLiteral("9А")).contains(name), onRoster);
        const JournalSeries series = aSeries(name, QStringLiteral("9А"), 3);
        QCOMPARE(learner.Send(series, QStringLiteral("pc1"), &error),
                 filed ? ClassServer::Outcome::Sent : ClassServer::Outcome::Refused);
        // Sent again: filed once.
        if (filed)
            QCOMPARE(learner.Send(series, QStringLiteral("pc1"), &error), ClassServer::Outcome::AlreadyThere);

        QSqlQuery q(teacher.Database());
        q.prepare(QStringLiteral("SELECT shooter, (SELECT count(*) FROM vimbra.shot) FROM vimbra.series"));
        QVERIFY(q.exec());
        QCOMPARE(q.next(), filed);
        if (filed) {
            QCOMPARE(q.value(0).toString(), name);
            QCOMPARE(q.value(1).toInt(), 5);
            QVERIFY(!q.next());
        }
        QCOMPARE(scalar(QStringLiteral("SELECT to_regclass('vimbra.series') IS NOT NULL")), QStringLiteral("t"));
    }

    // Thirty computers filing twenty series each at once, through the
    // program's own keeper and sender: exactly 600 on the server, none
    // twice; also when the server stops in the middle and comes back. A
    // computer whose queue is offered again (as after a kill between the
    // server's commit and the queue's) finds its series filed before.
    void thirtyComputersFileEachSeriesOnce_data()
    {
        QTest::addColumn<bool>("serverStops");
        QTest::newRow("steady") << false;
        QTest::newRow("the server stops and comes back") << true;
    }
    void thirtyComputersFileEachSeriesOnce()
    {
        QFETCH(bool, serverStops);
        constexpr int kComputers = 30;
        constexpr int kSeries = 20;
        QTemporaryDir journals;
        std::vector<std::unique_ptr<TJournalKeeper>> keepers;
        QSet<QUuid> sent;
        int filedBefore = 0;
        QHash<TJournalKeeper *, int> told;
        for (int c = 0; c < kComputers; ++c) {
            keepers.push_back(std::make_unique<TJournalKeeper>(journals.filePath(QStringLiteral("pc%1.sqlite").arg(c))));
            TJournalKeeper *keeper = keepers.back().get();
            connect(keeper, &TJournalKeeper::ClassSent, this,
                    [&](const QUuid &uid, bool before, const QString &refused) {
                        QVERIFY2(refused.isEmpty(), qPrintable(refused));
                        sent << uid;
                        filedBefore += before;
                    });
            connect(keeper, &TJournalKeeper::ClassUnreachable, this, [&, keeper](const QString &text) {
                ++told[keeper];
                QVERIFY2(text.startsWith(QStringLiteral("Журнал класса недоступен: "))
                             && text.endsWith(QStringLiteral("; серии сохраняются на этом компьютере")),
                         qPrintable(text));
            });
            keeper->UseClassJournal(QStringLiteral("learner"));
        }
        QElapsedTimer clock;
        clock.start();
        bool stopped = false;
        for (int n = 0; n < kSeries; ++n) {
            for (int c = 0; c < kComputers; ++c)
                keepers[size_t(c)]->Record(aSeries(QStringLiteral("Ученик %1").arg(c), QStringLiteral("8В"), n));
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            if (serverStops && !stopped && n == kSeries / 2) {
                FPg.Stop(PgServer::StopMode::Fast);
                stopped = true;
                // Series go on being fired while it is down.
                QTest::qWait(1000);
            }
        }
        if (serverStops) {
            QString error;
            QVERIFY2(FPg.StartAgain(&error), qPrintable(error));
        }
        QVERIFY2(waitUntil([&] { return sent.size() == kComputers * kSeries; }, 60000),
                 qPrintable(QStringLiteral("%1 of %2 on the server").arg(sent.size()).arg(kComputers * kSeries)));
        qInfo("%d series from %d computers on the server in %lld ms", int(sent.size()), kComputers,
              qint64(clock.elapsed()));
        QCOMPARE(scalar(QStringLiteral("SELECT count(*), count(DISTINCT uid) FROM vimbra.series")),
                 QStringLiteral("600|600"));
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM vimbra.shot")), QStringLiteral("3000"));
        if (serverStops) {
            QVERIFY(!told.isEmpty());
            for (int times : std::as_const(told))
                QCOMPARE(times, 1); // told once, however long it took
        }
        const QString again = keepers.front()->Path();
        keepers.clear();

        // The first computer's series offered again: the server keeps its own.
        QVERIFY(requeue(again));
        sent.clear();
        filedBefore = 0;
        {
            TJournalKeeper keeper(again);
            connect(&keeper, &TJournalKeeper::ClassSent, this,
                    [&](const QUuid &uid, bool before, const QString &) {
                        sent << uid;
                        filedBefore += before;
                    });
            keeper.UseClassJournal(QStringLiteral("learner"));
            QVERIFY(waitUntil([&] { return sent.size() == kSeries; }, 20000));
        }
        QCOMPARE(filedBefore, kSeries);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM vimbra.series")), QStringLiteral("600"));
    }

    // A series the roster does not take is refused: the learner is told
    // once, the series stays on this computer, and goes once the teacher
    // has put the name on the roster.
    void aRefusedSeriesWaitsForTheRoster()
    {
        QString error;
        QVERIFY(FPg.Psql(QStringLiteral("INSERT INTO vimbra.learner VALUES ('5А', 'Петров')"), nullptr, &error));
        QTemporaryDir dir;
        TJournalKeeper keeper(dir.filePath(QStringLiteral("journal.sqlite")));
        QStringList told;
        QSet<QUuid> sent;
        connect(&keeper, &TJournalKeeper::ClassRefused, this, [&](const QString &text) { told << text; });
        connect(&keeper, &TJournalKeeper::ClassSent, this, [&](const QUuid &uid, bool, const QString &refused) {
            if (refused.isEmpty())
                sent << uid;
        });
        keeper.UseClassJournal(QStringLiteral("learner"));
        for (int n = 0; n < 2; ++n)
            keeper.Record(aSeries(QStringLiteral("Новенькая"), QStringLiteral("5А"), n));
        QVERIFY(waitUntil([&] { return !told.isEmpty() && queued(keeper.Path()) == 0; }, 10000));
        QTest::qWait(300);
        QCOMPARE(told.size(), 1);
        QVERIFY2(told.first().startsWith(QStringLiteral("Журнал класса не принял серию: ")), qPrintable(told.first()));
        QVERIFY(sent.isEmpty());
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM vimbra.series")), QStringLiteral("0"));

        QVERIFY(FPg.Psql(QStringLiteral("INSERT INTO vimbra.learner VALUES ('5А', 'Новенькая')"), nullptr, &error));
        keeper.RefreshRoster();
        QVERIFY(waitUntil([&] { return sent.size() == 2; }, 10000));
        QCOMPARE(told.size(), 1);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*), count(DISTINCT shooter) FROM vimbra.series")),
                 QStringLiteral("2|1"));
    }

    // The program killed with series queued (the server down): its next
    // start sends them, once.
    void aKilledProgramsQueueIsSentOnce()
    {
        QTemporaryDir dir;
        const QString journal = dir.filePath(QStringLiteral("journal.sqlite"));
        FPg.Stop(PgServer::StopMode::Fast);
        QProcess first;
        first.start(QStringLiteral(JOURNAL_WRITER),
                    {journal, QStringLiteral("5"), QStringLiteral("Сидоров"), QStringLiteral("--keeper"),
                     QStringLiteral("--class"), QStringLiteral("learner"), QStringLiteral("--stay")});
        QVERIFY(first.waitForStarted());
        QByteArray said;
        QVERIFY(waitUntil(
            [&] {
                first.waitForReadyRead(20);
                said += first.readAll();
                return said.contains("idle") && said.contains("class-told: ");
            },
            20000));
        first.kill();
        first.waitForFinished();
        QCOMPARE(queued(journal), 5);

        QString error;
        QVERIFY2(FPg.StartAgain(&error), qPrintable(error));
        for (int run = 0; run < 2; ++run) {
            QProcess next;
            next.start(QStringLiteral(JOURNAL_WRITER), {journal, QStringLiteral("0"), QStringLiteral("--keeper"),
                                                        QStringLiteral("--class"), QStringLiteral("learner"),
                                                        QStringLiteral("--stay")});
            QVERIFY(next.waitForStarted());
            QByteArray out;
            // The first run sends the five; the second finds nothing queued.
            waitUntil(
                [&] {
                    next.waitForReadyRead(20);
                    out += next.readAll();
                    return out.count("sent ") == 5;
                },
                run == 0 ? 20000 : 2000);
            next.terminate();
            QVERIFY(next.waitForFinished());
            out += next.readAll();
            QCOMPARE(out.count("sent "), run == 0 ? 5 : 0);
        }
        QCOMPARE(queued(journal), 0);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*), count(DISTINCT uid) FROM vimbra.series WHERE shooter = 'Сидоров'")),
                 QStringLiteral("5|5"));
    }

    // A wrong password is a server out of reach like any other: told once,
    // the series kept, and sent once libpq finds the password.
    void aWrongPasswordKeepsTheSeries()
    {
        QString error;
        QVERIFY2(FPg.Psql(QStringLiteral("ALTER ROLE vimbra_learner PASSWORD 'верный'"), nullptr, &error), qPrintable(error));
        QVERIFY(FPg.RequirePassword(QStringLiteral("vimbra_learner")));
        QTemporaryDir dir;
        const QString passFile = dir.filePath(QStringLiteral("pgpass"));
        QFile pass(passFile);
        QVERIFY(pass.open(QIODevice::WriteOnly));
        pass.write("*:*:*:vimbra_learner:неверный\n");
        pass.close();
        pass.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        qputenv("PGPASSFILE", QFile::encodeName(passFile));

        TJournalKeeper keeper(dir.filePath(QStringLiteral("journal.sqlite")));
        QStringList told;
        QSet<QUuid> sent;
        connect(&keeper, &TJournalKeeper::ClassUnreachable, this, [&](const QString &text) { told << text; });
        connect(&keeper, &TJournalKeeper::ClassSent, this, [&](const QUuid &uid, bool, const QString &) { sent << uid; });
        keeper.UseClassJournal(QStringLiteral("learner"));
        for (int n = 0; n < 3; ++n)
            keeper.Record(aSeries(QStringLiteral("Кузнецова"), QString(), n));
        QVERIFY(waitUntil([&] { return !told.isEmpty(); }, 10000));
        QTest::qWait(1500); // more attempts, no more words
        QCOMPARE(told.size(), 1);
        QVERIFY2(told.first().contains(QStringLiteral("password")), qPrintable(told.first()));
        QCOMPARE(queued(keeper.Path()), 3);

        QVERIFY(pass.open(QIODevice::WriteOnly | QIODevice::Truncate));
        pass.write(QStringLiteral("*:*:*:vimbra_learner:верный\n").toUtf8());
        pass.close();
        QVERIFY(waitUntil([&] { return sent.size() == 3; }, 10000));
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM vimbra.series")), QStringLiteral("3"));
        qunsetenv("PGPASSFILE");
    }

private:
    // The series queued for the class journal in a local journal.
    static int queued(const QString &journal)
    {
        JournalStore store;
        QString reason;
        if (!store.Open(journal, &reason, nullptr, JournalStore::Check::Header, JournalStore::Access::ReadOnly))
            return -1;
        return store.OutboxSize();
    }
    // Every series of a local journal queued again, as if none had been sent.
    static bool requeue(const QString &journal)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("requeue"));
        db.setDatabaseName(journal);
        bool ok = db.open()
                  && QSqlQuery(db).exec(QStringLiteral("INSERT INTO outbox (uid, class) SELECT uid, '8В' FROM series"));
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("requeue"));
        return ok;
    }
};

QTEST_GUILESS_MAIN(TestClassJournal)
#include "tst_classjournal.moc"
