#include "analysis/debrief.h"

#include "analysis/thresholds.h"

#include <QCoreApplication>
#include <QLocale>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <limits>

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

// "выше" / "ниже" / "левее" / "правее": where an offset mostly points.
QString mostlyTowards(QPointF d)
{
    if (std::abs(d.y()) >= std::abs(d.x()))
        return d.y() < 0 ? DebriefTexts::tr("выше") : DebriefTexts::tr("ниже");
    return d.x() < 0 ? DebriefTexts::tr("левее") : DebriefTexts::tr("правее");
}

// The shot farthest, for the others' mean radius, from their mean point,
// leaving out those set aside, if it lies beyond Thresholds::kFlyerRatio of
// that radius and kFlyerLeast ring widths; -1 for none.
int worstOutlier(const QList<QPointF> &holes, const QList<int> &aside, double ring)
{
    int worst = -1;
    double worstRatio = Thresholds::kFlyerRatio;
    for (int i = 0; i < holes.size(); ++i) {
        if (aside.contains(i))
            continue;
        QList<QPointF> others;
        for (int j = 0; j < holes.size(); ++j)
            if (j != i && !aside.contains(j))
                others << holes[j];
        const double distance = length(holes[i] - mean(others));
        if (distance < Thresholds::kFlyerLeast * ring)
            continue;
        const double radius = spread(others);
        const double ratio = radius > 0 ? distance / radius : std::numeric_limits<double>::infinity();
        if (ratio > worstRatio) {
            worst = i;
            worstRatio = ratio;
        }
    }
    return worst;
}

// Whether every one of the flyers stands alone: at least
// Thresholds::kFlyerAlone times as far from the mean point of the rest as
// the farthest of the rest.
bool standAlone(const QList<QPointF> &holes, const QList<int> &flyers)
{
    QList<QPointF> rest;
    for (int i = 0; i < holes.size(); ++i)
        if (!flyers.contains(i))
            rest << holes[i];
    const QPointF centre = mean(rest);
    double farthest = 0;
    for (QPointF p : rest)
        farthest = std::max(farthest, length(p - centre));
    for (int i : flyers)
        if (length(holes[i] - centre) < Thresholds::kFlyerAlone * farthest)
            return false;
    return true;
}

// The flyers among the holes, by index: the worst outliers, one after
// another, as many as one in every five shots allows (none in a group of
// fewer than Thresholds::kShotsForFlyer); of them, the most that, taken in
// that order, all stand alone. Outliers that do not make a loose group, not
// flyers.
QList<int> findFlyers(const QList<QPointF> &holes, double ring)
{
    QList<int> flyers;
    if (holes.size() < Thresholds::kShotsForFlyer)
        return flyers;
    const int most = std::max<int>(1, int(holes.size()) / 5);
    while (flyers.size() < most) {
        const int worst = worstOutlier(holes, flyers, ring);
        if (worst < 0)
            break;
        flyers << worst;
    }
    while (!flyers.isEmpty() && !standAlone(holes, flyers))
        flyers.removeLast();
    std::sort(flyers.begin(), flyers.end());
    return flyers;
}

// A flyer named with what sent it astray, against the shots of the group:
// the sight picture, the hold, or both.
QString nameFlyer(int number, QPointF alignment, QPointF rest, QPointF groupAlignment, QPointF groupRest)
{
    const QPointF byAlignment = alignment - groupAlignment, byHold = rest - groupRest;
    const double a = length(byAlignment), h = length(byHold);
    QString cause;
    if (a >= Thresholds::kCauseRatio * h)
        cause = DebriefTexts::tr("мушка стояла в прорези %1, чем в остальных выстрелах").arg(mostlyTowards(byAlignment));
    else if (h >= Thresholds::kCauseRatio * a)
        cause = DebriefTexts::tr("удержание сбилось — оружие было наведено %1, чем в остальных выстрелах")
                    .arg(mostlyTowards(byHold));
    else
        cause = DebriefTexts::tr("сбились и мушка, и удержание");
    return DebriefTexts::tr("%1-я пробоина — отрыв: %2.").arg(number).arg(cause);
}

