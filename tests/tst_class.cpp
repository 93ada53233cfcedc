// The teacher's reading of the class journal, against a real PostgreSQL
// server of the test's own: a class's day learner by learner, its weeks, the
// roster's import, the window «Класс» hearing of new series, its exports, and
// the way in from the journal window.

#include "testsupport.h"
#include "pgserver.h"

#include "journal/classreport.h"
#include "journal/classroster.h"
#include "journal/classserver.h"
#include "journal/journalexport.h"
#include "journal/journalkeeper.h"
#include "ui/frmClass.h"
#include "ui/frmJournal.h"

#include <QSignalSpy>
#include <QSqlDatabase>
#include <QStringDecoder>

#include <atomic>
#include <cmath>
#include <ctime>
#include <thread>

namespace {

const QString kClass = QStringLiteral("7Б");
const QString kOther = QStringLiteral("8А");
// Names as schools write them, and as no one should: quotes of both kinds,
// SQL that must stay a name, the longest name the roster takes, Cyrillic.
const QString kQuoted = QStringLiteral("Иванов \"Ваня\" О'Лири");
const QString kDrop = QStringLiteral("'; DROP TABLE vimbra.series; --");
const QString kLong = QString(ClassRoster::kMaxName, QChar(u'Ж'));
const QString kPlain = QStringLiteral("Пётр Сидоров");
const QString kAbsent = QStringLiteral("Анна Белова");   // on the roster, fires nothing
const QString kGone = QStringLiteral("Ушедший Ученик"); // fires, then leaves the roster
const QString kElsewhere = QStringLiteral("Другой Класс");
const QString kGrouping = QStringLiteral("Кучность");

// The lesson's day, a Tuesday; the test runs five hours east of UTC, so a
// local day is not a UTC day.
const QDate kDay(2026, 3, 10);

QDateTime local(const QDate &day, int hour, int minute) { return QDateTime(day, QTime(hour, minute)).toUTC(); }

JournalSeries series(const QString &klass, const QString &shooter, const QDateTime &firedAt, int total,
                     double radiusRings, const QString &exercise = QString(), bool traced = false)
{
    JournalSeries s;
    s.uid = QUuid::createUuid();
    s.firedAt = firedAt;
    s.shooter = shooter;
    s.klass = klass;
    s.forClassJournal = true;
    s.exercise = exercise;
    s.total = total;
    s.ringWidth = 6.0;
    s.meanRadius = radiusRings * 6.0;
    s.meanPoint = QPointF(1, -2);
    s.extremeSpread = 14;
    for (int i = 1; i <= 5; ++i) {
        JournalShot shot{i, QPointF(i - 3, 2), 9, QPointF(i - 3, 22), QPointF(0, 0), QPointF(0, -20)};
        if (traced) // two seconds of a hold wandering round the centre
            for (int ms = -2000; ms <= 0; ms += 10)
                shot.trace << TraceSample{ms, QPointF(std::sin(ms / 90.0) * (3 + i * 2), std::cos(ms / 70.0) * 4)};
        s.shots << shot;
    }
    return s;
}

const ClassDayRow *rowOf(const QList<ClassDayRow> &rows, const QString &name)
{
    for (const ClassDayRow &row : rows)
        if (row.name == name)
            return &row;
    return nullptr;
}

// The window's row of a learner: the cell of a column as shown.
QString shown(QAbstractItemModel *model, const QString &name, int column)
{
    for (int row = 0; row < model->rowCount(); ++row)
        if (model->index(row, 0).data().toString() == name)
            return model->index(row, column).data().toString();
    return QString();
}

QPoint centreIn(QWidget *window, QWidget *child) { return child->mapTo(window, child->rect().center()); }

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestClass : public QObject
{
    Q_OBJECT

private:
    ProgramFolder m_folder;
    PgServer m_pg;
    QString m_services;
    QList<JournalSeries> m_filed; // the fixture's series, as sent
    // The fixture's series on the server, as the learner's computer files them.
    void send(const JournalSeries &s)
    {
        m_filed << s;
        QString reason;
        const ClassServer::Outcome outcome = m_learner->Send(s, QStringLiteral("pc-3"), &reason);
        QVERIFY2(outcome == ClassServer::Outcome::Sent, qPrintable(reason));
    }
    std::unique_ptr<ClassServer> m_learner;
    std::unique_ptr<ClassServer> m_teacher;

    double meanInTen(const QString &shooter, const QDate &day)
    {
        double sum = 0;
        int n = 0;
        for (const JournalSeries &s : m_filed)
            if (s.shooter == shooter && s.firedAt.toLocalTime().date() == day) {
                const SeriesSteadiness h = SeriesHold(s);
                if (h.measured > 0) {
                    sum += h.inTen;
                    ++n;
                }
            }
        return n ? sum / n : -1;
    }

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("TZ", "Asia/Yekaterinburg");
        ::tzset();
        QCOMPARE(QDateTime(kDay, QTime(12, 0)).offsetFromUtc(), 5 * 3600);
        QString error;
        QVERIFY2(m_pg.Start(&error), qPrintable(error));
        m_services = m_folder.file(QStringLiteral("pg_service.conf"));
        QVERIFY(m_pg.WriteServiceFile(m_services, QStringLiteral("vimbra"), QStringLiteral("postgres")));
        QVERIFY(m_pg.WriteServiceFile(m_services, QStringLiteral("teacher"), QStringLiteral("vimbra_teacher")));
        QVERIFY(m_pg.WriteServiceFile(m_services, QStringLiteral("learner"), QStringLiteral("vimbra_learner")));
        qputenv("PGSERVICEFILE", QFile::encodeName(m_services));
        {
            ClassServer admin(QStringLiteral("vimbra"));
            QVERIFY2(admin.Open(&error), qPrintable(error)); // the schema made
        }
        QVERIFY2(m_pg.Psql(QStringLiteral("ALTER ROLE vimbra_teacher LOGIN; ALTER ROLE vimbra_learner LOGIN;"),
                           nullptr, &error),
                 qPrintable(error));
        m_teacher = std::make_unique<ClassServer>(QStringLiteral("teacher"));
        QVERIFY2(m_teacher->Open(&error), qPrintable(error));
        QVERIFY(m_teacher->AddLearners({{kClass, kQuoted}, {kClass, kDrop}, {kClass, kLong}, {kClass, kPlain},
                                        {kClass, kAbsent}, {kClass, kGone}, {kOther, kElsewhere}},
                                       &error));
        m_learner = std::make_unique<ClassServer>(QStringLiteral("learner"));
        QVERIFY2(m_learner->Open(&error), qPrintable(error));

        // The day.
        send(series(kClass, kQuoted, local(kDay, 10, 0), 40, 1.0, QString(), true));
        send(series(kClass, kQuoted, local(kDay, 11, 0), 45, 0.8, kGrouping));
        send(series(kClass, kQuoted, local(kDay, 12, 0), 42, 1.2, QString(), true));
        send(series(kClass, kDrop, local(kDay, 10, 30), 30, 2.0));
        send(series(kClass, kLong, local(kDay, 23, 59), 35, 1.5));
        send(series(kClass, kPlain, local(kDay, 9, 0), 20, 3.0));
        send(series(kClass, kPlain, local(kDay.addDays(1), 0, 1), 48, 0.5));
        send(series(kClass, kGone, local(kDay, 13, 0), 25, 2.5));
        send(series(kOther, kElsewhere, local(kDay, 10, 0), 50, 0.4));
        // The weeks before: the Sunday before at 23:59 is still last week,
        // the Monday at 00:01 this one.
        send(series(kClass, kPlain, local(kDay.addDays(-7), 10, 0), 30, 2.0));
        send(series(kClass, kPlain, local(kDay.addDays(-7), 11, 0), 40, 1.0));
        send(series(kClass, kPlain, local(QDate(2026, 3, 8), 23, 59), 50, 1.0));
        send(series(kClass, kPlain, local(QDate(2026, 3, 9), 0, 1), 10, 4.0));
        send(series(kClass, kPlain, local(kDay.addDays(-21), 10, 0), 10, 5.0));
        QVERIFY(m_teacher->RemoveLearner({kClass, kGone}, &error));
    }

