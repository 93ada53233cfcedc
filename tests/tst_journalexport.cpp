// The journal taken out of the program: the table a coach's spreadsheet
// reads back, the printed report as a PDF reader shows it, and the progress
// chart.

#include "testsupport.h"

#include "ui/debrieftarget.h"
#include "journal/journalexport.h"
#include "ui/progresschart.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QProcess>

#include <climits>
#include <QStandardPaths>

#include <cmath>

namespace {

// A record-by-record reading of RFC 4180 with ";" between fields: every
// record ends in CR LF, a lone CR or LF is allowed only inside quotes.
struct Csv {
    QList<QStringList> rows;
    QString error; // empty: well formed
};

Csv parseCsv(const QString &text)
{
    Csv csv;
    QStringList row;
    QString field;
    bool inQuotes = false, wasQuoted = false;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n && csv.error.isEmpty(); ++i) {
        const QChar c = text[i];
        if (inQuotes) {
            if (c != u'"')
                field += c;
            else if (i + 1 < n && text[i + 1] == u'"')
                field += text[++i];
            else
                inQuotes = false;
        } else if (c == u'"') {
            if (!field.isEmpty() || wasQuoted)
                csv.error = QStringLiteral("a quote inside an unquoted field at %1").arg(i);
            inQuotes = wasQuoted = true;
        } else if (c == u';') {
            row << field;
            field.clear();
            wasQuoted = false;
        } else if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') {
            row << field;
            csv.rows << row;
            row.clear();
            field.clear();
            wasQuoted = false;
            ++i;
        } else if (c == u'\r' || c == u'\n') {
            csv.error = QStringLiteral("a line break that is not CR LF at %1").arg(i);
        } else if (wasQuoted) {
            csv.error = QStringLiteral("text after a closing quote at %1").arg(i);
        } else {
            field += c;
        }
    }
    if (csv.error.isEmpty() && inQuotes)
        csv.error = QStringLiteral("an unterminated quote");
    if (csv.error.isEmpty() && (!field.isEmpty() || !row.isEmpty()))
        csv.error = QStringLiteral("the last record has no CR LF");
    return csv;
}

// Reads an exported table: the BOM, then well-formed records.
Csv readCsv(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Csv{{}, QStringLiteral("cannot open")};
    const QByteArray bytes = file.readAll();
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        return Csv{{}, QStringLiteral("no byte-order mark")};
    return parseCsv(QString::fromUtf8(bytes.mid(3)));
}

const QStringList kHeader{"Стрелок",
                          "Дата",
                          "Серия",
                          "Упражнение",
                          "Мишень",
                          "Чёрный круг",
                          "Поправка, пикс.",
                          "№ выстрела",
                          "Очки",
                          "X, пикс.",
                          "Y, пикс.",
                          "Удержание X, пикс.",
                          "Удержание Y, пикс.",
                          "Мушка X, пикс.",
                          "Мушка Y, пикс.",
                          "Поправка Y, пикс.",
                          "Сумма серии",
                          "СТП X, ширины кольца",
                          "СТП Y, ширины кольца",
                          "Средний радиус, ширины кольца",
                          "Наибольший разброс, ширины кольца",
                          "В 10, % последней секунды",
                          "В 9, % последней секунды",
                          "Пятно удержания, ширины кольца",
                          "В 10 за серию, % последней секунды",
                          "В 9 за серию, % последней секунды",
                          "Пятно удержания за серию, ширины кольца",
                          "Время на серию, с",
                          "Время выстрела от начала, с",
                          "После времени"};
// A column by the start of its name ("X" for "X, пикс.").
int column(const char *name)
{
    const QString wanted = QString::fromUtf8(name);
    for (int i = 0; i < kHeader.size(); ++i)
        if (kHeader[i] == wanted || kHeader[i].startsWith(wanted + QLatin1Char(',')))
            return i;
    return -1;
}

JournalShot shot(int number, QPointF hold, QPointF alignment, int correction, int score)
{
    const QPointF up(0, -correction);
    return JournalShot{number, hold + alignment + up, score, hold, alignment, up};
}

// A tight group a little low and right on the large target, the bar at 6.
JournalSeries series(qint64 id, const QDateTime &firedAt, const QString &shooter = QStringLiteral("Иванов"))
{
    JournalSeries s;
    s.id = id;
    s.firedAt = firedAt.toUTC();
    s.shooter = shooter;
    s.correction = 6;
    s.shots = {shot(1, {2.75, 12}, {0, 3}, 6, 8), shot(2, {3, 17}, {0, 0}, 6, 8), shot(3, {1, 13}, {0, 3}, 6, 9),
               shot(4, {2, 16}, {0, 0}, 6, 8), shot(5, {-1.25, 16}, {3, 0}, 6, 9)};
    for (const JournalShot &sh : s.shots) {
        s.total += sh.score;
        s.meanPoint += sh.hole / 5;
    }
    s.meanRadius = 1.04;
    s.extremeSpread = 3.06;
    s.ringWidth = 97 / 2.0 / 15 * 2;
    return s;
}

