#include "analysis/debrief.h"

#include "analysis/thresholds.h"

#include <QCoreApplication>
#include <QLocale>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {

// The texts a user reads, for translation.
struct DebriefTexts {
    Q_DECLARE_TR_FUNCTIONS(Debrief)
};

QPointF mean(const QList<QPointF> &points)
{
    QPointF sum;
    for (const QPointF &p : points)
        sum += p;
    return points.isEmpty() ? QPointF() : sum / double(points.size());
}

double length(QPointF v) { return std::hypot(v.x(), v.y()); }

// The mean distance of the points from their mean.
double spread(const QList<QPointF> &points)
{
    const QPointF centre = mean(points);
    double sum = 0;
    for (const QPointF &p : points)
        sum += length(p - centre);
    return points.isEmpty() ? 0 : sum / double(points.size());
}

// The mean distance from their mean along one axis.
double axisSpread(const QList<QPointF> &points, bool vertical)
{
    const QPointF centre = mean(points);
    double sum = 0;
    for (const QPointF &p : points)
        sum += std::abs(vertical ? p.y() - centre.y() : p.x() - centre.x());
    return points.isEmpty() ? 0 : sum / double(points.size());
}

// What the sight picture did, as a coach names it: sentences of their own.
QStringList alignmentHints(const QList<QPointF> &alignments, QPointF meanAlignment, double ringWidth)
{
    QStringList hints;
    const QPointF bias = meanAlignment / ringWidth;
    if (bias.y() < -Thresholds::kAlignmentBias)
        hints << DebriefTexts::tr("мушка чаще выше краёв прорези — пробоины уходят вверх");
    else if (bias.y() > Thresholds::kAlignmentBias)
        hints << DebriefTexts::tr("мушка чаще ниже краёв прорези — пробоины уходят вниз");
    if (bias.x() < -Thresholds::kAlignmentBias)
        hints << DebriefTexts::tr("мушка чаще левее середины прорези — пробоины уходят влево");
    else if (bias.x() > Thresholds::kAlignmentBias)
        hints << DebriefTexts::tr("мушка чаще правее середины прорези — пробоины уходят вправо");
    if (axisSpread(alignments, true) / ringWidth > Thresholds::kAlignmentUnsteady)
        hints << DebriefTexts::tr("мушка то выше, то ниже краёв прорези — ровняйте её вершину точно по краям");
    if (axisSpread(alignments, false) / ringWidth > Thresholds::kAlignmentUnsteady)
        hints << DebriefTexts::tr("мушка то левее, то правее середины прорези — ставьте её точно посередине");
    for (QString &hint : hints)
        hint = hint.left(1).toUpper() + hint.mid(1) + QLatin1Char('.');
    return hints;
}

QString divisions(int n)
{
    return CountOf(n, QT_TRANSLATE_NOOP("CountOf", "деление"), QT_TRANSLATE_NOOP("CountOf", "деления"),
                   QT_TRANSLATE_NOOP("CountOf", "делений"));
}

Advice advise(const SeriesFigures &f, const QList<ShotRecord> &shots, const QList<QPointF> &alignments,
             const TargetGeometry &target, const ElevationBar &bar)
{
    Advice advice;
    const double ring = target.RingWidth();
    if (f.shots == 0)
        return advice;
    if (f.shots < Thresholds::kShotsForCorrection) {
        advice.lines << DebriefTexts::tr("Для вывода нужно не меньше %1 пробоин: стреляйте дальше.")
                            .arg(Thresholds::kShotsForCorrection);
        return advice;
    }

    if (!f.tight) {
        // Tightness first: a loose group says nothing sure about the sight.
        advice.lines << DebriefTexts::tr("Группа не кучная: средний радиус %1 ширины кольца (кучная — до %2). "
                                       "Прицел пока не трогайте.")
                            .arg(Decimal(f.meanRadiusRings), Decimal(Thresholds::kTightGroup));
        const SpreadCause cause = CauseOfSpread(f);
        if (cause == SpreadCause::Alignment)
            advice.lines << DebriefTexts::tr("Разброс даёт прицеливание: мушка стоит в прорези каждый раз по-разному.");
        else if (cause == SpreadCause::Hold)
            advice.lines << DebriefTexts::tr("Разброс даёт удержание: оружие от выстрела к выстрелу наведено в разные "
                                           "точки. Подводите прицел под мишень одинаково, без рывков.");
        else
            advice.lines << DebriefTexts::tr("Разброс дают и прицеливание, и удержание.");
        if (cause != SpreadCause::Hold) {
            advice.sightHints = alignmentHints(alignments, f.meanAlignment, ring);
            advice.lines << advice.sightHints;
        }
        return advice;
    }

    advice.lines << DebriefTexts::tr("Группа кучная: средний радиус %1 ширины кольца.").arg(Decimal(f.meanRadiusRings));
    advice.sightHints = alignmentHints(alignments, f.meanAlignment, ring);
    advice.lines << advice.sightHints;

    // Height: the bar moves the hits 5 pixels a division, up as it rises.
    // The correction counts from where the bar stood for this series (the
    // mean of its shots' corrections), not from where it stands now: once
    // applied, the same advice is not applied twice.
    double fired = 0;
    for (const ShotRecord &s : shots)
        fired += -s.correction.y();
    const int firedPosition = std::clamp(
        bar.maximum - int(std::lround(fired / double(shots.size()) / double(Thresholds::kPixelsPerDivision))), 0, bar.maximum);
    const int wanted = int(std::lround(f.meanPoint.y() / double(Thresholds::kPixelsPerDivision)));
    const int possible = wanted > 0 ? std::min(wanted, firedPosition) : std::max(wanted, firedPosition - bar.maximum);
    if (wanted == 0) {
        advice.lines << DebriefTexts::tr("По высоте поправка не нужна.");
    } else if (possible == 0) {
        advice.lines << (wanted > 0 ? DebriefTexts::tr("Планку нужно поднять, но она уже поднята до предела.")
                                    : DebriefTexts::tr("Планку нужно опустить, но она уже опущена до предела."));
    } else {
        advice.barDivisions = possible;
        advice.lines << DebriefTexts::tr("%1 прицельную планку на %2%3.")
                            .arg(possible > 0 ? DebriefTexts::tr("Поднять") : DebriefTexts::tr("Опустить"),
                                 divisions(std::abs(possible)),
                                 possible != wanted ? DebriefTexts::tr(" (до предела)") : QString());
        const int target = firedPosition - possible;
        if (target == bar.position)
            advice.lines << DebriefTexts::tr("Поправка уже внесена: проверьте её следующей серией.");
        else
            advice.newBarPosition = target;
    }

    // Sideways there is nothing to correct on the sight: aim off.
    const double sideways = f.meanPoint.x() / ring;
    if (std::abs(sideways) > Thresholds::kAimOff) {
        advice.aimOff = -f.meanPoint.x();
        advice.lines << DebriefTexts::tr("Выносите точку прицеливания %1 на %2 ширины кольца (%3 пикс.).")
                            .arg(sideways > 0 ? DebriefTexts::tr("левее") : DebriefTexts::tr("правее"),
                                 Decimal(std::abs(sideways)), QString::number(std::lround(std::abs(f.meanPoint.x()))));
    }
    if (wanted == 0 && std::abs(sideways) <= Thresholds::kAimOff)
        advice.lines << DebriefTexts::tr("Средняя точка попадания в центре: так держать.");
    return advice;
}

} // namespace