    void cleanupTestCase()
    {
        m_learner.reset();
        m_teacher.reset();
        m_pg.Stop();
    }

    // Everyone on the roster and everyone who fired, each with their day's
    // figures; a name is only ever a value.
    void dayRows()
    {
        QString reason;
        const auto rows = ClassReport(m_teacher->Database()).Day(ClassDayQuery{kClass, kDay, kDay, std::nullopt}, &reason);
        QVERIFY2(rows, qPrintable(reason));
        QCOMPARE(rows->size(), 6);
        QVERIFY(!rowOf(*rows, kElsewhere));

        const ClassDayRow *quoted = rowOf(*rows, kQuoted);
        QVERIFY(quoted);
        QVERIFY(quoted->onRoster);
        QCOMPARE(quoted->series, 3);
        QCOMPARE(quoted->best, 45);
        QCOMPARE(quoted->last, 42);
        QCOMPARE(quoted->lastAt, local(kDay, 12, 0));
        QVERIFY(quoted->meanRadiusRings);
        QCOMPARE(*quoted->meanRadiusRings, 1.0);
        // The steadiness: the mean over the series that have it only.
        QVERIFY(quoted->inTen && quoted->inNine && quoted->holdRings);
        QVERIFY(std::abs(*quoted->inTen - meanInTen(kQuoted, kDay)) < 1e-9);

        const ClassDayRow *drop = rowOf(*rows, kDrop);
        QVERIFY(drop);
        QCOMPARE(drop->series, 1);
        QCOMPARE(drop->best, 30);
        QVERIFY(!drop->inTen && !drop->inNine && !drop->holdRings);

        const ClassDayRow *longest = rowOf(*rows, kLong);
        QVERIFY(longest);
        QCOMPARE(longest->name.size(), ClassRoster::kMaxName);
        QCOMPARE(longest->last, 35);

        const ClassDayRow *absent = rowOf(*rows, kAbsent);
        QVERIFY(absent);
        QVERIFY(absent->onRoster);
        QCOMPARE(absent->series, 0);
        QVERIFY(!absent->lastAt.isValid());
        QVERIFY(!absent->meanRadiusRings);

        const ClassDayRow *gone = rowOf(*rows, kGone);
        QVERIFY(gone);
        QVERIFY(!gone->onRoster);
        QCOMPARE(gone->series, 1);

        QString count;
        QVERIFY(m_pg.Psql(QStringLiteral("SELECT count(*) FROM vimbra.series"), &count, &reason));
        QCOMPARE(count, QString::number(m_filed.size()));
    }

