#include "journal/journalexport.h"

#include "journal/journalstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QStorageInfo>

#include <algorithm>
#include <numeric>
#include <cerrno>
#include <climits>
#include <cmath>
#include <unistd.h>

namespace {

// The texts a user reads, for translation.
struct ExportTexts {
    Q_DECLARE_TR_FUNCTIONS(JournalExport)
};

// The journal's shots in firing order (as it keeps them, should their
// numbers be missing).
QList<JournalShot> inFiringOrder(QList<JournalShot> shots)
{
    std::stable_sort(shots.begin(), shots.end(),
                     [](const JournalShot &a, const JournalShot &b) { return a.number < b.number; });
    return shots;
}

// ------------------------------------------------------------------ writing

// A save goes through a temporary file beside the target, named after it
// with this many more bytes.
constexpr int kTemporarySuffix = 7;

// The longest name the file system of a folder takes, in bytes.
int nameMax(const QString &folder)
{
    const long max = ::pathconf(QFile::encodeName(folder).constData(), _PC_NAME_MAX);
    return max > 0 ? int(std::min<long>(max, NAME_MAX)) : NAME_MAX;
}

// Why a file could not be written, in words: what the user can change.
// `error` is the system's code for the failing step, where it gave one.
QString failure(const QString &path, bool opened, int error = 0)
{
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    QString why;
    if (info.isDir()) {
        why = ExportTexts::tr("на этом месте папка");
    } else if (!QFileInfo(folder).isDir()) {
        why = ExportTexts::tr("такой папки нет");
    } else if (error == ENAMETOOLONG
               || QFile::encodeName(info.fileName()).size() + kTemporarySuffix > nameMax(folder)) {
        why = ExportTexts::tr("имя файла слишком длинное");
    } else if (error == ENOSPC || error == EDQUOT || error == EFBIG) {
        why = ExportTexts::tr("диск заполнен");
    } else if (error == EROFS) {
        why = ExportTexts::tr("диск открыт только для чтения");
    } else if (error == EACCES || error == EPERM || ::access(QFile::encodeName(folder).constData(), W_OK) != 0) {
        why = errno == EROFS ? ExportTexts::tr("диск открыт только для чтения")
                             : ExportTexts::tr("нет прав на запись в эту папку");
    } else if (!opened) {
        why = ExportTexts::tr("файл не удалось создать");
    } else {
        const QStorageInfo disk(folder);
        why = disk.isValid() && disk.bytesAvailable() < 1024 * 1024 ? ExportTexts::tr("диск заполнен")
                                                                     : ExportTexts::tr("ошибка записи на диск");
    }
    return SaveFailureText(path, why);
}

// Sets *error, if asked for it, and says false.
bool fail(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return false;
}

// ---------------------------------------------------------------------- CSV

// A number as a Russian spreadsheet reads it: a decimal comma, no group
// separators, an ASCII minus, never "-0". Empty for what is no number.
QString csvNumber(double value, int decimals, bool trimZeros)
{
    if (!std::isfinite(value))
        return QString();
    QString s = QString::number(value, 'f', decimals);
    if (trimZeros && s.contains(QLatin1Char('.'))) {
        while (s.endsWith(QLatin1Char('0')))
            s.chop(1);
        if (s.endsWith(QLatin1Char('.')))
            s.chop(1);
    }
    const bool zero = std::none_of(s.cbegin(), s.cend(), [](QChar c) { return c >= u'1' && c <= u'9'; });
    if (zero && s.startsWith(QLatin1Char('-')))
        s.remove(0, 1);
    s.replace(QLatin1Char('.'), QLatin1Char(','));
    return s;
}
// Coordinates: pixels, to hundredths where they are fractional.
QString coordinate(double v) { return csvNumber(v, 2, true); }
// The series' figures: ring widths, as the window and the report give them,
// to hundredths; empty where the ring's width is not known.
QString figure(double pixels, double ringWidth)
{
    return ringWidth > 0 ? csvNumber(pixels / ringWidth, 2, false) : QString();
}

// A field quoted as RFC 4180 has it when it holds a separator, a quote or a
// line break.
QString csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(';')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n'))
        && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString csvRow(const QStringList &fields)
{
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString &f : fields)
        quoted << csvField(f);
    return quoted.join(QLatin1Char(';')) + QLatin1String("\r\n");
}