double TargetGeometry::RingRadius(int score) const
{
    return RingBoundary(TenRadius(), score);
}

int ClockHour(QPointF direction)
{
    if (direction.isNull())
        return 0;
    double degrees = qRadiansToDegrees(std::atan2(direction.x(), -direction.y()));
    if (degrees < 0)
        degrees += 360;
    const int hour = int(std::lround(degrees / 30)) % 12;
    return hour == 0 ? 12 : hour;
}

QString Decimal(double value) { return QLocale(QLocale::Russian).toString(value, 'f', 1); }

QString GroupVerdict(bool tight) { return tight ? DebriefTexts::tr("группа кучная") : DebriefTexts::tr("группа не кучная"); }

QString CountOf(int n, const char *one, const char *few, const char *many)
{
    const int tens = std::abs(n) % 100, ones = std::abs(n) % 10;
    const char *word = (tens >= 11 && tens <= 14) ? many : ones == 1 ? one : (ones >= 2 && ones <= 4) ? few : many;
    return QStringLiteral("%1 %2").arg(n).arg(QCoreApplication::translate("CountOf", word));
}

QString DistanceAndHour(QPointF offset, double ringWidth)
{
    const double rings = length(offset) / ringWidth;
    if (rings < Thresholds::kOnCentre)
        return DebriefTexts::tr("в центре");
    return DebriefTexts::tr("%1 на %2 ч").arg(Decimal(rings)).arg(ClockHour(offset));
}

SpreadCause CauseOfSpread(const SeriesFigures &f)
{
    if (f.alignmentSpread >= Thresholds::kCauseRatio * f.holdSpread)
        return SpreadCause::Alignment;
    if (f.holdSpread >= Thresholds::kCauseRatio * f.alignmentSpread)
        return SpreadCause::Hold;
    return SpreadCause::Both;
}

SeriesFigures AnalyseSeries(const QList<ShotRecord> &shots, const TargetGeometry &target, const ElevationBar &bar)
{
    SeriesFigures f;
    f.shots = int(shots.size());
    if (shots.isEmpty())
        return f;
    const double ring = target.RingWidth();

    QList<QPointF> holes, alignments, rests;
    for (int i = 0; i < shots.size(); ++i) {
        const ShotRecord &s = shots[i];
        holes << s.hole;
        alignments << s.alignment;
        rests << s.hole - s.alignment;
        f.perShot << ShotFigures{i + 1, s.score, s.hole, s.alignment, s.hole - s.alignment};
    }
    f.meanPoint = mean(holes);
    f.meanPointRings = length(f.meanPoint) / ring;
    f.meanPointHour = f.meanPointRings < Thresholds::kOnCentre ? 0 : ClockHour(f.meanPoint);
    f.meanRadius = spread(holes);
    f.meanRadiusRings = f.meanRadius / ring;
    f.spreadFrom = f.spreadTo = 1;
    for (int i = 0; i < holes.size(); ++i)
        for (int j = i + 1; j < holes.size(); ++j)
            if (const double d = length(holes[i] - holes[j]); d > f.extremeSpread) {
                f.extremeSpread = d;
                f.spreadFrom = i + 1;
                f.spreadTo = j + 1;
            }
    f.extremeSpreadRings = f.extremeSpread / ring;
    f.meanAlignment = mean(alignments);
    f.meanHoldAndCorrection = mean(rests);
    f.alignmentSpread = spread(alignments);
    f.holdSpread = spread(rests);
    f.tight = f.meanRadiusRings <= Thresholds::kTightGroup;
    f.advice = advise(f, shots, alignments, target, bar);
    return f;
}

double CallError(const ShotRecord &shot, double ringWidth)
{
    if (!shot.called)
        return -1;
    const QPointF miss = shot.call - shot.hole;
    return std::hypot(miss.x(), miss.y()) / ringWidth;
}