    // The local day's bounds (a series at 23:59 and one at 00:01 the next
    // day), several days at once, and one exercise or all.
    void filterAndBounds_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QVariant>("exercise"); // invalid: all
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("series");
        QTest::addColumn<int>("best");
        QTest::addColumn<int>("rows");
        QTest::newRow("23:59 in its day") << kDay << kDay << QVariant() << kLong << 1 << 35 << 6;
        QTest::newRow("00:01 not in the day before") << kDay << kDay << QVariant() << kPlain << 1 << 20 << 6;
        QTest::newRow("00:01 in its day") << kDay.addDays(1) << kDay.addDays(1) << QVariant() << kPlain << 1 << 48 << 5;
        QTest::newRow("23:59 not in the day after") << kDay.addDays(1) << kDay.addDays(1) << QVariant() << kLong << 0
                                                    << 0 << 5;
        QTest::newRow("two days") << kDay << kDay.addDays(1) << QVariant() << kPlain << 2 << 48 << 6;
        QTest::newRow("one exercise") << kDay << kDay << QVariant(kGrouping) << kQuoted << 1 << 45 << 5;
        QTest::newRow("free shooting") << kDay << kDay << QVariant(QStringLiteral("")) << kQuoted << 2 << 42 << 6;
        QTest::newRow("an exercise no one fired") << kDay << kDay << QVariant(QStringLiteral("Стрельба на время"))
                                                  << kQuoted << 0 << 0 << 5;
        QTest::newRow("a name as an exercise") << kDay << kDay << QVariant(kDrop) << kDrop << 0 << 0 << 5;
    }

    void filterAndBounds()
    {
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QVariant, exercise);
        QFETCH(QString, name);
        QFETCH(int, series);
        QFETCH(int, best);
        QFETCH(int, rows);
        const ClassDayQuery query{kClass, from, to,
                                  exercise.isValid() ? std::optional<QString>(exercise.toString()) : std::nullopt};
        QString reason;
        const auto day = ClassReport(m_teacher->Database()).Day(query, &reason);
        QVERIFY2(day, qPrintable(reason));
        QCOMPARE(day->size(), rows);
        const ClassDayRow *row = rowOf(*day, name);
        QVERIFY(row);
        QCOMPARE(row->series, series);
        QCOMPARE(row->best, best);
        // The series for the exports are the same ones.
        const auto listed = ClassReport(m_teacher->Database()).Series(query, &reason);
        QVERIFY2(listed, qPrintable(reason));
        int mine = 0;
        for (const JournalSeries &s : *listed) {
            QVERIFY(s.firedAt >= query.Start() && s.firedAt < query.End());
            mine += s.shooter == name ? 1 : 0;
        }
        QCOMPARE(mine, series);
    }

    // ISO weeks in local time, oldest first, the empty ones given.
    void weeks()
    {
        QString reason;
        const auto weeks = ClassReport(m_teacher->Database()).Weeks(kClass, std::nullopt, kDay, 4, &reason);
        QVERIFY2(weeks, qPrintable(reason));
        QCOMPARE(weeks->size(), 4);
        QCOMPARE(weeks->at(0).monday, QDate(2026, 2, 16));
        QCOMPARE(weeks->at(3).monday, QDate(2026, 3, 9));
        QCOMPARE(weeks->at(0).series, 1);
        QCOMPARE(weeks->at(0).meanTotal, 10.0);
        QCOMPARE(weeks->at(1).series, 0);
        QVERIFY(!weeks->at(1).meanRadiusRings);
        QCOMPARE(weeks->at(2).series, 3); // Tuesday, Tuesday and Sunday 23:59
        QCOMPARE(weeks->at(2).meanTotal, 40.0);
        QCOMPARE(*weeks->at(2).meanRadiusRings, (2.0 + 1.0 + 1.0) / 3);
        // Monday 00:01 to the next Monday; the other class's series not.
        QCOMPARE(weeks->at(3).series, 9);
        QCOMPARE(weeks->at(3).meanTotal, (40 + 45 + 42 + 30 + 35 + 20 + 48 + 25 + 10) / 9.0);

        const auto grouping = ClassReport(m_teacher->Database()).Weeks(kClass, kGrouping, kDay, 4, &reason);
        QVERIFY2(grouping, qPrintable(reason));
        QCOMPARE(grouping->at(3).series, 1);
        QCOMPARE(grouping->at(2).series, 0);
    }

    // The best (the earliest of equal totals) and the last of each learner's day.
    void bestAndLast()
    {
        QString reason;
        const auto learners =
            ClassReport(m_teacher->Database()).BestAndLast(ClassDayQuery{kClass, kDay, kDay, std::nullopt}, &reason);
        QVERIFY2(learners, qPrintable(reason));
        QCOMPARE(learners->size(), 6);
        for (const ClassBestAndLast &l : *learners) {
            if (l.name == kQuoted) {
                QCOMPARE(l.best->total, 45);
                QCOMPARE(l.best->firedAt, local(kDay, 11, 0));
                QCOMPARE(l.last->total, 42);
                QCOMPARE(l.last->meanRadiusRings, 1.2);
            } else if (l.name == kAbsent) {
                QVERIFY(!l.best && !l.last);
            }
        }
    }

    void rosterImport_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("tooLong");
        const QStringList two{QStringLiteral("Иванов Иван"), QStringLiteral("Пётр Сидоров")};
        const QByteArray utf8 = QStringLiteral("Иванов Иван\nПётр Сидоров\n").toUtf8();
        QTest::newRow("UTF-8") << utf8 << two << 0;
        QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF") + utf8 << two << 0;
        QStringEncoder cp1251("windows-1251");
        QTest::newRow("Windows-1251") << QByteArray(cp1251.encode(QStringLiteral("Иванов Иван\r\nПётр Сидоров")))
                                      << two << 0;
        QTest::newRow("CRLF, blank lines, spaces")
            << QStringLiteral("\r\n  Иванов Иван  \r\n\r\n\t\r\nПётр Сидоров\r\n\r\n").toUtf8() << two << 0;
        QTest::newRow("old Mac line ends") << QStringLiteral("Иванов Иван\rПётр Сидоров\r").toUtf8() << two << 0;
        QTest::newRow("quotes around")
            << QStringLiteral("\"Иванов Иван\"\n«Пётр Сидоров»\n\"Иванов Иван\"\n").toUtf8() << two << 0;
        QTest::newRow("quotes inside kept")
            << QStringLiteral("\"Иванов \"\"Ваня\"\"\"\nО'Лири\n").toUtf8()
            << QStringList{QStringLiteral("Иванов \"Ваня\""), QStringLiteral("О'Лири")} << 0;
        QTest::newRow("ASCII") << QByteArray("Smith\nO'Neil\n")
                               << QStringList{QStringLiteral("Smith"), QStringLiteral("O'Neil")} << 0;
        QTest::newRow("a name too long")
            << (QString(ClassRoster::kMaxName + 1, QChar(u'Ж')) + QStringLiteral("\n") + QString(ClassRoster::kMaxName, QChar(u'Ж'))).toUtf8()
            << QStringList{QString(ClassRoster::kMaxName, QChar(u'Ж'))} << 1;
        QTest::newRow("empty file") << QByteArray() << QStringList() << 0;
    }

    void rosterImport()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, names);
        QFETCH(int, tooLong);
        const ClassRoster::Import import = ClassRoster::ParseNames(file);
        QCOMPARE(import.names, names);
        QCOMPARE(import.tooLong.size(), tooLong);
    }

    // A learner's new series is in the teacher's table within a second of
    // being filed; a burst of series is read in a few readings, not one each.
    void windowSeesNewSeries()
    {
        TClassF window(QStringLiteral("teacher"));
        window.resize(960, 600);
        QCOMPARE(window.Open(nullptr), TClassF::Access::Reads);
        window.deDate->setDate(kDay);
        window.ChooseClass(kClass);
        QAbstractItemModel *model = window.DayModel();
        QCOMPARE(model->rowCount(), 6);
        QCOMPARE(shown(model, kDrop, 3), QStringLiteral("30"));
        QCOMPARE(shown(model, kAbsent, 1), QStringLiteral("0"));

        QElapsedTimer clock;
        send(series(kClass, kDrop, local(kDay, 14, 0), 47, 1.1));
        clock.start();
        while (shown(model, kDrop, 3) != QLatin1String("47") && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
        const qint64 ms = clock.elapsed();
        qInfo("a new series in the class window %lld ms after it was filed", ms);
        QCOMPARE(shown(model, kDrop, 3), QStringLiteral("47"));
        QVERIFY2(ms <= 1000, qPrintable(QString::number(ms)));

        // A burst from another computer while the window goes on.
        QSignalSpy readings(&window, &TClassF::DayShown);
        const int burst = 30;
        std::atomic<int> sent{0};
        QList<JournalSeries> burstSeries;
        for (int i = 0; i < burst; ++i)
            burstSeries << series(kClass, kAbsent, local(kDay, 15, i), 10 + i, 1.0);
        std::thread computer([&] {
            ClassServer other(QStringLiteral("learner"));
            QString reason;
            if (!other.Open(&reason))
                return;
            for (int i = 0; i < burst; ++i) {
                if (other.Send(burstSeries[i], QStringLiteral("pc-7"), &reason) == ClassServer::Outcome::Sent)
                    ++sent;
                std::this_thread::sleep_for(std::chrono::milliseconds(3));
            }
        });
        clock.start();
        while ((sent < burst || shown(model, kAbsent, 1) != QString::number(burst)) && clock.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
        computer.join();
        m_filed += burstSeries;
        QCOMPARE(sent.load(), burst);
        QCOMPARE(shown(model, kAbsent, 1), QString::number(burst));
        QCOMPARE(shown(model, kAbsent, 3), QString::number(10 + burst - 1));
        qInfo("%d series filed in a burst: the table read %d times", burst, int(readings.size()));
        QVERIFY(readings.size() < burst);
    }

    // The table sorts by the numbers, not by their text.
    void sortsAsNumbers()
    {
        TClassF window(QStringLiteral("teacher"));
        QCOMPARE(window.Open(nullptr), TClassF::Access::Reads);
        window.deDate->setDate(kDay);
        window.ChooseClass(kClass);
        window.tvDay->sortByColumn(2, Qt::DescendingOrder); // the best total
        QAbstractItemModel *model = window.DayModel();
        int previous = 1000;
        for (int row = 0; row < model->rowCount(); ++row) {
            const QString text = model->index(row, 2).data().toString();
            const int best = text == QLatin1String("—") ? -1 : text.toInt();
            QVERIFY2(best <= previous, qPrintable(text));
            previous = best;
        }
        // The figures with a decimal comma too.
        window.tvDay->sortByColumn(5, Qt::AscendingOrder);
        double radius = -2;
        for (int row = 0; row < model->rowCount(); ++row) {
            QString text = model->index(row, 5).data().toString();
            const double r = text == QLatin1String("—") ? -1 : text.replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
            QVERIFY2(r >= radius, qPrintable(text));
            radius = r;
        }
    }

    // «CSV…» writes the lesson in the journal's own format; «PDF…» the page
    // for the grade book.
    void exports()
    {
        TClassF window(QStringLiteral("teacher"));
        window.resize(960, 600);
        QCOMPARE(window.Open(nullptr), TClassF::Access::Reads);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.deDate->setDate(kDay);
        window.ChooseClass(kClass);
        QStringList messages;
        TClassF::SetMessageHookForTesting([&](const QString &text) { messages << text; });
        QString saved;
        const QString csv = m_folder.file(QStringLiteral("lesson.csv"));
        const QString pdf = m_folder.file(QStringLiteral("lesson.pdf"));
        TClassF::SetSavePathHookForTesting([&](const QString &suggested) {
            saved = suggested;
            return suggested.endsWith(QLatin1String(".csv")) ? csv : pdf;
        });
        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, centreIn(&window, window.btnCsv));
        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, centreIn(&window, window.btnPdf));
        TClassF::SetSavePathHookForTesting({});
        TClassF::SetMessageHookForTesting({});
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join(QLatin1Char('\n'))));
        QVERIFY(saved.contains(kClass));

        const QString empty = m_folder.file(QStringLiteral("empty.csv"));
        QString error;
        QVERIFY(ExportCsv({}, empty, &error));
        const QByteArray header = readAll(empty);
        const QByteArray lesson = readAll(csv);
        QVERIFY(lesson.startsWith(header));
        // The day's series, every shot a row, the name quoted as a field.
        QString text = QString::fromUtf8(lesson.mid(header.size()));
        const QStringList lines = text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        int day = 0;
        for (const JournalSeries &s : m_filed)
            day += s.klass == kClass && s.firedAt.toLocalTime().date() == kDay ? 1 : 0;
        QCOMPARE(lines.size(), day * 5);
        QVERIFY(text.contains(QStringLiteral("\"'; DROP TABLE vimbra.series; --\";")));
        // A traced series' shots have their steadiness, from the traces read.
        bool traced = false;
        for (const QString &line : lines)
            if (line.startsWith(QStringLiteral("\"Иванов \"\"Ваня\"\" О'Лири\";2026-03-10 10:00")))
                traced = traced || !line.split(QLatin1Char(';')).value(21).isEmpty();
        QVERIFY(traced);

        QVERIFY(readAll(pdf).startsWith("%PDF"));
    }

    // A server that does not answer is said so, and the window connects by
    // itself once it does.
    void unreachable()
    {
        QString error;
        {
            QFile file(m_services);
            QVERIFY(file.open(QIODevice::Append));
            file.write("[later]\nhost=/nonexistent-socket-folder\nport=5432\nuser=vimbra_teacher\ndbname=vimbra\n\n");
        }
        TClassF window(QStringLiteral("later"));
        QCOMPARE(window.Open(nullptr), TClassF::Access::Unreachable);
        QVERIFY2(window.lbStatus->text().startsWith(QStringLiteral("Журнал класса недоступен: ")),
                 qPrintable(window.lbStatus->text()));
        QVERIFY(!window.btnCsv->isEnabled());
        QVERIFY(m_pg.WriteServiceFile(m_services, QStringLiteral("later"), QStringLiteral("vimbra_teacher")));
        // libpq takes the first section of a name: the test's file gets it anew.
        QByteArray file = readAll(m_services);
        file.replace("[later]\nhost=/nonexistent-socket-folder", "[unused]\nhost=/nonexistent-socket-folder");
        QVERIFY(WriteFile(m_services, file));
        QTRY_VERIFY_WITH_TIMEOUT(window.Connected(), TClassF::kRetryMs + 3000);
        QVERIFY(window.btnCsv->isEnabled());
    }

    // «Класс…» in the journal window: there only with a class journal; it
    // opens the class for the teacher's role, and says no to a learner's.
    void entry()
    {
        QStringList messages;
        TJournalF::SetMessageHookForTesting([&](const QString &text) { messages << text; });
        {
            TJournalKeeper keeper(m_folder.file(QStringLiteral("plain.sqlite")));
            TJournalF journal(&keeper);
            journal.Open(nullptr);
            QVERIFY(!journal.btnClass->isVisible());
        }
        for (const QString &role : {QStringLiteral("learner"), QStringLiteral("teacher")}) {
            TJournalKeeper keeper(m_folder.file(role + QStringLiteral(".sqlite")));
            keeper.UseClassJournal(role);
            TJournalF journal(&keeper);
            journal.Open(nullptr);
            QVERIFY(QTest::qWaitForWindowExposed(&journal));
            QVERIFY(journal.btnClass->isVisible());
            QTest::mouseClick(journal.windowHandle(), Qt::LeftButton, {}, centreIn(&journal, journal.btnClass));
            if (role == QLatin1String("learner")) {
                QCOMPARE(messages, QStringList{TClassF::FilesOnlyText()});
                QVERIFY(!journal.ClassWindow() || !journal.ClassWindow()->isVisible());
            } else {
                QCOMPARE(messages.size(), 1);
                QVERIFY(journal.ClassWindow() && journal.ClassWindow()->isVisible());
                QVERIFY(journal.ClassWindow()->Connected());
            }
            keeper.Finish();
        }
        TJournalF::SetMessageHookForTesting({});
    }
};

VIMBRA_TEST_MAIN(TestClass)
#include "tst_class.moc"