QString localTime(const QDateTime &when, const QString &format)
{
    return when.isValid() ? when.toLocalTime().toString(format) : QString();
}

// The steadiness: the shares in percent, to tenths where they have them;
// the hold area in ring widths, to hundredths.
QString percentField(double share, bool measured) { return measured ? csvNumber(share * 100, 1, true) : QString(); }
QString ringsField(double rings, bool measured) { return measured ? csvNumber(rings, 2, false) : QString(); }

TargetGeometry seriesTarget(const JournalSeries &s) { return TargetGeometry{s.targetWidth, s.blackCircleValue, 1}; }

QString targetName(bool large) { return large ? ExportTexts::tr("большая") : ExportTexts::tr("маленькая"); }

// ---------------------------------------------------------------------- PDF

// The page, in millimetres. Three series a page, each a block: a heading
// line, then the target (75 mm square) with its figures in words to its
// right. So one series takes one page, and a day of seven takes three.
constexpr int kSeriesPerPage = 3;
constexpr double kPageWidth = 210, kPageHeight = 297;
constexpr double kLeft = 18, kRight = 18, kTop = 12;
constexpr double kTitleHeight = 12;     // the report's title, under it a rule
constexpr double kBlockHeading = 7;     // the series' date and total
constexpr double kTargetSide = 75;      // the printed target
constexpr double kBlockGap = 4;         // between blocks, a thin rule in it
constexpr double kTextGap = 7;          // between the target and its words
constexpr double kFooterHeight = 6, kFooterTop = kPageHeight - 8 - kFooterHeight;
static_assert(kTop + kTitleHeight + kSeriesPerPage * (kBlockHeading + kTargetSide) + (kSeriesPerPage - 1) * kBlockGap
                  <= kFooterTop,
              "the blocks of a page run into its foot");

class PdfPage
{
public:
    PdfPage(QPainter &painter, double dotsPerInch) : FPainter(painter), FDotsPerMm(dotsPerInch / 25.4) {}

    double mm(double v) const { return v * FDotsPerMm; }
    QRectF mm(double x, double y, double w, double h) const { return QRectF(mm(x), mm(y), mm(w), mm(h)); }

    // Text in a box of the page, cut at its edges; a single line that is
    // too long ends in an ellipsis. Returns the millimetres it took downwards.
    double text(const QRectF &boxMm, const QString &text, double points, bool bold, QColor ink,
                int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, Qt::TextElideMode elide = Qt::ElideRight)
    {
        if (boxMm.height() <= 0)
            return 0;
        QFont font = FBase;
        font.setPointSizeF(points);
        font.setBold(bold);
        FPainter.setFont(font);
        FPainter.setPen(ink);
        const QRectF box = mm(boxMm.x(), boxMm.y(), boxMm.width(), boxMm.height());
        const QString shown = flags & Qt::TextSingleLine
                                  ? QFontMetricsF(font, FPainter.device()).elidedText(text, elide, box.width())
                                  : text;
        QRectF used;
        FPainter.drawText(box, flags, shown, &used);
        return used.height() / FDotsPerMm;
    }

    void rule(double x1, double y, double x2, QColor ink)
    {
        FPainter.setPen(QPen(ink, mm(0.25)));
        FPainter.drawLine(QPointF(mm(x1), mm(y)), QPointF(mm(x2), mm(y)));
    }

