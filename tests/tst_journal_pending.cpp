// Series the journal could not take at once: kept beside it by each program
// in a file of its own, written by the next run however often they are
// offered, and told when they can be kept nowhere. Each case runs real
// programs (tests/journal_writer, filing through the program's keeper) on
// real files: killed, two at once, on a full disk, in a folder the user may
// not write, beside a program that holds the journal.

#include "testsupport.h"

#include "journal/journalstore.h"
#include "journal/journalwriter.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QDataStream>
#include <QProcess>

#include <unistd.h>

namespace {

struct Run {
    QStringList lines;
    int exitCode = -1;

    QStringList starting(const QString &prefix) const
    {
        QStringList found;
        for (const QString &line : lines)
            if (line.startsWith(prefix))
                found << line;
        return found;
    }
};

Run run(const QStringList &args, int timeoutMs = 60000)
{
    QProcess writer;
    writer.start(QStringLiteral(JOURNAL_WRITER), args);
    Run result;
    if (!writer.waitForFinished(timeoutMs)) {
        writer.kill();
        writer.waitForFinished();
    }
    result.lines = QString::fromUtf8(writer.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    result.exitCode = writer.exitCode();
    return result;
}

// Reads a started program's output until a line starting so (or a timeout).
bool waitForLine(QProcess &process, const QString &prefix, QStringList *seen, int timeoutMs = 20000)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < timeoutMs) {
        while (process.canReadLine()) {
            const QString line = QString::fromUtf8(process.readLine()).trimmed();
            *seen << line;
            if (line.startsWith(prefix))
                return true;
        }
        process.waitForReadyRead(100);
    }
    return false;
}

// The journal's series, by shooter; -1 when it cannot be opened.
QMap<QString, int> seriesIn(const QString &journal)
{
    QMap<QString, int> count;
    JournalStore store;
    if (!store.Open(journal, nullptr, nullptr, JournalStore::Check::Thorough, JournalStore::Access::ReadOnly)) {
        count[QStringLiteral("unopened")] = -1;
        return count;
    }
    for (const QString &shooter : store.Shooters())
        count[shooter] = int(store.Summaries(shooter).size());
    return count;
}

int keptBeside(const QString &journal)
{
    QSet<QUuid> uids;
    for (const QString &file : JournalWriter::PendingFiles(journal))
        for (const JournalSeries &s : JournalWriter::KeptIn(file))
            uids.insert(s.uid);
    return int(uids.size());
}

QByteArray digest(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1) : QByteArray();
}

// An empty journal, made as the program makes it.
bool makeJournal(const QString &journal)
{
    JournalStore store;
    return store.Open(journal, nullptr);
}

// Another program holding the journal's write lock for `ms`; true once it does.
bool holdJournal(QProcess &holder, const QString &journal, int ms)
{
    holder.start(QStringLiteral(JOURNAL_WRITER),
                 {journal, QStringLiteral("0"), QStringLiteral("--hold-lock"), QString::number(ms)});
    QStringList seen;
    return waitForLine(holder, QStringLiteral("locked"), &seen);
}

// The number a message «Не удалось сохранить N ...» names; 0 if none.
int toldLost(const Run &r)
{
    for (const QString &line : r.starting(QStringLiteral("told: Не удалось сохранить ")))
        return line.section(QLatin1Char(' '), 4, 4).toInt();
    return 0;
}

} // namespace

class TestJournalPending : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

    // A journal that cannot be used (a folder in its place) while `count`
    // series are filed: they wait beside it.
    QString unavailableJournalWith(const QString &name, int count, const QString &shooter = QStringLiteral("Тест"))
    {
        const QString journal = dir.filePath(name + QStringLiteral("/journal.sqlite"));
        QDir().mkpath(journal);
        const Run r = run({journal, QString::number(count), shooter, QStringLiteral("--keeper")});
        if (r.starting(QStringLiteral("told: Журнал недоступен")).size() != 1)
            qWarning() << r.lines;
        return journal;
    }