QString ringsAndPixels(double pixels, double ring)
{
    return DebriefTexts::tr("%1 ширины кольца (%2 пикс.)")
        .arg(Decimal(std::abs(pixels) / ring), QString::number(std::lround(std::abs(pixels))));
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
        advice.lines << DebriefTexts::tr("Группа не кучная: средний радиус %1, наибольший разброс %2 ширины кольца "
                                       "(кучная — до %3 и до %4). Прицел пока не трогайте.")
                            .arg(Decimal(f.meanRadiusRings), Decimal(f.extremeSpreadRings),
                                 Decimal(Thresholds::kTightGroup), Decimal(Thresholds::kTightSpread));
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

    advice.lines << DebriefTexts::tr("Группа кучная: средний радиус %1, наибольший разброс %2 ширины кольца.")
                        .arg(Decimal(f.meanRadiusRings), Decimal(f.extremeSpreadRings));
    advice.sightHints = alignmentHints(alignments, f.meanAlignment, ring);
    advice.lines << advice.sightHints;
    if (OnCentre(f.meanPoint, ring)) {
        advice.lines << DebriefTexts::tr("Средняя точка попадания в центре: так держать.");
        return advice;
    }

    // Height: the bar moves the hits 5 pixels a division, up as it rises.
    // The correction counts from where the bar stood for this series (the
    // mean of its shots' corrections), not from where it stands now: once
    // applied, the same advice is not applied twice. What the bar cannot
    // make good, past its limit or under half a division, the learner makes
    // good by aiming higher or lower.
    double fired = 0;
    for (const ShotRecord &s : shots)
        fired += -s.correction.y();
    const int firedPosition = std::clamp(
        bar.maximum - int(std::lround(fired / double(shots.size()) / double(Thresholds::kPixelsPerDivision))), 0, bar.maximum);
    const int wanted = int(std::lround(f.meanPoint.y() / double(Thresholds::kPixelsPerDivision)));
    const int possible = wanted > 0 ? std::min(wanted, firedPosition) : std::max(wanted, firedPosition - bar.maximum);
    if (wanted != 0 && possible == 0) {
        advice.lines << (wanted > 0 ? DebriefTexts::tr("Планку нужно поднять, но она уже поднята до предела.")
                                    : DebriefTexts::tr("Планку нужно опустить, но она уже опущена до предела."));
    } else if (wanted != 0) {
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
    const double left = possible == wanted && wanted != 0 ? 0
                                                          : f.meanPoint.y() - possible * Thresholds::kPixelsPerDivision;
    // Past the bar's end the rest is always aimed off: it is half a division
    // at least, and the learner must be told what will work.
    if (possible != wanted || std::abs(left) / ring >= Thresholds::kOnCentre) {
        advice.aimUp = left;
        advice.lines << DebriefTexts::tr("Выносите точку прицеливания %1 на %2.")
                            .arg(left > 0 ? DebriefTexts::tr("выше") : DebriefTexts::tr("ниже"),
                                 ringsAndPixels(left, ring));
    } else if (wanted == 0 && std::abs(f.meanPoint.x()) / ring >= Thresholds::kOnCentre) {
        advice.lines << DebriefTexts::tr("По высоте поправка не нужна.");
    }

    // Sideways there is nothing to correct on the sight: aim off.
    if (std::abs(f.meanPoint.x()) / ring >= Thresholds::kOnCentre) {
        advice.aimOff = -f.meanPoint.x();
        advice.lines << DebriefTexts::tr("Выносите точку прицеливания %1 на %2.")
                            .arg(f.meanPoint.x() > 0 ? DebriefTexts::tr("левее") : DebriefTexts::tr("правее"),
                                 ringsAndPixels(f.meanPoint.x(), ring));
    }
    // Off the centre, but by less than either way of making it good.
    if (advice.barDivisions == 0 && advice.aimUp == 0 && advice.aimOff == 0 && wanted == 0)
        advice.lines << DebriefTexts::tr("Средняя точка попадания рядом с центром: поправки не нужны, так держать.");
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

bool OnCentre(QPointF offset, double ringWidth) { return length(offset) / ringWidth < Thresholds::kOnCentre; }

QString DistanceAndHour(QPointF offset, double ringWidth)
{
    if (OnCentre(offset, ringWidth))
        return DebriefTexts::tr("в центре");
    return DebriefTexts::tr("%1 на %2 ч").arg(Decimal(length(offset) / ringWidth)).arg(ClockHour(offset));
}

QString OffsetInWords(QPointF offset)
{
    const long down = std::lround(offset.y()), right = std::lround(offset.x());
    QStringList parts;
    if (down != 0)
        parts << (down > 0 ? DebriefTexts::tr("ниже на %1 пикс.") : DebriefTexts::tr("выше на %1 пикс.")).arg(std::abs(down));
    if (right != 0)
        parts << (right > 0 ? DebriefTexts::tr("правее на %1 пикс.") : DebriefTexts::tr("левее на %1 пикс."))
                     .arg(std::abs(right));
    return parts.isEmpty() ? DebriefTexts::tr("без смещения") : parts.join(QStringLiteral(", "));
}

SpreadCause CauseOfSpread(const SeriesFigures &f)
{
    if (f.alignmentSpread >= Thresholds::kCauseRatio * f.holdSpread)
        return SpreadCause::Alignment;
    if (f.holdSpread >= Thresholds::kCauseRatio * f.alignmentSpread)
        return SpreadCause::Hold;
    return SpreadCause::Both;
}

bool IsTight(double meanRadiusRings, double extremeSpreadRings)
{
    return meanRadiusRings <= Thresholds::kTightGroup && extremeSpreadRings <= Thresholds::kTightSpread;
}

SeriesFigures AnalyseSeries(const QList<ShotRecord> &shots, const TargetGeometry &target, const ElevationBar &bar)
{
    SeriesFigures f;
    f.shots = int(shots.size());
    if (shots.isEmpty())
        return f;
    const double ring = target.RingWidth();

    QList<QPointF> allHoles;
    for (const ShotRecord &s : shots)
        allHoles << s.hole;
    const QList<int> flyers = findFlyers(allHoles, ring);

    // The group: every shot but the flyers.
    QList<QPointF> holes, alignments, rests;
    QList<int> numbers;
    for (int i = 0; i < shots.size(); ++i) {
        const ShotRecord &s = shots[i];
        const bool flyer = flyers.contains(i);
        f.perShot << ShotFigures{i + 1, s.score, s.hole, s.alignment, s.hole - s.alignment, flyer};
        if (flyer)
            continue;
        holes << s.hole;
        alignments << s.alignment;
        rests << s.hole - s.alignment;
        numbers << i + 1;
    }
    f.meanPoint = mean(holes);
    f.meanPointRings = length(f.meanPoint) / ring;
    f.meanPointHour = OnCentre(f.meanPoint, ring) ? 0 : ClockHour(f.meanPoint);
    f.meanRadius = spread(holes);
    f.meanRadiusRings = f.meanRadius / ring;
    f.spreadFrom = f.spreadTo = numbers.first();
    for (int i = 0; i < holes.size(); ++i)
        for (int j = i + 1; j < holes.size(); ++j)
            if (const double d = length(holes[i] - holes[j]); d > f.extremeSpread) {
                f.extremeSpread = d;
                f.spreadFrom = numbers[i];
                f.spreadTo = numbers[j];
            }
    f.extremeSpreadRings = f.extremeSpread / ring;
    f.meanAlignment = mean(alignments);
    f.meanHoldAndCorrection = mean(rests);
    f.alignmentSpread = spread(alignments);
    f.holdSpread = spread(rests);
    f.tight = IsTight(f.meanRadiusRings, f.extremeSpreadRings);

    for (int i : flyers) {
        f.flyers << i + 1;
        f.flyerWords << nameFlyer(i + 1, shots[i].alignment, shots[i].hole - shots[i].alignment, f.meanAlignment,
                                  f.meanHoldAndCorrection);
    }
    if (!flyers.isEmpty())
        f.flyerWords << (flyers.size() == 1 ? DebriefTexts::tr("Группа и средняя точка — без неё.")
                                            : DebriefTexts::tr("Группа и средняя точка — без них."));
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