    // The debrief's target in a square: painted with a unit of 1/96 inch,
    // the screen's pixel, so its lines, dots and numbers keep their
    // proportions on paper.
    void target(double x, double y, double side, const TargetPicture &series)
    {
        FPainter.save();
        const double unit = FDotsPerMm * 25.4 / 96;
        FPainter.translate(mm(x), mm(y));
        FPainter.scale(unit, unit);
        const QRectF area(0, 0, mm(side) / unit, mm(side) / unit);
        PaintDebriefTarget(FPainter, area, series, TargetPicture(), FBase);
        FPainter.setRenderHint(QPainter::Antialiasing);
        FPainter.setPen(QPen(QColor(160, 160, 160), 1));
        FPainter.setBrush(Qt::NoBrush);
        FPainter.drawRect(area);
        FPainter.restore();
    }

private:
    QPainter &FPainter;
    double FDotsPerMm;
    QFont FBase;
};

QString scoresText(const QList<JournalShot> &shots)
{
    QStringList scores;
    for (const JournalShot &s : shots)
        scores << (s.late ? ExportTexts::tr("0 (после времени)") : QString::number(s.score));
    return scores.join(QStringLiteral(", "));
}

// Seconds from milliseconds, to thousandths where they are fractional.
QString seconds(int ms) { return csvNumber(ms / 1000.0, 3, true); }

// The figures of a series in words, as the debrief puts them.
QStringList seriesWords(const JournalSeries &s, const TargetPicture &drawn)
{
    const SeriesFigures &f = drawn.figures;
    const double ring = drawn.target.RingWidth();
    QStringList lines;
    if (!s.exercise.isEmpty())
        lines << ExportTexts::tr("Упражнение: %1").arg(s.exercise);
    if (f.shots == 0) {
        lines << ExportTexts::tr("Выстрелов нет.");
        return lines;
    }
    lines << ExportTexts::tr("Очки: %1 (выстрелов %2).").arg(scoresText(inFiringOrder(s.shots))).arg(f.shots);
    lines << f.flyerWords;
    if (s.timeLimitMs > 0) {
        const QList<JournalShot> shots = inFiringOrder(s.shots);
        const auto late = std::count_if(shots.cbegin(), shots.cend(), [](const JournalShot &shot) { return shot.late; });
        lines << ExportTexts::tr("На время: %1 с из %2; после времени — %3.")
                     .arg(shots.last().sinceStartMs >= 0 ? Decimal(shots.last().sinceStartMs / 1000.0)
                                                         : QStringLiteral("—"))
                     .arg(s.timeLimitMs / 1000)
                     .arg(late);
    }
    lines << ExportTexts::tr("Средняя точка попадания: %1.").arg(DistanceAndHour(f.meanPoint, ring));
    if (f.shots >= 2) {
        lines << ExportTexts::tr("Средний радиус: %1 ширины кольца — %2.")
                     .arg(Decimal(f.meanRadiusRings), GroupVerdict(f.tight));
        lines << ExportTexts::tr("Наибольший разброс: %1 ширины кольца, между %2-й и %3-й пробоинами.")
                     .arg(Decimal(f.extremeSpreadRings))
                     .arg(f.spreadFrom)
                     .arg(f.spreadTo);
    }
    const SeriesSteadiness steady = SeriesHold(s);
    if (steady.measured > 0)
        lines << SteadinessSentence(steady);
    return lines;
}

void paintSeriesBlock(PdfPage &page, double top, const JournalSeries &s)
{
    const double width = kPageWidth - kLeft - kRight;
    QString heading = localTime(s.firedAt, QStringLiteral("dd.MM.yyyy, HH:mm"));
    heading += (heading.isEmpty() ? QString() : QStringLiteral(" — ")) + ExportTexts::tr("сумма %1").arg(s.total);
    page.text(QRectF(kLeft, top, width, kBlockHeading), heading, 12, true, Qt::black,
              Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine);

    const double targetTop = top + kBlockHeading;
    const TargetPicture drawn = DebriefSeries(s);
    page.target(kLeft, targetTop, kTargetSide, drawn);

    const double x = kLeft + kTargetSide + kTextGap;
    const double textWidth = kPageWidth - kRight - x;
    const double bottom = targetTop + kTargetSide;
    double y = targetTop;
    for (const QString &line : seriesWords(s, drawn))
        y += page.text(QRectF(x, y, textWidth, bottom - y), line, 10.5, false, Qt::black) + 1.5;

    QString details;
    if (!s.shooter.isEmpty())
        details += ExportTexts::tr("Стрелок: %1. ").arg(s.shooter);
    details += ExportTexts::tr("Мишень %1, чёрный круг — кольцо %2, поправка планки %3 пикс.")
                   .arg(targetName(s.largeTarget))
                   .arg(s.blackCircleValue)
                   .arg(s.correction);
    page.text(QRectF(x, y + 2, textWidth, bottom - y - 2), details, 8.5, false, QColor(90, 90, 90));
}

} // namespace