private Q_SLOTS:
    // Written by the next run as it starts, before any series of its own;
    // offered again (the program killed before it could clear them, or two
    // programs started with them), they are filed once.
    void keptSeriesFiledOnceHoweverOftenOffered()
    {
        const QString journal = unavailableJournalWith(QStringLiteral("replay"), 3);
        QCOMPARE(JournalWriter::PendingFiles(journal).size(), 1);
        QCOMPARE(keptBeside(journal), 3);
        const QString kept = JournalWriter::PendingFiles(journal).first();
        QFile copy(kept);
        QVERIFY(copy.open(QIODevice::ReadOnly));
        const QByteArray bytes = copy.readAll();
        copy.close();
        QDir(journal).removeRecursively();

        // The next run writes them at its start, and is switched off at the
        // wall right after.
        {
            QProcess program;
            program.start(QStringLiteral(JOURNAL_WRITER),
                          {journal, QStringLiteral("0"), QStringLiteral("--keeper"), QStringLiteral("--stay")});
            QStringList seen;
            QVERIFY2(waitForLine(program, QStringLiteral("idle"), &seen), qPrintable(seen.join(u'\n')));
            QCOMPARE(seen.filter(QStringLiteral("written")).size(), 3);
            program.kill();
            program.waitForFinished();
        }
        QCOMPARE(seriesIn(journal).value(QStringLiteral("Тест")), 3);
        QVERIFY(JournalWriter::PendingFiles(journal).isEmpty()); // cleared as its series were written

        // Killed before it could clear them: the same file is there again,
        // and two programs start with it at once.
        QVERIFY(WriteFile(kept, bytes));
        QProcess first, second;
        for (QProcess *p : {&first, &second})
            p->start(QStringLiteral(JOURNAL_WRITER), {journal, QStringLiteral("0"), QStringLiteral("--keeper")});
        QVERIFY(first.waitForFinished(30000) && second.waitForFinished(30000));
        QCOMPARE(seriesIn(journal).value(QStringLiteral("Тест")), 3);
        QVERIFY(JournalWriter::PendingFiles(journal).isEmpty());
        // And once more by a plain run.
        QVERIFY(WriteFile(kept, bytes));
        QCOMPARE(run({journal, QStringLiteral("0"), QStringLiteral("--keeper")}).starting(QStringLiteral("written")).size(), 3);
        QCOMPARE(seriesIn(journal).value(QStringLiteral("Тест")), 3);
        JournalStore store;
        QVERIFY(store.Open(journal, nullptr) && store.IntegrityOk());
    }

    // Two programs that end with series unwritten: neither overwrites the
    // other's (a program that reads another's file takes its series into
    // its own), and the next run writes both's.
    void twoProgramsKeepTheirOwnSeries()
    {
        const QString journal = dir.filePath(QStringLiteral("two/journal.sqlite"));
        QDir().mkpath(journal);
        QProcess anna, boris;
        anna.start(QStringLiteral(JOURNAL_WRITER), {journal, QStringLiteral("2"), QStringLiteral("Анна"), QStringLiteral("--keeper")});
        boris.start(QStringLiteral(JOURNAL_WRITER), {journal, QStringLiteral("3"), QStringLiteral("Борис"), QStringLiteral("--keeper")});
        QVERIFY(anna.waitForFinished(30000) && boris.waitForFinished(30000));
        QVERIFY(!JournalWriter::PendingFiles(journal).isEmpty());
        QCOMPARE(keptBeside(journal), 5);
        QDir(journal).removeRecursively();
        run({journal, QStringLiteral("0"), QStringLiteral("--keeper")});
        const QMap<QString, int> filed = seriesIn(journal);
        QCOMPARE(filed.value(QStringLiteral("Анна")), 2);
        QCOMPARE(filed.value(QStringLiteral("Борис")), 3);
        QVERIFY(JournalWriter::PendingFiles(journal).isEmpty());
    }

    // Where neither the journal nor a file beside it can take the series,
    // the program says how many are lost; every series fired is in the
    // journal, kept beside it, or counted in that message. A good file of
    // series kept by an earlier run is never replaced by a partial one.
    void seriesKeptNowhereAreTold_data()
    {
        QTest::addColumn<QString>("disk");
        QTest::newRow("full disk") << QStringLiteral("full");
        QTest::newRow("folder the user may not write") << QStringLiteral("read-only");
    }
    void seriesKeptNowhereAreTold()
    {
        QFETCH(QString, disk);
        const bool readOnly = disk == QLatin1String("read-only");
        if (readOnly && getuid() != 0)
            QSKIP("needs the superuser, to run the program as another user");
        // An earlier run's two series wait beside a journal of one series.
        const QString journal = unavailableJournalWith(disk, 2, QStringLiteral("Ранее"));
        QDir(journal).removeRecursively();
        QVERIFY(makeJournal(journal));
        QCOMPARE(run({journal, QStringLiteral("0"), QStringLiteral("--keeper")}).starting(QStringLiteral("written")).size(), 2);
        QVERIFY(JournalWriter::PendingFiles(journal).isEmpty());
        const QString earlier = unavailableJournalWith(disk + QStringLiteral("-earlier"), 2, QStringLiteral("Ранее"));
        const QString goodFile = JournalWriter::PendingFiles(earlier).first();
        const QString good = journal + goodFile.mid(earlier.size());
        QVERIFY(QFile::rename(goodFile, good)); // now another journal's: not yet written there
        const QByteArray goodBytes = digest(good);

        const int fired = 12;
        QStringList args{journal, QString::number(fired), QStringLiteral("Сейчас"), QStringLiteral("--keeper"),
                         QStringLiteral("--traces")};
        const QString folder = QFileInfo(journal).absolutePath();
        if (readOnly) {
            // Others may pass through the test's folders and read the
            // journal, not write beside it.
            for (QString d = folder; d.startsWith(dir.path()) && d.size() >= dir.path().size(); d = QFileInfo(d).absolutePath())
                QFile::setPermissions(d, QFile::permissions(d) | QFileDevice::ExeOther | QFileDevice::ReadOther);
            QFile::setPermissions(journal, QFile::permissions(journal) | QFileDevice::ReadOther);
            args << QStringLiteral("--as-nobody") << QStringLiteral("--list");
        } else {
            // Room for a few series with their traces in the journal, and
            // for fewer than the rest beside it.
            args << QStringLiteral("--file-size-limit") << QString::number(QFileInfo(journal).size() + 40000);
        }
        const Run r = run(args);
        QCOMPARE(r.starting(QStringLiteral("finished")).size(), 1);
        const int lost = toldLost(r);
        QVERIFY2(lost > 0, qPrintable(r.lines.join(u'\n')));
        const QString reason = readOnly ? QStringLiteral("нет прав на запись") : QStringLiteral("нет места на диске");
        QVERIFY2(r.starting(QStringLiteral("told: Не удалось сохранить")).first().endsWith(reason), qPrintable(r.lines.join(u'\n')));
        const QMap<QString, int> filed = seriesIn(journal);
        QCOMPARE(filed.value(QStringLiteral("Ранее")) + filed.value(QStringLiteral("Сейчас")) + keptBeside(journal) + lost,
                 2 + 2 + fired);
        // The good file: unchanged, or gone only with all its series written.
        if (QFile::exists(good))
            QCOMPARE(digest(good), goodBytes);
        else
            QCOMPARE(filed.value(QStringLiteral("Ранее")), 4);
        for (const QString &file : JournalWriter::PendingFiles(journal))
            QVERIFY(!JournalWriter::KeptIn(file).isEmpty()); // never an empty or partial file
        if (readOnly) {
            // Its history can still be read (and so exported).
            QCOMPARE(r.starting(QStringLiteral("listed")), QStringList{QStringLiteral("listed 2 readonly 1: нет прав на запись")});
            QCOMPARE(lost, fired);
            QVERIFY(r.starting(QStringLiteral("told: Журнал недоступен")).first().endsWith(QStringLiteral("нет прав на запись")));
        }
    }

    // A file of series kept by a program that still runs is that program's:
    // another program (here one that cannot write the damaged journal either,
    // and keeps what it has in its own file) neither takes nor removes it.
    void aRunningProgramsFileIsLeftToIt()
    {
        const QString journal = dir.filePath(QStringLiteral("live/journal.sqlite"));
        QDir().mkpath(QFileInfo(journal).absolutePath());
        QVERIFY(WriteFile(journal, QByteArray(4096, 'x'))); // damaged: nobody writes it
        QProcess first;
        first.start(QStringLiteral(JOURNAL_WRITER), {journal, QStringLiteral("2"), QStringLiteral("Первый"),
                                                    QStringLiteral("--keeper"), QStringLiteral("--stay")});
        QStringList seen;
        QVERIFY(waitForLine(first, QStringLiteral("idle"), &seen));
        QTRY_COMPARE(keptBeside(journal), 2); // kept as soon as the journal failed
        const QString itsFile = JournalWriter::PendingFiles(journal).first();
        const QByteArray itsBytes = digest(itsFile);

        const Run second = run({journal, QStringLiteral("1"), QStringLiteral("Второй"), QStringLiteral("--keeper")});
        QCOMPARE(second.starting(QStringLiteral("finished")).size(), 1);
        QVERIFY(QFile::exists(itsFile));
        QCOMPARE(digest(itsFile), itsBytes);
        QCOMPARE(JournalWriter::PendingFiles(journal).size(), 2); // the second's own, of its one series
        for (const QString &file : JournalWriter::PendingFiles(journal))
            QCOMPARE(JournalWriter::KeptIn(file).size(), file == itsFile ? 2 : 1);

        first.terminate();
        QVERIFY(waitForLine(first, QStringLiteral("finished"), &seen));
        QVERIFY(first.waitForFinished(10000));
        QCOMPARE(keptBeside(journal), 3);
        // Ended, its file is the next run's: taken into that run's own.
        run({journal, QStringLiteral("0"), QStringLiteral("--keeper"), QStringLiteral("--no-wait")});
        QCOMPARE(keptBeside(journal), 3);
        QCOMPARE(JournalWriter::PendingFiles(journal).size(), 1);
    }

    // A kept file that cannot be read to its end: what can be read is
    // written, and the file stays, never removed with series still in it.
    void aCutFileIsWrittenAsFarAsItGoesAndKept()
    {
        const QString journal = unavailableJournalWith(QStringLiteral("cut"), 3);
        const QString file = JournalWriter::PendingFiles(journal).first();
        {
            QFile f(file);
            QVERIFY(f.resize(f.size() - 20));
        }
        QDir(journal).removeRecursively();
        QCOMPARE(run({journal, QStringLiteral("0"), QStringLiteral("--keeper")}).starting(QStringLiteral("written")).size(), 2);
        QCOMPARE(seriesIn(journal).value(QStringLiteral("Тест")), 2);
        QVERIFY(QFile::exists(file));
        // Read again by later runs: nothing doubled.
        run({journal, QStringLiteral("0"), QStringLiteral("--keeper")});
        QCOMPARE(seriesIn(journal).value(QStringLiteral("Тест")), 2);
    }

    // Series kept by an earlier version (a file of the old form, without
    // identities), some of them already in the journal: only the others are
    // written, however often the file is read.
    void oldKeptFileFiledOnce()
    {
        const QString journal = dir.filePath(QStringLiteral("old/journal.sqlite"));
        const QDateTime when(QDate(2026, 12, 1), QTime(10, 0, 0, 250), Qt::UTC);
        auto make = [](const QDateTime &at, int total) {
            JournalSeries s;
            s.firedAt = at;
            s.shooter = QStringLiteral("Старый");
            s.total = total;
            s.ringWidth = 6.47;
            s.shots << JournalShot{1, QPointF(1, 2), 9, QPointF(1, 22), QPointF(0, 0), QPointF(0, -20)};
            return s;
        };
        {
            JournalStore store;
            QVERIFY(store.Open(journal, nullptr));
            JournalSeries written = make(when, 41);
            QVERIFY(store.Write(written, nullptr));
        }
        // The old form: "VPJ1", a count, then each series' fields in order.
        QByteArray bytes;
        {
            QDataStream out(&bytes, QIODevice::WriteOnly);
            out.setVersion(QDataStream::Qt_6_4);
            out << quint32(0x56504a31) << qint32(2);
            for (const JournalSeries &s : {make(when, 41), make(when.addSecs(60), 44)}) {
                out << s.firedAt << s.shooter << s.targetWidth << s.largeTarget << s.blackCircleValue << s.correction
                    << s.exercise << s.hiddenError << s.zeroingSeries << s.total << s.meanPoint << s.meanRadius
                    << s.extremeSpread << s.ringWidth << qint32(s.shots.size());
                for (const JournalShot &shot : s.shots)
                    out << shot.number << shot.hole << shot.score << shot.hold << shot.alignment << shot.correction
                        << shot.sincePreviousMs << shot.called << shot.call << qint32(0);
            }
        }
        const QString old = journal + QStringLiteral(".pending");
        for (int round = 0; round < 2; ++round) {
            QVERIFY(WriteFile(old, bytes));
            run({journal, QStringLiteral("0"), QStringLiteral("--keeper")});
            QCOMPARE(seriesIn(journal).value(QStringLiteral("Старый")), 2);
            QVERIFY(!QFile::exists(old));
        }
    }

    // Series kept by the version before the timed exercise (a file of the
    // second form: identities, no clocks) are written, untimed.
    void secondFormKeptFileFiled()
    {
        const QString journal = dir.filePath(QStringLiteral("second/journal.sqlite"));
        QByteArray bytes;
        {
            QDataStream out(&bytes, QIODevice::WriteOnly);
            out.setVersion(QDataStream::Qt_6_4);
            out << quint32(0x56504a32) << qint32(2); // "VPJ2", a count, then each series' identity and fields
            for (int total : {41, 44}) {
                JournalSeries s;
                s.uid = QUuid::createUuid();
                s.firedAt = QDateTime(QDate(2026, 12, 1), QTime(10, total), Qt::UTC);
                s.shooter = QStringLiteral("Второй");
                s.total = total;
                s.shots << JournalShot{1, QPointF(1, 2), 9, QPointF(1, 22), QPointF(0, 0), QPointF(0, -20)};
                out << s.uid << s.firedAt << s.shooter << s.targetWidth << s.largeTarget << s.blackCircleValue
                    << s.correction << s.exercise << s.hiddenError << s.zeroingSeries << s.total << s.meanPoint
                    << s.meanRadius << s.extremeSpread << s.ringWidth << qint32(s.shots.size());
                for (const JournalShot &shot : s.shots)
                    out << shot.number << shot.hole << shot.score << shot.hold << shot.alignment << shot.correction
                        << shot.sincePreviousMs << shot.called << shot.call << qint32(0);
            }
        }
        QVERIFY(makeJournal(journal));
        const QString kept = journal + QStringLiteral(".pending");
        QVERIFY(WriteFile(kept, bytes));
        QCOMPARE(JournalWriter::KeptIn(kept).size(), 2);
        QCOMPARE(run({journal, QStringLiteral("0"), QStringLiteral("--keeper")}).starting(QStringLiteral("written")).size(), 2);
        QCOMPARE(seriesIn(journal).value(QStringLiteral("Второй")), 2);
        QVERIFY(!QFile::exists(kept));
        JournalStore store;
        QVERIFY(store.Open(journal, nullptr));
        for (const JournalSeries &s : store.ReadAll(QStringLiteral("Второй"))) {
            QCOMPARE(s.timeLimitMs, 0);
            QCOMPARE(s.shots.size(), 1);
            QCOMPARE(s.shots[0].sinceStartMs, -1);
            QVERIFY(!s.shots[0].late);
        }
    }

    // The journal held by another program as the program starts with kept
    // series: they are written once it is free, with no series filed to
    // make them go.
    void keptSeriesWrittenOnceABusyJournalIsFree()
    {
        const QString journal = unavailableJournalWith(QStringLiteral("busy-start"), 2);
        QDir(journal).removeRecursively();
        QVERIFY(makeJournal(journal));
        QProcess holder;
        QVERIFY(holdJournal(holder, journal, 6500));
        const Run r = run({journal, QStringLiteral("0"), QStringLiteral("--keeper")});
        QCOMPARE(r.starting(QStringLiteral("written")).size(), 2);
        QCOMPARE(seriesIn(journal).value(QStringLiteral("Тест")), 2);
        QVERIFY(holder.waitForFinished(10000));
    }

    // A journal another program holds: the end waits about a second for it,
    // no longer, and the series waits beside it for the next run.
    void endDoesNotWaitLongForABusyJournal()
    {
        const QString journal = dir.filePath(QStringLiteral("busy/journal.sqlite"));
        QVERIFY(makeJournal(journal));
        QProcess holder;
        QVERIFY(holdJournal(holder, journal, 15000));
        QStringList seen;

        QProcess program;
        program.start(QStringLiteral(JOURNAL_WRITER), {journal, QStringLiteral("1"), QStringLiteral("--keeper"),
                                                      QStringLiteral("--no-wait"), QStringLiteral("--stay")});
        QVERIFY(waitForLine(program, QStringLiteral("idle"), &seen)); // still trying
        QThread::msleep(300); // the attempt under way
        QElapsedTimer ending;
        ending.start();
        program.terminate(); // a quit, as the window closing: the keeper ends
        QVERIFY(waitForLine(program, QStringLiteral("finished"), &seen));
        const qint64 took = ending.elapsed();
        QVERIFY2(took < JournalWriter::kFinishWaitMs + 600, qPrintable(QStringLiteral("%1 ms").arg(took)));
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(keptBeside(journal), 1);
        holder.kill();
        holder.waitForFinished();
        run({journal, QStringLiteral("0"), QStringLiteral("--keeper")});
        QCOMPARE(seriesIn(journal).value(QStringLiteral("Тест")), 1);
    }
};

VIMBRA_TEST_MAIN(TestJournalPending)
#include "tst_journal_pending.moc"