QDateTime local(int day, int hour, int minute) { return QDateTime(QDate(2026, 12, day), QTime(hour, minute)); }

// poppler's tools, which read the PDF as a reader would.
QString poppler(const QString &tool, const QStringList &arguments)
{
    QProcess p;
    p.start(QStandardPaths::findExecutable(tool), arguments);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QStringLiteral("<%1 failed: %2>").arg(tool, QString::fromLocal8Bit(p.readAllStandardError()));
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The share of dark pixels in a part of the page, in millimetres.
double darkShare(const QImage &page, const QRectF &mm)
{
    const double perMm = page.width() / 210.0;
    const QRect r = QRectF(mm.topLeft() * perMm, mm.size() * perMm).toRect() & page.rect();
    int dark = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            dark += qGray(page.pixel(x, y)) < 100;
    return r.isEmpty() ? 0 : double(dark) / (r.width() * r.height());
}

bool near(QColor a, QColor b, int within = 40)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) <= within;
}

} // namespace

Q_DECLARE_METATYPE(QList<double>)

class TestJournalExport : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // -------------------------------------------------------- the debrief's series

    // Shots come back in firing order whatever order the journal gave them,
    // on the journal's own target.
    void debriefSeries()
    {
        JournalSeries s;
        s.targetWidth = 49;
        s.blackCircleValue = 4;
        s.shots = {shot(3, {0, 0}, {4, 0}, 0, 7), shot(1, {0, 0}, {0, 0}, 0, 10), shot(2, {-2, 2}, {0, 0}, 0, 9)};
        const TDebriefTarget::Series d = DebriefSeries(s);
        QCOMPARE(d.target.width, 49);
        QCOMPARE(d.target.blackCircleValue, 4);
        QCOMPARE(d.target.markRadius, 1);
        QCOMPARE(d.shots.size(), 3);
        QCOMPARE(d.shots[0].score, 10);
        QCOMPARE(d.shots[2].hole, QPointF(4, 0));
        QCOMPARE(d.shots[2].alignment, QPointF(4, 0));
        QCOMPARE(d.figures.shots, 3);
        QCOMPARE(d.figures.meanPoint, QPointF(2 / 3.0, 2 / 3.0));
        // The widest pair is the 2nd and the 3rd in firing order.
        QCOMPARE(d.figures.spreadFrom, 2);
        QCOMPARE(d.figures.spreadTo, 3);
        QCOMPARE(d.figures.extremeSpread, std::hypot(6.0, 2.0));
    }

    // The painting goes into its area and nowhere else, mapped as the
    // widget of the same size maps it.
    void targetPaintsIntoItsArea()
    {
        const TDebriefTarget::Series s = DebriefSeries(series(1, local(10, 14, 35)));
        const QColor outside(255, 0, 255);
        QImage image(420, 300, QImage::Format_RGB32);
        image.fill(outside);
        const QRectF area(170, 60, 220, 220);
        {
            QPainter painter(&image);
            PaintDebriefTarget(painter, area, s, TDebriefTarget::Series(), QFont());
        }
        const DebriefTargetMapping map = MapDebriefTarget(area, s, TDebriefTarget::Series());
        QCOMPARE(map.centre, area.center());
        for (QPoint p : {QPoint(0, 0), QPoint(169, 170), QPoint(280, 59), QPoint(391, 170), QPoint(280, 281)})
            QCOMPARE(QColor(image.pixel(p)), outside);
        QCOMPARE(QColor(image.pixel(map.centre.toPoint() - QPoint(8, 0))), QColor(Qt::black)); // the black
        QCOMPARE(QColor(image.pixel((map.Map(s.figures.meanPoint) + QPointF(4, 0)).toPoint())), QColor(0, 160, 0));
        QVERIFY(QColor(image.pixel(map.Map(s.shots[1].hole).toPoint())).red() > 180);

        TDebriefTarget widget;
        widget.Show(s, TDebriefTarget::Series());
        widget.resize(area.size().toSize());
        QCOMPARE(widget.Scale(), map.scale);
        QCOMPARE(widget.ToWidget(s.shots[0].hole) + area.topLeft(), map.Map(s.shots[0].hole));
    }

    // ------------------------------------------------------------------- CSV

    void csvReadsBack()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("журнал.csv"));
        JournalSeries first = series(17, local(10, 14, 35), QStringLiteral("Иванов; \"Ваня\""));
        first.exercise = QStringLiteral("Упражнение 1\r\nлёжа с упора");
        JournalSeries second = series(18, local(10, 9, 5), QStringLiteral("Пётр"));
        second.largeTarget = false;
        second.targetWidth = 49;
        second.shots.resize(1);
        second.total = 8;
        QString error;
        QVERIFY(ExportCsv({first, second}, path, &error));
        QVERIFY(error.isEmpty());

        const Csv csv = readCsv(path);
        QVERIFY2(csv.error.isEmpty(), qPrintable(csv.error));
        QCOMPARE(csv.rows.size(), 1 + 5 + 1);
        QCOMPARE(csv.rows[0], kHeader);
        for (const QStringList &row : csv.rows)
            QCOMPARE(row.size(), kHeader.size());

        const QStringList &one = csv.rows[1];
        QCOMPARE(one[column("Стрелок")], QStringLiteral("Иванов; \"Ваня\""));
        QCOMPARE(one[column("Дата")], QStringLiteral("2026-12-10 14:35"));
        QCOMPARE(one[column("Серия")], QStringLiteral("17"));
        QCOMPARE(one[column("Упражнение")], first.exercise);
        QCOMPARE(one[column("Мишень")], QStringLiteral("большая"));
        QCOMPARE(one[column("Чёрный круг")], QStringLiteral("3"));
        QCOMPARE(one[column("Поправка")], QStringLiteral("6"));
        QCOMPARE(one[column("№ выстрела")], QStringLiteral("1"));
        QCOMPARE(one[column("Очки")], QStringLiteral("8"));
        QCOMPARE(one[column("X")], QStringLiteral("2,75"));
        QCOMPARE(one[column("Y")], QStringLiteral("9"));
        QCOMPARE(one[column("Удержание X")], QStringLiteral("2,75"));
        QCOMPARE(one[column("Удержание Y")], QStringLiteral("12"));
        QCOMPARE(one[column("Мушка X")], QStringLiteral("0"));
        QCOMPARE(one[column("Мушка Y")], QStringLiteral("3"));
        QCOMPARE(one[column("Поправка Y")], QStringLiteral("-6"));
        QCOMPARE(one[column("Сумма серии")], QStringLiteral("42"));
        // The series' figures in ring widths (6,47 pixels here), as the
        // window and the report give them.
        QCOMPARE(one[column("СТП X")], QStringLiteral("0,32")); // 10,5 / 5 pixels
        QCOMPARE(one[column("СТП Y")], QStringLiteral("1,55")); // 10 pixels
        QCOMPARE(one[column("Средний радиус")], QStringLiteral("0,16"));
        QCOMPARE(one[column("Наибольший разброс")], QStringLiteral("0,47"));
        // The series' columns repeat on each of its rows, the shot's change.
        for (int i = 1; i <= 5; ++i) {
            QCOMPARE(csv.rows[i].mid(0, 7), one.mid(0, 7));
            QCOMPARE(csv.rows[i].mid(16), one.mid(16));
            QCOMPARE(csv.rows[i][column("№ выстрела")], QString::number(i));
        }
        QCOMPARE(csv.rows[5][column("X")], QStringLiteral("1,75"));

        const QStringList &two = csv.rows[6];
        QCOMPARE(two[column("Стрелок")], QStringLiteral("Пётр"));
        QCOMPARE(two[column("Дата")], QStringLiteral("2026-12-10 09:05"));
        QCOMPARE(two[column("Мишень")], QStringLiteral("маленькая"));
        QCOMPARE(two[column("Сумма серии")], QStringLiteral("8"));
    }

    // The steadiness of the hold from the shots' traces: each shot's in its
    // row, the series' means (over the shots with a trace) on each of them,
    // after every column there was; empty where there is no trace. The
    // report says the series' in words.
    void steadinessExported()
    {
        JournalSeries traced = series(21, local(11, 10, 0));
        // The large target: the 10 within 3,23 pixels, the 9 within 6,47,
        // a ring width 6,47 pixels.
        traced.shots[0].trace = {{-2000, {9, 0}}, {-500, {0, 0}}, {0, {0, 0}}}; // 50/50, 4,5 px
        traced.shots[1].trace = {{-2000, {5, 0}}, {-300, {0, 0}}, {0, {0, 0}}}; // 30/100, 2,1 px
        // (the third has none)
        traced.shots[3].trace = {{-300, {20, 0}}, {-100, {1, 0}}, {0, {1, 0}}}; // 1/3 of 300 ms, 8,44 px
        traced.shots[4].trace = {{-3000, {1, 1}}, {0, {1, 1}}};                 // 100/100, 0
        const JournalSeries bare = series(22, local(11, 11, 0));

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("s.csv"));
        QVERIFY(ExportCsv({traced, bare}, path, nullptr));
        const Csv csv = readCsv(path);
        QVERIFY2(csv.error.isEmpty(), qPrintable(csv.error));
        QCOMPARE(csv.rows.size(), 1 + 10);
        QCOMPARE(csv.rows[0].indexOf(QStringLiteral("Наибольший разброс, ширины кольца")), 20);
        const QList<QStringList> shots{{"50", "50", "0,70"},     {"30", "100", "0,32"}, {"", "", ""},
                                       {"33,3", "33,3", "1,31"}, {"100", "100", "0,00"}};
        for (int i = 0; i < 5; ++i) {
            const QStringList &row = csv.rows[1 + i];
            QCOMPARE(row.size(), kHeader.size());
            QCOMPARE((QStringList{row[column("В 10")], row[column("В 9")], row[column("Пятно удержания")]}), shots[i]);
            // (53,3 + 70,8) %: the means of the four traced; 3,76 pixels.
            QCOMPARE(row[column("В 10 за серию")], QStringLiteral("53,3"));
            QCOMPARE(row[column("В 9 за серию")], QStringLiteral("70,8"));
            QCOMPARE(row[column("Пятно удержания за серию")], QStringLiteral("0,58"));
            QCOMPARE(row.mid(16, 5), csv.rows[1].mid(16, 5)); // the series' figures as before
        }
        for (int i = 6; i <= 10; ++i)
            QCOMPARE(csv.rows[i].mid(21, 6), QStringList(6, QString()));

        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("poppler-utils are not installed");
        const QString pdf = dir.filePath(QStringLiteral("s.pdf"));
        QVERIFY(ExportPdf({traced, bare}, QStringLiteral("Журнал"), pdf, nullptr));
        // The words beside the targets (from 100 mm, 283 points, on): the
        // targets' ring numbers would come between them.
        const QString text = poppler(QStringLiteral("pdftotext"), {QStringLiteral("-x"), QStringLiteral("283"),
                                                                   QStringLiteral("-y"), QStringLiteral("0"),
                                                                   QStringLiteral("-W"), QStringLiteral("312"),
                                                                   QStringLiteral("-H"), QStringLiteral("842"), pdf,
                                                                   QStringLiteral("-")})
                                 .simplified();
        QCOMPARE(SteadinessSentence(SeriesHold(traced)),
                 QStringLiteral("Устойчивость: в 10 — 53%, в 9 — 71% последней секунды; пятно удержания 0,6 ширины "
                                "кольца."));
        // (the numbers of the rings clipped off the zoomed target still stand
        // in the text, and a line's end may come among them)
        QVERIFY2(text.contains(QStringLiteral("Устойчивость: в 10 — 53%, в 9 — 71% последней секунды;")),
                 qPrintable(text));
        QCOMPARE(int(text.count(QStringLiteral("Устойчивость"))), 1); // the bare series has none
    }

    // «Стрельба на время»: its columns at the table's end, the series' time
    // limit, each shot's time from the clock's start and «да» for a shot
    // after the time (filed as 0, as the total counts it); empty for a series
    // that was not timed. The report gives the time and marks the late score.
    void timedSeries()
    {
        QTemporaryDir dir;
        JournalSeries timed = series(20, local(11, 10, 0));
        timed.exercise = QStringLiteral("Стрельба на время");
        timed.timeLimitMs = 30000;
        const QList<int> times{4000, 9500, 15250, 30000, 30001};
        for (int i = 0; i < 5; ++i) {
            timed.shots[i].sinceStartMs = times[i];
            timed.shots[i].late = times[i] > 30000;
        }
        timed.total -= timed.shots[4].score;
        timed.shots[4].score = 0;
        const JournalSeries plain = series(21, local(11, 10, 5));
        const QString path = dir.filePath(QStringLiteral("на время.csv"));
        QString error;
        QVERIFY2(ExportCsv({timed, plain}, path, &error), qPrintable(error));
        const Csv csv = readCsv(path);
        QVERIFY2(csv.error.isEmpty(), qPrintable(csv.error));
        QCOMPARE(csv.rows.size(), 1 + 5 + 5);
        QCOMPARE(csv.rows[0], kHeader);
        const QStringList shown{"4", "9,5", "15,25", "30", "30,001"};
        for (int i = 0; i < 5; ++i) {
            const QStringList &row = csv.rows[1 + i];
            QCOMPARE(row.size(), kHeader.size());
            QCOMPARE(row[column("Время на серию")], QStringLiteral("30"));
            QCOMPARE(row[column("Время выстрела от начала")], shown[i]);
            QCOMPARE(row[column("После времени")], i == 4 ? QStringLiteral("да") : QString());
            QCOMPARE(row[column("Сумма серии")], QStringLiteral("33"));
        }
        QCOMPARE(csv.rows[5][column("Очки")], QStringLiteral("0"));
        for (int i = 6; i <= 10; ++i)
            for (const char *name : {"Время на серию", "Время выстрела от начала", "После времени"})
                QCOMPARE(csv.rows[i][column(name)], QString());

        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("poppler-utils are not installed");
        const QString pdf = dir.filePath(QStringLiteral("на время.pdf"));
        QVERIFY2(ExportPdf({timed, plain}, QStringLiteral("Журнал"), pdf, &error), qPrintable(error));
        const QString text = poppler(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}).simplified();
        QVERIFY2(text.contains(QStringLiteral("Очки: 8, 8, 9, 8, 0 (после времени)")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("На время: 30,0 с из 30; после времени — 1.")), qPrintable(text));
        QCOMPARE(int(text.count(QStringLiteral("На время:"))), 1);
    }

    // Numbers as a Russian spreadsheet reads them.
    void csvNumbers_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("asCoordinate"); // to hundredths, trailing zeros dropped
        QTest::addColumn<QString>("asFigure");     // to hundredths
        QTest::newRow("whole") << 2.0 << "2" << "2,00";
        QTest::newRow("half") << 2.5 << "2,5" << "2,50";
        QTest::newRow("negative") << -3.256 << "-3,26" << "-3,26";
        QTest::newRow("rounds to zero from below: no minus") << -0.004 << "0" << "0,00";
        QTest::newRow("negative zero") << -0.0 << "0" << "0,00";
        QTest::newRow("thousands: no group separator") << 1234.567 << "1234,57" << "1234,57";
        QTest::newRow("binary fraction") << 0.1 + 0.2 << "0,3" << "0,30";
        QTest::newRow("no number: empty") << std::nan("") << "" << "";
    }
    void csvNumbers()
    {
        QFETCH(double, value);
        QFETCH(QString, asCoordinate);
        QFETCH(QString, asFigure);
        JournalSeries s = series(1, local(1, 12, 0));
        s.shots.resize(1);
        s.shots[0].hole.setX(value);
        s.meanRadius = value;
        s.ringWidth = 1;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("n.csv"));
        QVERIFY(ExportCsv({s}, path, nullptr));
        const Csv csv = readCsv(path);
        QVERIFY2(csv.error.isEmpty(), qPrintable(csv.error));
        QCOMPARE(csv.rows[1][column("X")], asCoordinate);
        QCOMPARE(csv.rows[1][column("Средний радиус")], asFigure);
    }

    // Nothing to list: the header alone; a series without shots keeps a row.
    void csvWithoutShots()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("e.csv"));
        QVERIFY(ExportCsv({}, path, nullptr));
        QCOMPARE(readCsv(path).rows, QList<QStringList>{kHeader});

        JournalSeries s = series(5, local(2, 8, 0));
        s.shots.clear();
        s.total = 0;
        QVERIFY(ExportCsv({s}, path, nullptr));
        const Csv csv = readCsv(path);
        QCOMPARE(csv.rows.size(), 2);
        QCOMPARE(csv.rows[1][column("Серия")], QStringLiteral("5"));
        QCOMPARE(csv.rows[1][column("№ выстрела")], QString());
        QCOMPARE(csv.rows[1][column("X")], QString());
        QCOMPARE(csv.rows[1][column("Сумма серии")], QStringLiteral("0"));
    }

    // A file that cannot be written: false and a reason, nothing left
    // behind, for either kind of file.
    void writeFailures_data()
    {
        QTest::addColumn<QString>("relative"); // inside a fresh folder
        QTest::addColumn<QString>("reason");
        QTest::newRow("no such folder") << "нет/журнал" << "такой папки нет";
        QTest::newRow("a folder in the way") << "папка" << "на этом месте папка";
        QTest::newRow("a name longer than the file system takes") << QString(200, QChar(u'Я'))
                                                                  << "имя файла слишком длинное";
    }
    void writeFailures()
    {
        QFETCH(QString, relative);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("папка")));
        const QList<JournalSeries> all{series(1, local(3, 10, 0))};
        for (const QString &ext : {QStringLiteral(".csv"), QStringLiteral(".pdf")}) {
            const QString path = dir.filePath(relative + (relative == QStringLiteral("папка") ? QString() : ext));
            QString error;
            const bool written = ext == QStringLiteral(".csv") ? ExportCsv(all, path, &error)
                                                               : ExportPdf(all, QStringLiteral("Журнал"), path, &error);
            QVERIFY(!written);
            QVERIFY2(error.startsWith(QStringLiteral("Не удалось сохранить файл")), qPrintable(error));
            QCOMPARE(int(error.count(QStringLiteral("Не удалось"))), 1); // said once
            QVERIFY2(error.contains(reason), qPrintable(error));
            QVERIFY2(error.contains(QFileInfo(path).fileName()), qPrintable(error));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList());
    }

    // An export replaces what was there.
    void exportReplacesAFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("j.csv"));
        QVERIFY(WriteFile(path, QByteArray(100000, 'x')));
        QVERIFY(ExportCsv({}, path, nullptr));
        QCOMPARE(readCsv(path).rows, QList<QStringList>{kHeader});
    }

    // ------------------------------------------------------------------- PDF

    // Three series a page: their blocks in order down the page, the rest of
    // it empty; pages numbered at the foot.
    void pdfReport_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("pages");
        QTest::newRow("empty journal: a page that says so") << 0 << 1;
        QTest::newRow("one series") << 1 << 1;
        QTest::newRow("two") << 2 << 1;
        QTest::newRow("a full page") << 3 << 1;
        QTest::newRow("one over") << 4 << 2;
        QTest::newRow("a day of seven") << 7 << 3;
    }
    void pdfReport()
    {
        QFETCH(int, count);
        QFETCH(int, pages);
        if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
            QSKIP("poppler-utils are not installed");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("отчёт.pdf"));
        QList<JournalSeries> all;
        for (int i = 0; i < count; ++i)
            all << series(100 + i, local(10, 9 + i, 15));
        if (count > 0)
            all[0].exercise = QStringLiteral("Лёжа с упора");
        const QString title = QStringLiteral("Журнал стрелка Иванов — 10.12.2026");
        QString error;
        QVERIFY2(ExportPdf(all, title, path, &error), qPrintable(error));

        const QString info = poppler(QStringLiteral("pdfinfo"), {path});
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages))), qPrintable(info));
        QVERIFY2(info.contains(QStringLiteral("(A4)")), qPrintable(info));
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Title:\\s+%1\\n").arg(title))), qPrintable(info));

        const QString text = poppler(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
        QVERIFY2(text.contains(title), qPrintable(text));
        for (int p = 1; p <= pages; ++p)
            QVERIFY2(text.contains(QStringLiteral("стр. %1 из %2").arg(p).arg(pages)), qPrintable(text));
        QCOMPARE(int(text.count(QStringLiteral("Средняя точка попадания: "))), count);
        QCOMPARE(int(text.count(QStringLiteral("Очки: 8, 8, 9, 8, 9"))), count);
        if (count > 0) {
            QVERIFY2(text.contains(QStringLiteral("10.12.2026, 09:15 — сумма 42")), qPrintable(text));
            QVERIFY2(text.contains(QStringLiteral("Упражнение: Лёжа с упора")), qPrintable(text));
            QVERIFY2(text.contains(QStringLiteral("ширины кольца")), qPrintable(text));
        } else {
            QVERIFY2(text.contains(QStringLiteral("Серий нет.")), qPrintable(text));
        }

        const QString png = dir.filePath(QStringLiteral("page"));
        poppler(QStringLiteral("pdftoppm"), {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                             QStringLiteral("1"), QStringLiteral("-r"), QStringLiteral("50"),
                                             QStringLiteral("-png"), QStringLiteral("-singlefile"), path, png});
        const QImage page(png + QStringLiteral(".png"));
        QVERIFY(!page.isNull());
        QVERIFY2(std::abs(double(page.height()) / page.width() - 297.0 / 210.0) < 0.01,
                 qPrintable(QStringLiteral("%1 x %2").arg(page.width()).arg(page.height())));
        // The blocks' targets stand 86 mm apart from 31 mm down, 75 mm
        // square at 18 mm from the left; where no series is, white paper.
        for (int block = 0; block < 3; ++block) {
            const QRectF target(18, 31 + 86 * block, 75, 75);
            const double dark = darkShare(page, target);
            if (block < count)
                QVERIFY2(dark > 0.15, qPrintable(QStringLiteral("block %1: %2").arg(block).arg(dark)));
            else
                QVERIFY2(dark == 0, qPrintable(QStringLiteral("block %1: %2").arg(block).arg(dark)));
        }
        if (count > 0) {
            // The holes are red, as on the screen.
            const double perMm = page.width() / 210.0;
            bool red = false;
            for (int y = int(31 * perMm); y < int(106 * perMm) && !red; ++y)
                for (int x = int(18 * perMm); x < int(93 * perMm) && !red; ++x)
                    red = near(page.pixel(x, y), QColor(220, 30, 30), 80);
            QVERIFY(red);
        }
    }

    // A title too long for its line (a long name) keeps its end, the date.
    void pdfTitleKeepsItsDate()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("poppler-utils are not installed");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("t.pdf"));
        const QString title = QStringLiteral("Серия стрелка %1 — 10.12.2026 14:35").arg(QString(200, QChar(u'Я')));
        QVERIFY(ExportPdf({series(1, local(10, 14, 35))}, title, path, nullptr));
        const QString text = poppler(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
        const QString first = text.section(QLatin1Char('\n'), 0, 0);
        QVERIFY2(first.startsWith(QStringLiteral("Серия стрелка ЯЯЯ")), qPrintable(first));
        QVERIFY2(first.trimmed().endsWith(QStringLiteral("— 10.12.2026 14:35")), qPrintable(first));
    }

    // A name for a file from a long name: shortened before its ending, by
    // whole characters, to what the file system takes with the save's
    // temporary name; a short one as it is.
    void fittingFileNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("ending");
        QTest::newRow("short") << QStringLiteral("Анна") << QStringLiteral(".csv");
        QTest::newRow("200 Cyrillic letters") << QString(200, QChar(u'Я')) << QStringLiteral("-день.pdf");
        QTest::newRow("letters beyond the BMP") << QString(100, QChar(u'Я')) + QString::fromUcs4(U"𝒜").repeated(60)
                                                << QStringLiteral("-серия.pdf");
        QTest::newRow("Latin letters") << QString(300, QLatin1Char('a')) << QStringLiteral(".csv");
    }
    void fittingFileNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, ending);
        const QString fitted = FittingFileName(name, ending);
        QVERIFY(QFile::encodeName(fitted).size() <= NAME_MAX - 7);
        QVERIFY(fitted.endsWith(ending));
        const QString kept = fitted.chopped(ending.size());
        QVERIFY(name.startsWith(kept) && !kept.isEmpty());
        QCOMPARE(QString::fromUtf8(kept.toUtf8()), kept); // no character cut in half
        if (QFile::encodeName(name + ending).size() <= NAME_MAX - 7)
            QCOMPARE(fitted, name + ending);
        else
            QVERIFY(QFile::encodeName(fitted).size() > NAME_MAX - 7 - 4); // no shorter than it must be
        QTemporaryDir dir;
        QVERIFY(ExportCsv({}, dir.filePath(fitted), nullptr));
    }

    // A series the journal kept without shots still gets its block.
    void pdfSeriesWithoutShots()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("poppler-utils are not installed");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("e.pdf"));
        JournalSeries s = series(1, local(4, 18, 30));
        s.shots.clear();
        s.total = 0;
        QVERIFY(ExportPdf({s}, QStringLiteral("Журнал"), path, nullptr));
        const QString text = poppler(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
        QVERIFY2(text.contains(QStringLiteral("04.12.2026, 18:30 — сумма 0")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Выстрелов нет.")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("стр. 1 из 1")), qPrintable(text));
    }

    // ------------------------------------------------------------ the chart

    void movingAverage_data()
    {
        QTest::addColumn<QList<double>>("values");
        QTest::addColumn<int>("window");
        QTest::addColumn<QList<double>>("averages");
        QTest::newRow("nothing") << QList<double>{} << 5 << QList<double>{};
        QTest::newRow("one value") << QList<double>{42} << 5 << QList<double>{42};
        QTest::newRow("fewer than the window: what there is")
            << QList<double>{40, 44, 45} << 5 << QList<double>{40, 42, 43};
        QTest::newRow("five, then sliding")
            << QList<double>{10, 20, 30, 40, 50, 60, 70, 5} << 5 << QList<double>{10, 15, 20, 25, 30, 40, 50, 45};
        QTest::newRow("fractions") << QList<double>{0.5, 0.7, 1.2, 0.4, 0.9, 1.3}
                                   << 5 << QList<double>{0.5, 0.6, 0.8, 0.7, 0.74, 0.9};
        QTest::newRow("window 1: the values") << QList<double>{3, -1, 2} << 1 << QList<double>{3, -1, 2};
        QTest::newRow("window 0 counts as 1") << QList<double>{3, -1, 2} << 0 << QList<double>{3, -1, 2};
        QTest::newRow("window wider than the journal") << QList<double>{2, 4} << 10 << QList<double>{2, 3};
    }
    void movingAverage()
    {
        QFETCH(QList<double>, values);
        QFETCH(int, window);
        QFETCH(QList<double>, averages);
        const QList<double> got = TProgressChart::MovingAverage(values, window);
        QCOMPARE(got.size(), averages.size());
        for (int i = 0; i < got.size(); ++i)
            QVERIFY2(std::abs(got[i] - averages[i]) < 1e-12, qPrintable(QStringLiteral("%1: %2").arg(i).arg(got[i])));
    }

    // The right axis ends on a round number just above the loosest group.
    void radiusAxis_data()
    {
        QTest::addColumn<QList<double>>("radii");
        QTest::addColumn<double>("top");
        QTest::newRow("no series") << QList<double>{} << 1.0;
        QTest::newRow("all on one point") << QList<double>{0, 0} << 1.0;
        QTest::newRow("just under 1") << QList<double>{0.3, 0.92} << 1.0;
        QTest::newRow("exactly 1") << QList<double>{1.0} << 1.0;
        QTest::newRow("1,3: five steps of 0,3") << QList<double>{0.4, 1.3} << 1.5;
        QTest::newRow("2,2: steps of 0,5") << QList<double>{2.2} << 2.5;
        QTest::newRow("a wild series") << QList<double>{0.8, 7} << 7.5;
        QTest::newRow("a radius that is no number counts as 0")
            << QList<double>{std::nan(""), 0.6, INFINITY} << 0.75;
    }
    void radiusAxis()
    {
        QFETCH(QList<double>, radii);
        QFETCH(double, top);
        QList<TProgressChart::Point> points;
        for (double r : radii)
            points << TProgressChart::Point{local(1, 10, 0), 40, r};
        TProgressChart chart;
        chart.SetPoints(points);
        QVERIFY2(std::abs(chart.RadiusAxisTop() - top) < 1e-9, qPrintable(QString::number(chart.RadiusAxisTop())));
    }

    // Any number of series paints; the lines are there when the series are.
    void chartPaints_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QSize>("size");
        QTest::newRow("none") << 0 << QSize(640, 360);
        QTest::newRow("one") << 1 << QSize(640, 360);
        QTest::newRow("two") << 2 << QSize(640, 360);
        QTest::newRow("a season") << 300 << QSize(640, 360);
        QTest::newRow("twenty thousand") << 20000 << QSize(640, 360);
        QTest::newRow("twenty thousand, wide") << 20000 << QSize(2400, 600);
        QTest::newRow("tiny") << 20 << QSize(40, 30);
    }
    void chartPaints()
    {
        QFETCH(int, count);
        QFETCH(QSize, size);
        QList<TProgressChart::Point> points;
        for (int i = 0; i < count; ++i)
            points << TProgressChart::Point{local(1, 8, 0).addSecs(qint64(i) * 3 * 3600), 30 + (i * 7) % 21,
                                            0.4 + (i % 13) / 10.0};
        TProgressChart chart;
        chart.SetPoints(points);
        chart.resize(size);
        const QImage image = chart.grab().toImage();
        QCOMPARE(image.size(), size * image.devicePixelRatio());
        if (size.height() < 100)
            return;
        // Below the legend: the dots and lines of both, or nothing at all.
        bool total = false, radius = false;
        const int belowLegend = int(2 * QFontMetricsF(chart.font()).height() * image.devicePixelRatio());
        for (int y = belowLegend; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                total = total || near(image.pixel(x, y), QColor(0, 90, 200)) || near(image.pixel(x, y), QColor(0, 50, 140));
                radius = radius || near(image.pixel(x, y), QColor(215, 95, 0)) || near(image.pixel(x, y), QColor(160, 55, 0));
            }
        QCOMPARE(total, count > 0);
        QCOMPARE(radius, count > 0);
    }

    // Years of series paint at once: at most two points a pixel column.
    void chartPaintsManyQuickly()
    {
        QList<TProgressChart::Point> points;
        for (int i = 0; i < 20000; ++i)
            points << TProgressChart::Point{local(1, 8, 0).addSecs(qint64(i) * 3600), 25 + (i * 7919) % 26,
                                            0.3 + (i * 31 % 17) / 8.0};
        TProgressChart chart;
        chart.SetPoints(points);
        for (const QSize size : {QSize(800, 450), QSize(3000, 1200)}) {
            chart.resize(size);
            QImage image(size, QImage::Format_ARGB32_Premultiplied);
            chart.render(&image); // the first paint sets up fonts and the like
            QElapsedTimer timer;
            timer.start();
            chart.render(&image);
            const qint64 ms = timer.elapsed();
            qInfo("%d x %d, 20000 series: %lld ms", size.width(), size.height(), ms);
            // A chart that drew every series would take many seconds; the
            // figure itself is measured by scripts/bench (bench_journal).
            QVERIFY2(ms < 5000, qPrintable(QString::number(ms)));
        }
    }
};

VIMBRA_TEST_MAIN(TestJournalExport)
#include "tst_journalexport.moc"