TargetPicture DebriefSeries(const JournalSeries &s)
{
    TargetPicture series;
    series.target = seriesTarget(s);
    for (const JournalShot &shot : inFiringOrder(s.shots))
        series.shots << ShotRecord{shot.hole, shot.hold, shot.alignment, shot.correction, shot.score};
    // The bar only matters to the advice, which the journal does not show.
    series.figures = AnalyseSeries(series.shots, series.target, ElevationBar());
    return series;
}

HoldSteadiness ShotHold(const JournalSeries &s, const JournalShot &shot) { return MeasureHold(shot.trace, seriesTarget(s)); }

SeriesSteadiness SeriesHold(const JournalSeries &s)
{
    QList<HoldSteadiness> shots;
    shots.reserve(s.shots.size());
    for (const JournalShot &shot : s.shots)
        shots << ShotHold(s, shot);
    return MeanSteadiness(shots);
}

QString SteadinessSentence(const SeriesSteadiness &s)
{
    return ExportTexts::tr("Устойчивость: в 10 — %1%, в 9 — %2% последней секунды; пятно удержания %3 ширины кольца.")
        .arg(Percent(s.inTen))
        .arg(Percent(s.inNine))
        .arg(Decimal(s.holdRadiusRings));
}

void MeasureSeriesHolds(JournalStore &store, const QString &shooter, const QList<JournalSeries> &series,
                        const std::function<bool(qint64 seriesId, const SeriesSteadiness &steadiness)> &each)
{
    QHash<qint64, TargetGeometry> targets;
    targets.reserve(series.size());
    for (const JournalSeries &s : series)
        targets.insert(s.id, seriesTarget(s));
    // The traces come series by series: each series is done when the next
    // one's first trace comes, the last at the end.
    qint64 current = -1;
    QList<HoldSteadiness> shots;
    bool going = true;
    auto finish = [&] {
        if (current >= 0 && !shots.isEmpty())
            going = each(current, MeanSteadiness(shots));
        shots.clear();
        return going;
    };
    store.ReadTraces(shooter, [&](qint64 seriesId, int, const QList<TraceSample> &trace) {
        if (seriesId != current) {
            if (!finish())
                return false;
            current = seriesId;
        }
        const auto target = targets.constFind(seriesId);
        if (target != targets.constEnd())
            shots << MeasureHold(trace, *target);
        return true;
    });
    if (going)
        finish();
}

JournalHolds MeasureJournalHolds(JournalStore &store, const QString &shooter, const QList<JournalSeries> &series)
{
    QHash<qint64, TargetGeometry> targets;
    targets.reserve(series.size());
    for (const JournalSeries &s : series)
        targets.insert(s.id, seriesTarget(s));
    JournalHolds holds;
    store.ReadTraces(shooter, [&](qint64 seriesId, int number, const QList<TraceSample> &trace) {
        const auto target = targets.constFind(seriesId);
        if (target != targets.constEnd())
            holds[seriesId].insert(number, MeasureHold(trace, *target));
        return true;
    });
    return holds;
}

QString SaveFailureText(const QString &path, const QString &why)
{
    return ExportTexts::tr("Не удалось сохранить файл «%1»: %2.").arg(QDir::toNativeSeparators(path), why);
}

