// The learner's journal: the database kept whatever happens to the program
// or the file, the writer off the GUI thread, the message when the journal
// cannot be used, and the series of the main window filed in it.

#include "testsupport.h"

#include "journal/journalstore.h"
#include "journal/journalwriter.h"
#include "platform/pause.h"
#include "platform/random.h"
#include "ui/frmJournal.h"
#include "ui/frmMain.h"
#include "journal/journalkeeper.h"
#include "ui/journalmessages.h"

#include <QCryptographicHash>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalSpy>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <climits>
#include <optional>
#include <unistd.h>

namespace {

JournalSeries sample(const QString &shooter, int total, QDateTime when = QDateTime::currentDateTimeUtc())
{
    JournalSeries s;
    s.firedAt = when;
    s.shooter = shooter;
    s.targetWidth = 49;
    s.largeTarget = false;
    s.blackCircleValue = 4;
    s.correction = 35;
    s.exercise = QStringLiteral("Кучность");
    s.total = total;
    s.meanPoint = QPointF(1.5, -2.25);
    s.meanRadius = 3.125;
    s.extremeSpread = 8.5;
    s.ringWidth = 7.54;
    for (int i = 1; i <= 5; ++i)
        s.shots << JournalShot{i, QPointF(i, -i), 10 - i, QPointF(i + 1, -i + 30), QPointF(-1, 0), QPointF(0, -35)};
    return s;
}

QByteArray digest(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1) : QByteArray();
}

int seriesCount(const QString &path)
{
    JournalStore store;
    if (!store.Open(path, nullptr))
        return -1;
    int n = 0;
    for (const QString &shooter : store.Shooters())
        n += int(store.Summaries(shooter).size());
    return n;
}

// Shows the lesson window and fires a whole series at the gun, as a learner
// of that name.
bool fireSeriesAs(TMainF &w, const QString &shooter)
{
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        return false;
    w.Journal()->SetShooter(shooter);
    for (int i = 0; i < 5; ++i)
        QTest::mouseDClick(w.windowHandle(), Qt::LeftButton, {}, QPoint(300, 460));
    return true;
}

// Answers the journal's message for the tests and counts it.
struct Messages {
    QStringList texts;
    bool startNew = false;
    Messages()
    {
        SetJournalMessageHookForTesting([this](const QString &text, bool offerNew) {
            texts << text;
            return offerNew && startNew;
        });
    }
    ~Messages() { SetJournalMessageHookForTesting({}); }
};

} // namespace

class TestJournal : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

    QString path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }

private Q_SLOTS:
    void init() { RandSeed(1234); }

    // Written and read back, every field; made with its folders on first use.
    void writesAndReadsBack()
    {
        const QString file = path("new/folder/journal.sqlite");
        JournalStore store;
        QString reason;
        QVERIFY2(store.Open(file, &reason), qPrintable(reason));
        QVERIFY(QFile::exists(file));
        JournalSeries older = sample(QStringLiteral("Иванов; \"И.\""), 41, QDateTime::currentDateTimeUtc().addSecs(-60));
        JournalSeries newer = sample(QStringLiteral("Иванов; \"И.\""), 47);
        JournalSeries other = sample(QStringLiteral("Петрова"), 30);
        QVERIFY(store.Write(older, &reason) && store.Write(newer, &reason) && store.Write(other, &reason));
        QVERIFY(older.id > 0 && newer.id > older.id);
        QCOMPARE(store.Shooters(), (QStringList{QStringLiteral("Иванов; \"И.\""), QStringLiteral("Петрова")}));
        const QList<JournalSeries> list = store.Summaries(QStringLiteral("Иванов; \"И.\""));
        QCOMPARE(list.size(), 2);
        QCOMPARE(list[0].id, newer.id); // newest first
        QVERIFY(list[0].shots.isEmpty());

        const JournalSeries back = *store.Read(newer.id);
        QCOMPARE(back.firedAt.toMSecsSinceEpoch(), newer.firedAt.toMSecsSinceEpoch());
        QCOMPARE(back.shooter, newer.shooter);
        QCOMPARE(back.targetWidth, 49);
        QVERIFY(!back.largeTarget);
        QCOMPARE(back.blackCircleValue, 4);
        QCOMPARE(back.correction, 35);
        QCOMPARE(back.exercise, QStringLiteral("Кучность"));
        QCOMPARE(back.total, 47);
        QCOMPARE(back.meanPoint, QPointF(1.5, -2.25));
        QCOMPARE(back.meanRadius, 3.125);
        QCOMPARE(back.extremeSpread, 8.5);
        QCOMPARE(back.ringWidth, 7.54);
        QCOMPARE(back.shots.size(), 5);
        for (int i = 0; i < 5; ++i) {
            const JournalShot &s = back.shots[i], &o = newer.shots[i];
            QVERIFY(s.number == o.number && s.hole == o.hole && s.score == o.score && s.hold == o.hold
                    && s.alignment == o.alignment && s.correction == o.correction);
        }
        QCOMPARE(store.ReadAll(QStringLiteral("Иванов; \"И.\"")).first().id, older.id); // oldest first

        // Offered again (the same identity): left as it is, not doubled, and
        // not even its shooter's name filed anew.
        QVERIFY(!newer.uid.isNull());
        QCOMPARE(back.uid, newer.uid);
        JournalSeries again = sample(QStringLiteral("Новое имя"), 12);
        again.uid = newer.uid;
        bool existed = false;
        QVERIFY(store.Write(again, &reason, &existed));
        QVERIFY(existed);
        QCOMPARE(again.id, newer.id);
        QCOMPARE(store.Summaries(QStringLiteral("Иванов; \"И.\"")).size(), 2);
        QVERIFY(!store.Shooters().contains(QStringLiteral("Новое имя")));
        QCOMPARE(store.Read(newer.id)->total, 47);
        QVERIFY(store.SetSetting(QStringLiteral("shooter"), QStringLiteral("Петрова")));
        QCOMPARE(store.Setting(QStringLiteral("shooter")), QStringLiteral("Петрова"));
        QVERIFY(store.IntegrityOk());

        // WAL mode, the schema version stamped.
        store.Close();
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("peek"));
        db.setDatabaseName(file);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("PRAGMA journal_mode")) && q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("wal"));
        QVERIFY(q.exec(QStringLiteral("PRAGMA user_version")) && q.next());
        QCOMPARE(q.value(0).toInt(), JournalStore::SchemaVersion());
        q.finish();
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("peek"));
    }

    // A journal written by the first version opens: brought up to today's
    // schema, its series intact; the exercises' data then round-trips.
    void firstVersionJournalMigrates()
    {
        const QString file = path("v1.sqlite");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("v1"));
            db.setDatabaseName(file);
            QVERIFY(db.open());
            QSqlQuery q(db);
            for (const char *sql : {
                     "PRAGMA journal_mode=WAL",
                     "CREATE TABLE shooter (id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE)",
                     "CREATE TABLE series (id INTEGER PRIMARY KEY, shooter_id INTEGER NOT NULL REFERENCES shooter(id),"
                     " fired_at TEXT NOT NULL, target_width INTEGER NOT NULL, large_target INTEGER NOT NULL,"
                     " black_circle INTEGER NOT NULL, correction INTEGER NOT NULL, exercise TEXT NOT NULL DEFAULT '',"
                     " total INTEGER NOT NULL, mean_x REAL NOT NULL, mean_y REAL NOT NULL, mean_radius REAL NOT NULL,"
                     " extreme_spread REAL NOT NULL, ring_width REAL NOT NULL)",
                     "CREATE INDEX series_by_shooter ON series (shooter_id, fired_at)",
                     "CREATE TABLE shot (series_id INTEGER NOT NULL REFERENCES series(id) ON DELETE CASCADE,"
                     " number INTEGER NOT NULL, x REAL NOT NULL, y REAL NOT NULL, score INTEGER NOT NULL,"
                     " hold_x REAL NOT NULL, hold_y REAL NOT NULL, align_x REAL NOT NULL, align_y REAL NOT NULL,"
                     " correction_x REAL NOT NULL, correction_y REAL NOT NULL, PRIMARY KEY (series_id, number)) WITHOUT ROWID",
                     "CREATE TABLE setting (key TEXT PRIMARY KEY, value TEXT NOT NULL) WITHOUT ROWID",
                     "INSERT INTO shooter (name) VALUES ('Старый')",
                     "INSERT INTO series VALUES (1, 1, '2026-01-02T03:04:05.000Z', 97, 1, 3, 20, '', 44, 1, 2, 3, 4, 6.47)",
                     "INSERT INTO series VALUES (2, 1, '2026-01-02T03:06:05.000Z', 97, 1, 3, 20, '', 40, 1, 2, 3, 4, 6.47)",
                     "INSERT INTO shot VALUES (1, 1, 1, 2, 9, 1, 22, 0, 0, 0, -20)",
                     "PRAGMA user_version=1"})
                QVERIFY2(q.exec(QString::fromUtf8(sql)), sql);
            q.finish();
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("v1"));
        }
        JournalStore store;
        QString reason;
        QVERIFY2(store.Open(file, &reason), qPrintable(reason));
        const JournalSeries old = *store.Read(1);
        QCOMPARE(old.shooter, QStringLiteral("Старый"));
        QCOMPARE(old.total, 44);
        QCOMPARE(old.firedAt, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::UTC));
        QCOMPARE(old.shots.size(), 1);
        QCOMPARE(old.shots[0].sincePreviousMs, -1);
        QVERIFY(!old.shots[0].called);
        QCOMPARE(old.zeroingSeries, 0);
        QCOMPARE(old.timeLimitMs, 0); // not timed
        QCOMPARE(old.shots[0].sinceStartMs, -1);
        QVERIFY(!old.shots[0].late);
        // The series filed before identities got one each.
        QVERIFY(!old.uid.isNull() && old.uid.version() == QUuid::Random);
        QVERIFY(!store.Read(2)->uid.isNull() && store.Read(2)->uid != old.uid);

        JournalSeries fresh = sample(QStringLiteral("Старый"), 45);
        fresh.hiddenError = QPoint(-7, 13);
        fresh.zeroingSeries = 3;
        fresh.shots[1].called = true;
        fresh.shots[1].call = QPointF(2.5, -4);
        fresh.shots[1].sincePreviousMs = 4321;
        for (int ms = -2000; ms <= 0; ms += 250)
            fresh.shots[1].trace << TraceSample{ms, QPointF(ms / 100.0, 1)};
        fresh.timeLimitMs = 30000;
        fresh.shots[3].sinceStartMs = 30001;
        fresh.shots[3].late = true;
        fresh.shots[3].score = 0;
        QVERIFY(store.Write(fresh, &reason));
        const JournalSeries back = *store.Read(fresh.id);
        QCOMPARE(back.hiddenError, QPoint(-7, 13));
        QCOMPARE(back.zeroingSeries, 3);
        QVERIFY(back.shots[1].called && !back.shots[0].called);
        QCOMPARE(back.shots[1].call, QPointF(2.5, -4));
        QCOMPARE(back.shots[1].sincePreviousMs, 4321);
        QCOMPARE(back.shots[1].trace.size(), 9);
        QCOMPARE(back.shots[1].trace.first().ms, -2000);
        QCOMPARE(back.shots[1].trace.last().aim, QPointF(0, 1));
        QVERIFY(back.shots[0].trace.isEmpty());
        QCOMPARE(back.timeLimitMs, 30000);
        QCOMPARE(back.shots[3].sinceStartMs, 30001);
        QVERIFY(back.shots[3].late && !back.shots[2].late);
        QCOMPARE(back.shots[3].score, 0);
        QCOMPARE(back.shots[2].sinceStartMs, -1);
        QVERIFY(store.IntegrityOk());
    }

    // «Стрельба на время»: the limit, each shot's time from the clock's
    // start and the shots after the time, written and read back (one by one
    // and for the exports); a journal of the version before them, opened to
    // read only, reads as untimed, and opened to write is brought up to date.
    void timedSeriesKept()
    {
        const QString file = path("timed/journal.sqlite");
        JournalSeries timed = sample(QStringLiteral("Анна"), 30);
        timed.exercise = QStringLiteral("Стрельба на время");
        timed.timeLimitMs = 40000;
        for (int i = 0; i < 5; ++i) {
            timed.shots[i].sinceStartMs = 11000 * i + 250;
            timed.shots[i].late = timed.shots[i].sinceStartMs > 40000;
            if (timed.shots[i].late)
                timed.shots[i].score = 0;
        }
        {
            JournalStore store;
            QVERIFY(store.Open(file, nullptr));
            JournalSeries untimed = sample(QStringLiteral("Анна"), 40, QDateTime::currentDateTimeUtc().addSecs(-60));
            QVERIFY(store.Write(untimed, nullptr) && store.Write(timed, nullptr));
            for (const JournalSeries &back : {*store.Read(timed.id), store.ReadAll(QStringLiteral("Анна")).last()}) {
                QCOMPARE(back.timeLimitMs, 40000);
                QCOMPARE(back.total, 30);
                for (int i = 0; i < 5; ++i) {
                    QCOMPARE(back.shots[i].sinceStartMs, 11000 * i + 250);
                    QCOMPARE(back.shots[i].late, i == 4);
                    QCOMPARE(back.shots[i].score, timed.shots[i].score);
                }
            }
            const JournalSeries plain = *store.Read(untimed.id);
            QCOMPARE(plain.timeLimitMs, 0);
            QCOMPARE(plain.shots[0].sinceStartMs, -1);
            QVERIFY(!plain.shots[0].late);
            QCOMPARE(store.Summaries(QStringLiteral("Анна")).first().timeLimitMs, 40000);
        }
        // The same file as the version before wrote it: the columns gone.
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("v3"));
            db.setDatabaseName(file);
            QVERIFY(db.open());
            QSqlQuery q(db);
            for (const char *sql : {"ALTER TABLE series DROP COLUMN time_limit_ms", "ALTER TABLE shot DROP COLUMN since_start_ms",
                                    "ALTER TABLE shot DROP COLUMN late", "DROP TABLE outbox", "PRAGMA user_version=3"})
                QVERIFY2(q.exec(QString::fromUtf8(sql)), sql);
            q.finish();
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("v3"));
        }
        {
            JournalStore store;
            QString reason;
            QVERIFY2(store.Open(file, &reason, nullptr, JournalStore::Check::Thorough, JournalStore::Access::ReadOnly),
                     qPrintable(reason));
            const QList<JournalSeries> all = store.ReadAll(QStringLiteral("Анна"));
            QCOMPARE(all.size(), 2);
            QCOMPARE(all.last().timeLimitMs, 0);
            QCOMPARE(all.last().shots.size(), 5);
            QCOMPARE(all.last().shots[4].sinceStartMs, -1);
            QVERIFY(!all.last().shots[4].late);
            QCOMPARE(store.Read(timed.id)->shots[4].score, 0); // as filed
        }
        JournalStore store;
        QVERIFY(store.Open(file, nullptr));
        JournalSeries again = timed;
        again.uid = QUuid();
        QVERIFY(store.Write(again, nullptr));
        QCOMPARE(store.Read(again.id)->shots[4].sinceStartMs, 44250);
        QCOMPARE(store.Read(timed.id)->timeLimitMs, 0); // filed before the columns: untimed
        QVERIFY(store.IntegrityOk());
    }

    // A timed series that waits beside the journal keeps its clock.
    void timedSeriesWaitsWithItsClock()
    {
        const QString file = path("timed-later/journal.sqlite");
        QDir().mkpath(file); // a folder in its place, for now
        JournalSeries timed = sample(QString(), 20);
        timed.timeLimitMs = 10000;
        for (int i = 0; i < 5; ++i) {
            timed.shots[i].sinceStartMs = 2600 * i;
            timed.shots[i].late = timed.shots[i].sinceStartMs > timed.timeLimitMs;
        }
        Messages messages;
        {
            TJournalKeeper keeper(file);
            TellJournalMessages(&keeper);
            keeper.Record(timed);
            QTRY_COMPARE(messages.texts.size(), 1);
        }
        QCOMPARE(JournalWriter::PendingFiles(file).size(), 1);
        const QList<JournalSeries> kept = JournalWriter::KeptIn(JournalWriter::PendingFiles(file).first());
        QCOMPARE(kept.size(), 1);
        QCOMPARE(kept[0].timeLimitMs, 10000);
        QCOMPARE(kept[0].shots[3].sinceStartMs, 7800);
        QVERIFY(kept[0].shots[4].late && !kept[0].shots[3].late);
        QDir(file).removeRecursively();
        {
            TJournalKeeper keeper(file);
            TellJournalMessages(&keeper);
            keeper.Record(sample(QString(), 21));
            QTRY_COMPARE(keeper.Written(), 2);
        }
        JournalStore store;
        QVERIFY(store.Open(file, nullptr));
        const QList<JournalSeries> all = store.ReadAll(QString());
        QCOMPARE(all.size(), 2);
        const JournalSeries &back = all[0].total == 20 ? all[0] : all[1];
        QCOMPARE(back.timeLimitMs, 10000);
        QCOMPARE(back.shots[2].sinceStartMs, 5200);
        QVERIFY(back.shots[4].late);
    }

    // Files the program cannot use: refused with a reason a user can read,
    // and left exactly as they were.
    void unusableFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // "dir": a folder in the file's place
        QTest::addColumn<QString>("reason");
        QTest::addColumn<bool>("damaged");
        QByteArray random(8192, '\0');
        QRandomGenerator gen(7);
        for (char &c : random)
            c = char(gen.bounded(256));
        QTest::newRow("random bytes") << random << "повреждён" << true;
        QTest::newRow("text") << QByteArray("not a journal at all\n") << "повреждён" << true;
        QTest::newRow("a folder in its place") << QByteArray("dir") << "папка" << false;
        QTest::newRow("a later version's journal") << QByteArray("later") << "более новой версией" << false;
        QTest::newRow("a truncated journal") << QByteArray("truncated") << "повреждён" << true;
    }
    void unusableFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        QFETCH(bool, damaged);
        const QString file = path("bad.sqlite");
        QFile::remove(file);
        QDir(file).removeRecursively();
        if (bytes == "dir") {
            QVERIFY(QDir().mkpath(file));
        } else if (bytes == "later" || bytes == "truncated") {
            JournalStore store;
            QVERIFY(store.Open(file, nullptr));
            for (int i = 0; i < 200; ++i) {
                JournalSeries s = sample(QStringLiteral("Иванов"), i % 50);
                QVERIFY(store.Write(s, nullptr));
            }
            store.Close();
            if (bytes == "later") {
                QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("later"));
                db.setDatabaseName(file);
                QVERIFY(db.open());
                QSqlQuery(db).exec(QStringLiteral("PRAGMA user_version=99"));
                db.close();
                db = QSqlDatabase();
                QSqlDatabase::removeDatabase(QStringLiteral("later"));
            } else {
                QFile f(file);
                QVERIFY(f.resize(f.size() / 2));
            }
        } else {
            QVERIFY(WriteFile(file, bytes));
        }
        const QByteArray before = digest(file);
        JournalStore store;
        QString why;
        bool isDamaged = false;
        QVERIFY(!store.Open(file, &why, &isDamaged));
        QVERIFY2(why.contains(reason), qPrintable(why));
        QCOMPARE(isDamaged, damaged);
        QCOMPARE(digest(file), before);
        QVERIFY(!QFile::exists(file + QStringLiteral("-wal")) || bytes == "later");
    }

    // A journal the user may not read or write: refused, as the user it is.
    void noRights()
    {
        if (getuid() != 0)
            QSKIP("needs the superuser, to run the writer as another user");
        const QString folder = path("private");
        QDir().mkpath(folder);
        // Others may pass through the test's folder, not into the journal.
        QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFileDevice::ExeOther);
        const QString file = folder + QStringLiteral("/journal.sqlite");
        {
            JournalStore store;
            QVERIFY(store.Open(file, nullptr));
        }
        QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                          | QFileDevice::ExeOther);
        QProcess writer;
        writer.start(QStringLiteral(JOURNAL_WRITER), {file, QStringLiteral("1"), QStringLiteral("--as-nobody")});
        QVERIFY(writer.waitForFinished(20000));
        const QString out = QString::fromUtf8(writer.readAllStandardOutput());
        QCOMPARE(writer.exitCode(), 2);
        QVERIFY2(out.startsWith(QStringLiteral("unavailable: нет прав")), qPrintable(out));
    }

    // A full disk (writes past a file size limit fail): the failure is told,
    // and what was committed before is all there and sound.
    void fullDisk()
    {
        const QString file = path("full.sqlite");
        QProcess writer;
        writer.start(QStringLiteral(JOURNAL_WRITER), {file, QStringLiteral("100000"), QStringLiteral("--file-size-limit"),
                                                      QStringLiteral("1048576")});
        QVERIFY(writer.waitForFinished(60000));
        const QStringList lines = QString::fromUtf8(writer.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(writer.exitCode(), 3);
        QVERIFY2(lines.last().startsWith(QStringLiteral("failed:")), qPrintable(lines.last()));
        const int committed = lines[lines.size() - 2].section(QLatin1Char(' '), 1).toInt();
        QVERIFY(committed > 0);
        QCOMPARE(seriesCount(file), committed);
        JournalStore store;
        QVERIFY(store.Open(file, nullptr) && store.IntegrityOk());
    }

    // Killed at random moments while it writes, many times over: the journal
    // always opens, passes the full integrity check and holds every series
    // whose commit was reported (and at most the one in flight).
    void killedWhileWriting()
    {
        const QString file = path("killed.sqlite");
        QRandomGenerator random(20261210);
        int committed = 0;
        for (int round = 0; round < 40; ++round) {
            QProcess writer;
            writer.start(QStringLiteral(JOURNAL_WRITER), {file, QStringLiteral("1000000")});
            QVERIFY(writer.waitForReadyRead(10000));
            QThread::msleep(random.bounded(5, 80));
            writer.kill();
            QVERIFY(writer.waitForFinished(10000));
            const QStringList lines = QString::fromUtf8(writer.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            int reported = 0;
            for (const QString &line : lines)
                if (line.startsWith(QStringLiteral("committed ")))
                    reported = line.section(QLatin1Char(' '), 1).toInt();
            JournalStore store;
            QVERIFY2(store.Open(file, nullptr), qPrintable(QStringLiteral("round %1").arg(round)));
            QVERIFY(store.IntegrityOk());
            const int held = int(store.Summaries(QStringLiteral("Тест")).size());
            QVERIFY2(held >= committed + reported && held <= committed + reported + 1,
                     qPrintable(QStringLiteral("round %1: %2 held, %3 + %4 reported").arg(round).arg(held).arg(committed).arg(reported)));
            for (const JournalSeries &s : store.Summaries(QStringLiteral("Тест")).mid(0, 3))
                QCOMPARE(store.Read(s.id)->shots.size(), 5); // never a series without its shots
            committed = held;
        }
        QVERIFY(committed > 40);
    }

    // Two programs writing at once: both series kept.
    void twoWritersAtOnce()
    {
        const QString file = path("shared.sqlite");
        QProcess first, second;
        first.start(QStringLiteral(JOURNAL_WRITER), {file, QStringLiteral("200"), QStringLiteral("Первый")});
        second.start(QStringLiteral(JOURNAL_WRITER), {file, QStringLiteral("200"), QStringLiteral("Второй")});
        QVERIFY(first.waitForFinished(60000) && second.waitForFinished(60000));
        QCOMPARE(first.exitCode(), 0);
        QCOMPARE(second.exitCode(), 0);
        JournalStore store;
        QVERIFY(store.Open(file, nullptr));
        QCOMPARE(store.Summaries(QStringLiteral("Первый")).size(), 200);
        QCOMPARE(store.Summaries(QStringLiteral("Второй")).size(), 200);
        QVERIFY(store.IntegrityOk());
    }

    // The writer's thread: a series that cannot be written is kept and
    // written once the journal can be used; the user is told once.
    void keptUntilTheJournalCanBeUsed()
    {
        const QString file = path("later/journal.sqlite");
        QDir().mkpath(file); // a folder in its place, for now
        Messages messages;
        {
            TJournalKeeper keeper(file);
            TellJournalMessages(&keeper);
            QSignalSpy written(&keeper, &TJournalKeeper::SeriesWritten);
            keeper.Record(sample(QString(), 40));
            QTRY_COMPARE(messages.texts.size(), 1);
            QCOMPARE(messages.texts[0], QStringLiteral("Журнал недоступен: %1: на месте файла журнала папка").arg(file));
            keeper.Record(sample(QString(), 41));
            QTRY_COMPARE(keeper.Pending(), 2);
            QVERIFY(!keeper.Reader());
            QCOMPARE(messages.texts.size(), 1); // told once

            QDir(file).removeRecursively();
            keeper.Record(sample(QString(), 42));
            QTRY_COMPARE(written.size(), 3);
            QCOMPARE(keeper.Pending(), 0);
        }
        JournalStore store;
        QVERIFY(store.Open(file, nullptr));
        QList<int> totals;
        for (const JournalSeries &s : store.Summaries(QString()))
            totals << s.total;
        std::sort(totals.begin(), totals.end());
        QCOMPARE(totals, (QList<int>{40, 41, 42}));
    }

    // Series still unwritten when the program ends wait beside the journal
    // and are written, first, by the next run.
    void unwrittenSeriesWaitForTheNextRun()
    {
        const QString file = path("next-run/journal.sqlite");
        QDir().mkpath(file); // a folder in its place, for now
        Messages messages;
        {
            TJournalKeeper keeper(file);
            TellJournalMessages(&keeper);
            keeper.Record(sample(QString(), 30));
            keeper.Record(sample(QString(), 31));
            QTRY_COMPARE(messages.texts.size(), 1);
        }
        QCOMPARE(JournalWriter::PendingFiles(file).size(), 1);
        QDir(file).removeRecursively();
        {
            TJournalKeeper keeper(file);
            TellJournalMessages(&keeper);
            keeper.Record(sample(QString(), 32));
            QTRY_COMPARE(keeper.Written(), 3);
        }
        QVERIFY(JournalWriter::PendingFiles(file).isEmpty());
        JournalStore store;
        QVERIFY(store.Open(file, nullptr));
        QList<int> totals;
        for (const JournalSeries &s : store.ReadAll(QString()))
            totals << s.total;
        QCOMPARE(totals.size(), 3);
        std::sort(totals.begin(), totals.end());
        QCOMPARE(totals, (QList<int>{30, 31, 32}));
        const JournalSeries kept = store.ReadAll(QString()).first();
        QCOMPARE(kept.shots.size(), 5);
        QCOMPARE(kept.exercise, QStringLiteral("Кучность"));
    }

    // A damaged journal: nothing written to it; on the user's choice it is set
    // aside, bytes intact, and a new journal takes its place.
    void damagedJournalSetAsideOnlyOnRequest_data()
    {
        QTest::addColumn<bool>("startNew");
        QTest::newRow("continue without") << false;
        QTest::newRow("start a new journal") << true;
    }
    void damagedJournalSetAsideOnlyOnRequest()
    {
        QFETCH(bool, startNew);
        QTemporaryDir here;
        const QString file = here.filePath(QStringLiteral("journal.sqlite"));
        QVERIFY(WriteFile(file, QByteArray(4096, 'x')));
        const QByteArray before = digest(file);
        Messages messages;
        messages.startNew = startNew;
        {
            TJournalKeeper keeper(file);
            TellJournalMessages(&keeper);
            keeper.Record(sample(QString(), 40));
            QTRY_COMPARE(messages.texts.size(), 1);
            QVERIFY(messages.texts[0].contains(QStringLiteral("повреждён")));
            if (startNew)
                QTRY_COMPARE(keeper.Written(), 1);
            else
                QTRY_COMPARE(keeper.Pending(), 1);
        }
        const QStringList aside = QDir(here.path()).entryList({QStringLiteral("journal.sqlite.damaged-*")});
        if (startNew) {
            QCOMPARE(aside.size(), 1);
            QCOMPARE(digest(here.filePath(aside[0])), before);
            QCOMPARE(seriesCount(file), 1);
        } else {
            QVERIFY(aside.isEmpty());
            QCOMPARE(digest(file), before);
        }
    }

    // A journal damaged within (a page in the middle overwritten, the header
    // intact): told once, shown to read only, and written neither by the
    // window nor by the writer: its bytes are as they were at the end, and so
    // are its log's when a killed program left series in it.
    void damagedWithinIsShownButNeverWritten_data()
    {
        QTest::addColumn<bool>("logLeft");
        QTest::newRow("log folded in") << false;
        QTest::newRow("series left in the log by a killed program") << true;
    }
    void damagedWithinIsShownButNeverWritten()
    {
        QFETCH(bool, logLeft);
        QTemporaryDir here;
        const QString file = here.filePath(QStringLiteral("journal.sqlite"));
        {
            JournalStore store;
            QVERIFY(store.Open(file, nullptr));
            for (int i = 0; i < 300; ++i) {
                JournalSeries s = sample(QStringLiteral("Анна"), i % 50);
                QVERIFY(store.Write(s, nullptr));
            }
            QVERIFY(store.SetSetting(QStringLiteral("shooter"), QStringLiteral("Анна")));
        }
        if (logLeft) {
            QProcess writer;
            writer.start(QStringLiteral(JOURNAL_WRITER), {file, QStringLiteral("1000000"), QStringLiteral("Анна")});
            QVERIFY(writer.waitForStarted());
            while (writer.waitForReadyRead(10000) && !writer.readAllStandardOutput().contains("committed 3")) {
            }
            writer.kill();
            QVERIFY(writer.waitForFinished(10000));
            QVERIFY(QFileInfo(file + QStringLiteral("-wal")).size() > 0);
        }
        int page = 0, pageSize = 0;
        {
            // A page of the shots' table from the middle of the file, found
            // through a connection that leaves the log as it is.
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("pages"));
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
            db.setDatabaseName(file);
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("PRAGMA page_size")) && q.next());
            pageSize = q.value(0).toInt();
            QVERIFY(q.exec(QStringLiteral("SELECT pageno FROM dbstat WHERE name = 'shot' AND pagetype = 'leaf' ORDER BY pageno")));
            QList<int> pages;
            while (q.next())
                pages << q.value(0).toInt();
            QVERIFY(pages.size() > 4);
            page = pages[pages.size() / 2];
            q.finish();
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("pages"));
        }
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadWrite) && f.seek(qint64(page - 1) * pageSize));
            QByteArray noise(pageSize, '\0');
            QRandomGenerator gen(page);
            for (char &c : noise)
                c = char(gen.bounded(256));
            QCOMPARE(f.write(noise), qint64(pageSize));
        }
        const QByteArray before = digest(file);
        const QByteArray logBefore = digest(file + QStringLiteral("-wal"));
        Messages messages;
        {
            TJournalKeeper keeper(file);
            TellJournalMessages(&keeper);
            TJournalF window(&keeper);
            window.Open(nullptr);
            QCOMPARE(messages.texts.size(), 1);
            QVERIFY2(messages.texts[0].contains(QStringLiteral("повреждён")), qPrintable(messages.texts[0]));
            QTRY_VERIFY(!window.Listing());
            QCOMPARE(window.tvSeries->model()->rowCount() >= 300, true); // the series' own pages are sound
            QVERIFY2(window.lbCount->text().contains(QStringLiteral("только просмотр")), qPrintable(window.lbCount->text()));
            window.cbShooter->setEditText(QStringLiteral("Борис"));
            Q_EMIT window.cbShooter->lineEdit()->editingFinished();
            keeper.Record(sample(QString(), 40));
            QTRY_COMPARE(keeper.Pending(), 1);
            QCOMPARE(keeper.Written(), 0);
            keeper.Finish();
        }
        QCOMPARE(digest(file), before);
        QCOMPARE(digest(file + QStringLiteral("-wal")), logBefore);
        QCOMPARE(messages.texts.size(), 1);
    }

    // The writer opens and checks the journal as soon as the keeper is made,
    // not when the first series is filed.
    void journalOpenedBeforeTheFirstSeries()
    {
        const QString file = path("early/journal.sqlite");
        Messages messages;
        TJournalKeeper keeper(file);
        TellJournalMessages(&keeper);
        QTRY_VERIFY(QFile::exists(file));
        JournalStore store;
        QVERIFY(store.Open(file, nullptr, nullptr, JournalStore::Check::Header, JournalStore::Access::ReadOnly));
        QVERIFY(store.Shooters().isEmpty());
        QVERIFY(messages.texts.isEmpty());
    }

    // The journal window: each learner's own history, newest first, drawn and
    // charted; a new learner's series go to them; exports for the coach; the
    // shooter in use remembered for the next run.
    void journalWindowKeepsEachLearnersHistory()
    {
        ProgramFolder folder;
        Recorders rec;
        Messages messages;
        const QString file = JournalStore::DefaultPath();
        QVERIFY(file.startsWith(folder.path()));
        {
            JournalStore store;
            QVERIFY(store.Open(file, nullptr));
            const QDateTime day(QDate(2026, 12, 9), QTime(10, 0), Qt::LocalTime);
            for (int i = 0; i < 3; ++i) {
                JournalSeries s = sample(QStringLiteral("Анна"), 30 + i, day.addSecs(600 * i).toUTC());
                QVERIFY(store.Write(s, nullptr));
            }
            JournalSeries other = sample(QStringLiteral("Борис"), 44, day.addDays(-1).toUTC());
            QVERIFY(store.Write(other, nullptr));
            QVERIFY(store.SetSetting(QStringLiteral("shooter"), QStringLiteral("Анна")));
        }
        QTemporaryDir out;
        TJournalF::SetSavePathHookForTesting([&](const QString &suggested) { return out.filePath(suggested); });
        {
            TMainF w(rec);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {}, w.btnJournal->geometry().center());
            TJournalF *j = w.JournalWindow();
            QVERIFY(j && QTest::qWaitForWindowExposed(j));
            QCOMPARE(j->windowTitle(), QStringLiteral("Журнал"));
            QCOMPARE(j->cbShooter->currentText(), QStringLiteral("Анна"));
            QTRY_COMPARE(j->tvSeries->model()->rowCount(), 3);
            QCOMPARE(j->tvSeries->model()->index(0, 1).data().toInt(), 32); // newest first
            QCOMPARE(j->Chart->Points().size(), 3);
            QCOMPARE(j->Chart->Points().first().total, 30); // oldest first
            QCOMPARE(j->Target->Current().shots.size(), 5);

            // Exports of what is shown: a CSV row per shot, a PDF of the day.
            QTest::mouseClick(j->btnCsv, Qt::LeftButton);
            QFile csv(out.filePath(QStringLiteral("Анна.csv")));
            QVERIFY(csv.open(QIODevice::ReadOnly));
            QCOMPARE(csv.readAll().count("\r\n"), 1 + 3 * 5);
            QTest::mouseClick(j->btnPdfDay, Qt::LeftButton);
            QVERIFY(QFileInfo(out.filePath(QStringLiteral("Анна-день.pdf"))).size() > 1000);

            // Another learner: their own, nothing of Анна's.
            j->cbShooter->setEditText(QStringLiteral("Вера"));
            Q_EMIT j->cbShooter->lineEdit()->editingFinished();
            QTRY_VERIFY(!j->Listing());
            QCOMPARE(j->tvSeries->model()->rowCount(), 0);
            // No series: the whole target, empty, as large as it fits.
            const double outer = j->Target->Scale() * j->Target->Current().target.RingRadius(1);
            const double room = std::min(j->Target->width(), j->Target->height()) / 2.0;
            QVERIFY2(outer <= room && outer > 0.8 * room, qPrintable(QStringLiteral("%1 of %2").arg(outer).arg(room)));
            QSignalSpy relisted(j->tvSeries->model(), &QAbstractItemModel::modelReset);
            for (int i = 0; i < 5; ++i)
                QTest::mouseDClick(w.windowHandle(), Qt::LeftButton, {}, QPoint(300, 460));
            QTRY_COMPARE(j->tvSeries->model()->rowCount(), 1);
            QCOMPARE(relisted.size(), 0); // the new series added, the list not read again
            QCOMPARE(j->tvSeries->currentIndex().row(), 0);
            QCOMPARE(j->lbCount->text(), QStringLiteral("серий: 1"));
            j->cbShooter->setEditText(QStringLiteral("Борис"));
            Q_EMIT j->cbShooter->lineEdit()->editingFinished();
            QTRY_VERIFY(!j->Listing());
            QCOMPARE(j->tvSeries->model()->rowCount(), 1);
            j->cbShooter->setEditText(QStringLiteral("Вера"));
            Q_EMIT j->cbShooter->lineEdit()->editingFinished();
        }
        TJournalF::SetSavePathHookForTesting({});
        TMainF again(rec); // the next run goes on with Вера
        QCOMPARE(again.Journal()->Shooter(), QStringLiteral("Вера"));
        QVERIFY(messages.texts.isEmpty());
        QVERIFY(rec.errors.isEmpty());
    }

    // The list gives each series' steadiness of the hold, measured from the
    // traces the journal keeps (the summaries it lists hold none) after the
    // list is shown, off the GUI thread; a series without traces has none; a
    // series filed while the window is open has its own at once. The chosen
    // series says it in words, and the window's CSV carries each shot's and
    // the series'.
    void theListShowsTheSteadiness()
    {
        ProgramFolder folder;
        Messages messages;
        {
            JournalStore store;
            QVERIFY(store.Open(JournalStore::DefaultPath(), nullptr));
            // The small target at 4: the 10 within 49 / 2 / 13 = 1,88
            // pixels, the 9 within 3,77, a ring width 3,77.
            JournalSeries traced = sample(QStringLiteral("Анна"), 40, QDateTime::currentDateTimeUtc().addSecs(-60));
            for (JournalShot &shot : traced.shots)
                shot.trace = {{-2000, {3, 0}}, {-250, {0, 1}}, {0, {0, 1}}}; // a quarter in the 10, all in the 9
            traced.shots[4].trace.clear();
            JournalSeries bare = sample(QStringLiteral("Анна"), 41);
            // Timed, its last shot after the time.
            bare.timeLimitMs = 30000;
            for (int i = 0; i < 5; ++i)
                bare.shots[i].sinceStartMs = 1000 + 7500 * i;
            bare.shots[4].late = true;
            bare.shots[4].score = 0;
            QVERIFY(store.Write(traced, nullptr));
            QVERIFY(store.Write(bare, nullptr));
            QVERIFY(store.SetSetting(QStringLiteral("shooter"), QStringLiteral("Анна")));
        }
        QTemporaryDir out;
        TJournalF::SetSavePathHookForTesting([&](const QString &suggested) { return out.filePath(suggested); });
        {
            TJournalKeeper keeper(JournalStore::DefaultPath());
            TJournalF window(&keeper);
            window.resize(900, 560);
            window.Open(nullptr);
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QTRY_COMPARE(window.tvSeries->model()->rowCount(), 2);
            const QAbstractItemModel *model = window.tvSeries->model();
            QCOMPARE(model->headerData(4, Qt::Horizontal).toString(), QStringLiteral("10/9, %"));
            QCOMPARE(model->headerData(5, Qt::Horizontal).toString(), QStringLiteral("Пятно"));
            QVERIFY(model->headerData(4, Qt::Horizontal, Qt::ToolTipRole).toString().contains(QStringLiteral("девятке")));
            // Newest first: the bare one, then the traced (a hold area about
            // (2,25; 0,25) of 1,19 pixels, 0,31 ring widths).
            QTRY_COMPARE(model->index(0, 4).data().toString(), QStringLiteral("—"));
            QCOMPARE(model->index(0, 5).data().toString(), QStringLiteral("—"));
            QCOMPARE(model->index(1, 4).data().toString(), QStringLiteral("25/100"));
            QCOMPARE(model->index(1, 5).data().toString(), QStringLiteral("0,3"));
            // Every column in sight.
            int columns = 0;
            for (int c = 0; c < model->columnCount(); ++c)
                columns += window.tvSeries->columnWidth(c);
            QVERIFY2(columns <= window.tvSeries->viewport()->width(),
                     qPrintable(QStringLiteral("%1 > %2").arg(columns).arg(window.tvSeries->viewport()->width())));

            window.SelectRow(1);
            QVERIFY2(window.lbSelected->text().contains(QStringLiteral(
                         "Устойчивость: в 10 — 25%, в 9 — 100% последней секунды; пятно удержания 0,3 ширины кольца.")),
                     qPrintable(window.lbSelected->text()));
            window.SelectRow(0);
            QVERIFY(!window.lbSelected->text().contains(QStringLiteral("Устойчивость")));
            // The timed one says its time and its late shot, as the debrief did.
            QVERIFY2(window.lbSelected->text().contains(QStringLiteral("0 (после времени)")),
                     qPrintable(window.lbSelected->text()));
            QVERIFY2(window.lbSelected->text().contains(QStringLiteral("На время: 31,0 с из 30; после времени — 1.")),
                     qPrintable(window.lbSelected->text()));

            connect(&keeper, &TJournalKeeper::SeriesWritten, &window, &TJournalF::Added);
            JournalSeries still = sample(QStringLiteral("Анна"), 45);
            for (JournalShot &shot : still.shots)
                shot.trace = {{-2000, {1, 0}}, {0, {1, 0}}};
            keeper.Record(still);
            QTRY_COMPARE(model->rowCount(), 3);
            QCOMPARE(model->index(0, 1).data().toInt(), 45);
            QCOMPARE(model->index(0, 4).data().toString(), QStringLiteral("100/100"));
            QCOMPARE(model->index(0, 5).data().toString(), QStringLiteral("0,0"));

            QTest::mouseClick(window.btnCsv, Qt::LeftButton);
            QFile csv(out.filePath(QStringLiteral("Анна.csv")));
            QVERIFY(csv.open(QIODevice::ReadOnly));
            QStringList rows = QString::fromUtf8(csv.readAll()).split(QStringLiteral("\r\n"));
            // (a timed series' three columns come last: left out here)
            for (QString &row : rows)
                row = row.section(QLatin1Char(';'), 0, -4);
            QVERIFY(rows[0].endsWith(QStringLiteral("Пятно удержания за серию, ширины кольца")));
            // Oldest first: the traced series' first shot, then its last; then
            // the bare one.
            QVERIFY2(rows[1].endsWith(QStringLiteral(";25;100;0,31;25;100;0,31")), qPrintable(rows[1]));
            QVERIFY2(rows[5].endsWith(QStringLiteral(";;;;25;100;0,31")), qPrintable(rows[5]));
            QVERIFY2(rows[6].endsWith(QStringLiteral(";;;;;;")), qPrintable(rows[6]));
        }
        TJournalF::SetSavePathHookForTesting({});
        QVERIFY(messages.texts.isEmpty());
    }

    // Exports from the window of a shooter with a very long name: the file
    // names it suggests fit the file system; a failed save is told once,
    // with its real reason.
    void windowExportsForALongName()
    {
        ProgramFolder folder;
        Messages messages;
        const QString name(200, QChar(u'Я'));
        {
            JournalStore store;
            QVERIFY(store.Open(JournalStore::DefaultPath(), nullptr));
            JournalSeries s = sample(name, 42);
            QVERIFY(store.Write(s, nullptr));
            QVERIFY(store.SetSetting(QStringLiteral("shooter"), name));
        }
        QTemporaryDir out;
        QStringList suggested, told;
        QString answer;
        TJournalF::SetSavePathHookForTesting([&](const QString &name) {
            suggested << name;
            return answer.isEmpty() ? out.filePath(name) : answer;
        });
        TJournalF::SetMessageHookForTesting([&](const QString &text) { told << text; });
        {
            TJournalKeeper keeper(JournalStore::DefaultPath());
            TellJournalMessages(&keeper);
            TJournalF window(&keeper);
            window.Open(nullptr);
            QTRY_COMPARE(window.tvSeries->model()->rowCount(), 1);
            for (QPushButton *button : {window.btnCsv, window.btnPdfSeries, window.btnPdfDay})
                QTest::mouseClick(button, Qt::LeftButton);
            QCOMPARE(suggested.size(), 3);
            for (const QString &file : std::as_const(suggested)) {
                QVERIFY2(QFile::encodeName(file).size() <= NAME_MAX - 7, qPrintable(file));
                QVERIFY(file.startsWith(QStringLiteral("ЯЯЯ")));
                QVERIFY2(QFileInfo(out.filePath(file)).size() > 0, qPrintable(file));
            }
            QVERIFY(suggested[0].endsWith(QStringLiteral(".csv")) && suggested[2].endsWith(QStringLiteral("-день.pdf")));
            QVERIFY(told.isEmpty());

            answer = out.filePath(QStringLiteral("нет такой/журнал.csv"));
            QTest::mouseClick(window.btnCsv, Qt::LeftButton);
            QCOMPARE(told.size(), 1);
            QCOMPARE(int(told[0].count(QStringLiteral("Не удалось сохранить"))), 1);
            QVERIFY2(told[0].endsWith(QStringLiteral("такой папки нет.")), qPrintable(told[0]));
        }
        TJournalF::SetSavePathHookForTesting({});
        TJournalF::SetMessageHookForTesting({});
        QVERIFY(messages.texts.isEmpty());
    }

    // A series fired in the main window is filed, after its fifth shot's
    // pause, exactly as the debrief saw it, under the shooter in use.
    void theMainWindowFilesItsSeries()
    {
        ProgramFolder folder;
        Recorders rec;
        QTemporaryDir data;
        qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
        {
            TMainF w(rec);
            QVERIFY(fireSeriesAs(w, QStringLiteral("Сидоров")));
            QCOMPARE(rec.pauses.size(), 5);
            QTRY_COMPARE(w.Journal()->Written(), 1);
        }
        JournalStore store;
        QVERIFY(store.Open(data.filePath(QStringLiteral("vimbra/journal.sqlite")), nullptr));
        const QList<JournalSeries> list = store.ReadAll(QStringLiteral("Сидоров"));
        QCOMPARE(list.size(), 1);
        QCOMPARE(list[0].shots.size(), 5);
        QCOMPARE(list[0].targetWidth, 97);
        QCOMPARE(list[0].blackCircleValue, 3);
        int total = 0;
        for (const JournalShot &s : list[0].shots) {
            QCOMPARE(s.hole, s.hold + s.alignment + s.correction);
            total += s.score;
        }
        QCOMPARE(list[0].total, total);
        QCOMPARE(store.Setting(QStringLiteral("shooter")), QStringLiteral("Сидоров"));
        qunsetenv("XDG_DATA_HOME");
    }

    // A journal that cannot be used is told in a box the lesson goes on
    // beside: the window still fires, and a close asked for as a window
    // manager asks still ends the lesson, with the box up.
    void unusableJournalStopsNothing()
    {
        ProgramFolder folder;
        Recorders rec;
        QTemporaryDir data;
        QFile inTheWay(data.filePath(QStringLiteral("vimbra"))); // where the journal's folder belongs
        QVERIFY(inTheWay.open(QIODevice::WriteOnly));
        inTheWay.close();
        qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
        std::optional<Messages> atTheEnd; // once the real box has shown
        TMainF w(rec);
        QVERIFY(fireSeriesAs(w, QStringLiteral("Сидоров")));
        QMessageBox *box = nullptr;
        QTRY_VERIFY((box = w.findChild<QMessageBox *>()) && box->isVisible());
        QVERIFY2(box->text().startsWith(QStringLiteral("Журнал недоступен")), qPrintable(box->text()));
        QCOMPARE(QApplication::activeModalWidget(), nullptr);

        // «Очистить», then a shot of the next series.
        QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {},
                          w.btnReset->mapTo(&w, w.btnReset->rect().center()));
        QTest::mouseDClick(w.windowHandle(), Qt::LeftButton, {}, QPoint(300, 460));
        QCOMPARE(rec.pauses.size(), 6);
        QSignalSpy closed(&w, &TMainF::Closed);
        w.windowHandle()->close();
        QCOMPARE(closed.size(), 1);
        atTheEnd.emplace(); // the series kept nowhere are told as the window goes
        qunsetenv("XDG_DATA_HOME");
    }
};

VIMBRA_TEST_MAIN(TestJournal)
#include "tst_journal.moc"