QString FittingFileName(const QString &name, const QString &ending, const QString &folder)
{
    QString base = name;
    const int room = (folder.isEmpty() ? NAME_MAX : nameMax(folder)) - kTemporarySuffix
                     - int(QFile::encodeName(ending).size());
    while (!base.isEmpty() && QFile::encodeName(base).size() > room)
        base.chop(base.size() >= 2 && base.back().isLowSurrogate() ? 2 : 1);
    return base + ending;
}

bool ExportCsv(const QList<JournalSeries> &series, const QString &path, QString *error, const JournalHolds *holds)
{
    QString text;
    text += csvRow({ExportTexts::tr("Стрелок"), ExportTexts::tr("Дата"), ExportTexts::tr("Серия"),
                    ExportTexts::tr("Упражнение"), ExportTexts::tr("Мишень"), ExportTexts::tr("Чёрный круг"),
                    ExportTexts::tr("Поправка, пикс."), ExportTexts::tr("№ выстрела"), ExportTexts::tr("Очки"),
                    ExportTexts::tr("X, пикс."), ExportTexts::tr("Y, пикс."), ExportTexts::tr("Удержание X, пикс."),
                    ExportTexts::tr("Удержание Y, пикс."), ExportTexts::tr("Мушка X, пикс."),
                    ExportTexts::tr("Мушка Y, пикс."), ExportTexts::tr("Поправка Y, пикс."),
                    ExportTexts::tr("Сумма серии"), ExportTexts::tr("СТП X, ширины кольца"),
                    ExportTexts::tr("СТП Y, ширины кольца"), ExportTexts::tr("Средний радиус, ширины кольца"),
                    ExportTexts::tr("Наибольший разброс, ширины кольца"),
                    ExportTexts::tr("В 10, % последней секунды"), ExportTexts::tr("В 9, % последней секунды"),
                    ExportTexts::tr("Пятно удержания, ширины кольца"),
                    ExportTexts::tr("В 10 за серию, % последней секунды"),
                    ExportTexts::tr("В 9 за серию, % последней секунды"),
                    ExportTexts::tr("Пятно удержания за серию, ширины кольца"),
                    ExportTexts::tr("Время на серию, с"), ExportTexts::tr("Время выстрела от начала, с"),
                    ExportTexts::tr("После времени")});
    for (const JournalSeries &s : series) {
        const QStringList head{s.shooter,
                               localTime(s.firedAt, QStringLiteral("yyyy-MM-dd HH:mm")),
                               QString::number(s.id),
                               s.exercise,
                               targetName(s.largeTarget),
                               QString::number(s.blackCircleValue),
                               QString::number(s.correction)};
        const QStringList tail{QString::number(s.total), figure(s.meanPoint.x(), s.ringWidth),
                               figure(s.meanPoint.y(), s.ringWidth), figure(s.meanRadius, s.ringWidth),
                               figure(s.extremeSpread, s.ringWidth)};
        const QString limit = s.timeLimitMs > 0 ? seconds(s.timeLimitMs) : QString();
        const QList<JournalShot> shots = inFiringOrder(s.shots);
        QList<HoldSteadiness> held;
        held.reserve(shots.size());
        for (const JournalShot &shot : shots)
            held << (holds ? holds->value(s.id).value(shot.number) : ShotHold(s, shot));
        const SeriesSteadiness steady = MeanSteadiness(held);
        const QStringList seriesHold{percentField(steady.inTen, steady.measured > 0),
                                     percentField(steady.inNine, steady.measured > 0),
                                     ringsField(steady.holdRadiusRings, steady.measured > 0)};
        if (shots.isEmpty())
            text += csvRow(head + QStringList(9, QString()) + tail + QStringList(3, QString()) + seriesHold
                           + QStringList{limit, QString(), QString()});
        for (int i = 0; i < shots.size(); ++i) {
            const JournalShot &shot = shots[i];
            const QStringList own{QString::number(shot.number > 0 ? shot.number : i + 1),
                                  QString::number(shot.score),
                                  coordinate(shot.hole.x()),
                                  coordinate(shot.hole.y()),
                                  coordinate(shot.hold.x()),
                                  coordinate(shot.hold.y()),
                                  coordinate(shot.alignment.x()),
                                  coordinate(shot.alignment.y()),
                                  coordinate(shot.correction.y())};
            const HoldSteadiness &h = held[i];
            const QStringList ownHold{percentField(h.inTen, h.measured), percentField(h.inNine, h.measured),
                                      ringsField(h.holdRadiusRings, h.measured)};
            const QStringList timed{limit, shot.sinceStartMs >= 0 ? seconds(shot.sinceStartMs) : QString(),
                                    shot.late ? ExportTexts::tr("да") : QString()};
            text += csvRow(head + own + tail + ownHold + seriesHold + timed);
        }
    }

    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        return fail(error, failure(path, false, errno));
    const QByteArray bytes = QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    errno = 0;
    if (file.write(bytes) != bytes.size() || !file.commit())
        return fail(error, failure(path, true, errno));
    return true;
}

// An A4 page or more into `path` (replaced only once wholly written), drawn by
// `draw` on a painter at 1200 dots an inch; false, and why, on failure.
template <class Draw>
bool writePdf(const QString &path, const QString &title, QString *error, Draw draw)
{
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        return fail(error, failure(path, false, errno));
    {
        QPdfWriter writer(&file);
        writer.setResolution(1200);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(),
                                         QPageLayout::Millimeter));
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Vimbra"));
        QPainter painter;
        if (!painter.begin(&writer))
            return fail(error, failure(path, true));
        PdfPage page(painter, writer.resolution());
        draw(writer, page);
        if (!painter.end())
            return fail(error, failure(path, true));
    }
    errno = 0;
    if (!file.commit())
        return fail(error, failure(path, true, errno));
    return true;
}

bool ExportPdf(const QList<JournalSeries> &series, const QString &title, const QString &path, QString *error)
{
    return writePdf(path, title, error, [&](QPdfWriter &writer, PdfPage &page) {

        const int pages = std::max<int>(1, (series.size() + kSeriesPerPage - 1) / kSeriesPerPage);
        const double width = kPageWidth - kLeft - kRight;
        for (int p = 0; p < pages; ++p) {
            if (p > 0)
                writer.newPage();
            // The title heads every page, large on the first; one too long
            // for its line is shortened in the middle (a long name), so its
            // end, the date, stays.
            page.text(QRectF(kLeft, kTop, width, kTitleHeight - 2), title, p == 0 ? 15 : 10, p == 0,
                      p == 0 ? Qt::black : QColor(90, 90, 90),
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, Qt::ElideMiddle);
            page.rule(kLeft, kTop + kTitleHeight - 1, kPageWidth - kRight, QColor(120, 120, 120));

            double top = kTop + kTitleHeight;
            if (series.isEmpty())
                page.text(QRectF(kLeft, top + 2, width, 10), ExportTexts::tr("Серий нет."), 11, false, Qt::black);
            for (int i = p * kSeriesPerPage; i < std::min<int>(series.size(), (p + 1) * kSeriesPerPage); ++i) {
                if (top > kTop + kTitleHeight)
                    page.rule(kLeft, top - kBlockGap / 2, kPageWidth - kRight, QColor(200, 200, 200));
                paintSeriesBlock(page, top, series[i]);
                top += kBlockHeading + kTargetSide + kBlockGap;
            }

            page.text(QRectF(kLeft, kFooterTop, width, kFooterHeight),
                      ExportTexts::tr("стр. %1 из %2").arg(p + 1).arg(pages), 9, false, QColor(90, 90, 90),
                      Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine);
        }
    });
}

bool ExportClassPdf(const QList<ClassBestAndLast> &learners, const QString &title, const QString &path,
                    QString *error)
{
    // The columns, in millimetres: №, the learner, the best series' total,
    // time and radius, the last series' three, the mark.
    const double width = kPageWidth - kLeft - kRight;
    const QList<double> columns{8, 52, 13, 14, 17, 13, 14, 17};
    const double markWidth = width - std::accumulate(columns.cbegin(), columns.cend(), 0.0);
    constexpr double kHeaderRows = 12; // the two heading lines of the table
    const double tableTop = kTop + kTitleHeight + 2;
    const double room = kFooterTop - tableTop - kHeaderRows;
    // Rows as tall as a class of thirty needs, smaller for a larger class
    // down to 4.5 mm; beyond that the table goes on on the next page.
    const double rowHeight = std::clamp(learners.isEmpty() ? 7.0 : room / learners.size(), 4.5, 7.0);
    const int perPage = std::max(1, int(room / rowHeight));
    const int pages = std::max<int>(1, (learners.size() + perPage - 1) / perPage);
    const double points = rowHeight >= 6 ? 10 : 8;

    return writePdf(path, title, error, [&](QPdfWriter &writer, PdfPage &page) {
        const int centred = Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine;
        const int left = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
        auto cells = [&](double top, double height, const QStringList &texts, bool bold, double size) {
            double x = kLeft;
            for (int c = 0; c <= columns.size(); ++c) {
                const double w = c < columns.size() ? columns[c] : markWidth;
                page.text(QRectF(x + 1, top, w - 2, height), texts.value(c), size, bold, Qt::black,
                          c == 1 ? left : centred);
                x += w;
            }
        };
        for (int p = 0; p < pages; ++p) {
            if (p > 0)
                writer.newPage();
            page.text(QRectF(kLeft, kTop, width, kTitleHeight - 2), title, p == 0 ? 15 : 10, p == 0,
                      p == 0 ? Qt::black : QColor(90, 90, 90), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      Qt::ElideMiddle);
            page.rule(kLeft, kTop + kTitleHeight - 1, kPageWidth - kRight, QColor(120, 120, 120));
            // The heading: the two series over their columns, then each column.
            const double bestLeft = kLeft + columns[0] + columns[1];
            const double lastLeft = bestLeft + columns[2] + columns[3] + columns[4];
            page.text(QRectF(bestLeft, tableTop, columns[2] + columns[3] + columns[4], 6),
                      ExportTexts::tr("Лучшая серия"), 9, true, Qt::black, centred);
            page.text(QRectF(lastLeft, tableTop, columns[5] + columns[6] + columns[7], 6),
                      ExportTexts::tr("Последняя серия"), 9, true, Qt::black, centred);
            const QStringList heads{ExportTexts::tr("№"), ExportTexts::tr("Ученик"), ExportTexts::tr("Сумма"),
                                    ExportTexts::tr("Время"), ExportTexts::tr("Ср. радиус"), ExportTexts::tr("Сумма"),
                                    ExportTexts::tr("Время"), ExportTexts::tr("Ср. радиус"),
                                    ExportTexts::tr("Оценка")};
            cells(tableTop + 6, 6, heads, true, 8.5);
            page.rule(kLeft, tableTop + kHeaderRows, kPageWidth - kRight, QColor(120, 120, 120));
            double top = tableTop + kHeaderRows;
            if (learners.isEmpty())
                page.text(QRectF(kLeft, top + 2, width, 10), ExportTexts::tr("В классе нет учеников."), 11, false,
                          Qt::black);
            for (int i = p * perPage; i < std::min<int>(learners.size(), (p + 1) * perPage); ++i) {
                const ClassBestAndLast &l = learners[i];
                auto series = [](const std::optional<ClassSeriesBrief> &s) {
                    if (!s)
                        return QStringList{QStringLiteral("—"), QString(), QString()};
                    return QStringList{QString::number(s->total), localTime(s->firedAt, QStringLiteral("HH:mm")),
                                       Decimal(s->meanRadiusRings)};
                };
                cells(top, rowHeight, QStringList{QString::number(i + 1), l.name} + series(l.best) + series(l.last),
                      false, points);
                top += rowHeight;
                page.rule(kLeft, top, kPageWidth - kRight, QColor(200, 200, 200));
            }
            if (pages > 1)
                page.text(QRectF(kLeft, kFooterTop, width, kFooterHeight),
                          ExportTexts::tr("стр. %1 из %2").arg(p + 1).arg(pages), 9, false, QColor(90, 90, 90),
                          Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine);
        }
    });
}
