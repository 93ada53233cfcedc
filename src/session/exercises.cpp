#include "session/exercises.h"

#include "analysis/thresholds.h"
#include "platform/random.h"
#include "session/timedrule.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

namespace {

// The texts a user reads, for translation.
struct ExerciseTexts {
    Q_DECLARE_TR_FUNCTIONS(Exercise)
};

} // namespace

QString ExerciseName(Exercise exercise)
{
    switch (exercise) {
    case Exercise::Free: return ExerciseTexts::tr("Свободная стрельба");
    case Exercise::Grouping: return ExerciseTexts::tr("Кучность");
    case Exercise::Zeroing: return ExerciseTexts::tr("Приведение к нормальному бою");
    case Exercise::Calling: return ExerciseTexts::tr("Объявление пробоины");
    case Exercise::Timed: return ExerciseTexts::tr("Стрельба на время");
    }
    return QString();
}

QString ExerciseKey(Exercise exercise)
{
    switch (exercise) {
    case Exercise::Free: return QStringLiteral("free");
    case Exercise::Grouping: return QStringLiteral("grouping");
    case Exercise::Zeroing: return QStringLiteral("zeroing");
    case Exercise::Calling: return QStringLiteral("calling");
    case Exercise::Timed: return QStringLiteral("timed");
    }
    return QString();
}

Exercise ExerciseFromKey(const QString &key)
{
    for (Exercise e : {Exercise::Grouping, Exercise::Zeroing, Exercise::Calling, Exercise::Timed})
        if (key.trimmed().compare(ExerciseKey(e), Qt::CaseInsensitive) == 0)
            return e;
    return Exercise::Free;
}

GroupingVerdict JudgeGrouping(const SeriesFigures &f)
{
    // The norm is stricter than tightness, and a flyer fails it: the group
    // is judged without it, but the exercise counts every shot.
    GroupingVerdict v;
    const bool withinNorm = f.meanRadiusRings <= Thresholds::kGroupingMeanRadius
                            && f.extremeSpreadRings <= Thresholds::kGroupingSpread;
    v.passed = f.shots >= 2 && withinNorm && f.flyers.isEmpty();
    v.text = ExerciseTexts::tr("Норматив упражнения (средний радиус до %1, наибольший разброс до %2 ширины кольца, "
                               "без отрывов): %3 — средний радиус %4, разброс %5.")
                 .arg(Decimal(Thresholds::kGroupingMeanRadius), Decimal(Thresholds::kGroupingSpread),
                      v.passed ? ExerciseTexts::tr("выполнен") : ExerciseTexts::tr("не выполнен"),
                      Decimal(f.meanRadiusRings), Decimal(f.extremeSpreadRings));
    if (v.passed || f.shots < 2)
        return v;
    if (withinNorm) {
        v.text += ExerciseTexts::tr(" Группа в пределах норматива, но с отрывом.");
        return v;
    }
    if (f.tight)
        v.text += ExerciseTexts::tr(" Группа кучная, но норматив строже.");
    // What spreads the group; then the sight picture's faults the debrief names.
    switch (CauseOfSpread(f)) {
    case SpreadCause::Alignment:
        v.text += ExerciseTexts::tr(" Разброс даёт прицеливание: мушка стоит в прорези каждый раз по-разному.");
        break;
    case SpreadCause::Hold:
        v.text += ExerciseTexts::tr(" Разброс даёт удержание: подводите прицел под мишень одинаково, без рывков.");
        break;
    case SpreadCause::Both: v.text += ExerciseTexts::tr(" Разброс дают и прицеливание, и удержание."); break;
    }
    for (const QString &hint : f.advice.sightHints)
        v.text += QLatin1Char(' ') + hint;
    return v;
}

bool ZeroingDone(const SeriesFigures &f)
{
    return f.shots >= Thresholds::kShotsForCorrection && f.tight && f.meanPointRings <= Thresholds::kZeroedWithin;
}

CallFigures JudgeCalls(const QList<ShotRecord> &shots, const TargetGeometry &target)
{
    CallFigures c;
    int within = 0;
    for (const ShotRecord &s : shots) {
        if (!s.called)
            continue;
        const double rings = CallError(s, target.RingWidth());
        c.errors << rings;
        ++c.called;
        within += rings <= Thresholds::kCallWithin ? 1 : 0;
    }
    c.share = c.called ? double(within) / c.called : 0;
    return c;
}

// ---------------------------------------------------------------- the rules

void ExerciseRule::File(JournalSeries &series) const
{
    if (FKind != Exercise::Free)
        series.exercise = ExerciseName(FKind);
}

namespace {

class FreeRule : public ExerciseRule
{
public:
    FreeRule() : ExerciseRule(Exercise::Free) {}
};

// The scores open at the series' end; the group is judged by the norm, and
// the sights are the learner's own business here: no correction is offered.
class GroupingRule : public ExerciseRule
{
public:
    GroupingRule() : ExerciseRule(Exercise::Grouping) {}
    bool ScoreSeen(const ShotRecord &, bool seriesFinished) const override { return seriesFinished; }
    bool OffersCorrection() const override { return false; }
    QString Hint(bool) const override
    {
        return ExerciseTexts::tr("Кучность: очки откроются в конце серии; планку не трогайте.");
    }
    QStringList Words(const SeriesState &state) const override
    {
        if (state.finished)
            return {JudgeGrouping(state.figures).text};
        return {ExerciseTexts::tr("Кучность: сумма и очки откроются в конце серии.")};
    }
};

// Each shot is hidden until called; the calls are measured against the holes.
class CallingRule : public ExerciseRule
{
public:
    CallingRule() : ExerciseRule(Exercise::Calling) {}
    bool ScoreSeen(const ShotRecord &shot, bool) const override { return shot.called; }
    bool CallsShots() const override { return true; }
    QString Hint(bool awaitingCall) const override
    {
        return awaitingCall ? ExerciseTexts::tr("Щёлкните там, куда, по-вашему, попала пуля.")
                            : ExerciseTexts::tr("После выстрела покажите, куда попала пуля.");
    }
    QStringList Words(const SeriesState &state) const override
    {
        const CallFigures calls = JudgeCalls(state.shots, state.target);
        if (calls.called == 0)
            return {};
        return {ExerciseTexts::tr("Объявлено выстрелов: %1; в пределах %2 ширины кольца от пробоины: %3%.")
                    .arg(calls.called)
                    .arg(Decimal(Thresholds::kCallWithin))
                    .arg(std::lround(100 * calls.share))};
    }
};

} // namespace

QPointF TaughtHold(const TargetGeometry &target)
{
    // The target picture is the black circle.
    return QPointF(0, std::max(target.width, 0) / 2.0);
}

ZeroingRule::ZeroingRule(const ElevationBar &bar, const TargetGeometry &target)
    : ExerciseRule(Exercise::Zeroing), FBarBefore(bar.position)
{
    // The bar position that zeroes the gun for the taught hold: 2 to 5
    // divisions from where the bar stands, on a side with room for it (a
    // bar of 10 divisions always has room on one side). The error in height
    // follows: at that position the bar's lift makes good the hold's offset
    // and the error together.
    const int divisions = 2 + Random(4);
    const int up = bar.position - divisions, down = bar.position + divisions;
    const bool upFits = up >= 0, downFits = down <= bar.maximum;
    const bool goUp = upFits && downFits ? Random(2) == 0 : upFits || !downFits;
    FBarZeroing = std::clamp(goUp ? up : down, 0, bar.maximum);
    const double lift = (bar.maximum - FBarZeroing) * Thresholds::kPixelsPerDivision;
    const int sideways = (Random(2) ? 1 : -1) * (4 + Random(9));
    FError = QPoint(sideways, int(std::lround(lift - TaughtHold(target).y())) + RandomSpread(3));
}

QString ZeroingRule::Hint(bool) const
{
    return FDone ? ExerciseTexts::tr("Оружие приведено к нормальному бою. «Очистить» — другое оружие.")
                 : ExerciseTexts::tr("Оружие не пристреляно: серия, «Разбор серии», «Применить» — и снова.");
}

void ZeroingRule::SeriesFinished(const SeriesFigures &figures)
{
    if (FDone)
        return;
    ++FSeries;
    FDone = ZeroingDone(figures);
}

QStringList ZeroingRule::Words(const SeriesState &state) const
{
    if (!FDone)
        return {ExerciseTexts::tr("Приведение к нормальному бою: серия %1. Готово, когда кучная группа ляжет не "
                                  "дальше %2 ширины кольца от центра.")
                    .arg(FSeries + (state.finished ? 0 : 1))
                    .arg(Decimal(Thresholds::kZeroedWithin))};
    // Done: the error is told, as the taught sight picture met it.
    const int divisions = std::abs(FBarBefore - FBarZeroing);
    const QPoint miss(FError.x(), (FBarBefore - FBarZeroing) * Thresholds::kPixelsPerDivision);
    return {ExerciseTexts::tr("Оружие приведено к нормальному бою за %1. Его ошибка: при правильном прицеливании "
                              "и планке на %2 пробоины уходили %3 (%4 планки) и %5; планка для него — %6.")
                .arg(CountOf(FSeries, QT_TRANSLATE_NOOP("CountOf", "серию"), QT_TRANSLATE_NOOP("CountOf", "серии"),
                             QT_TRANSLATE_NOOP("CountOf", "серий")))
                .arg(FBarBefore)
                .arg(miss.y() > 0 ? ExerciseTexts::tr("ниже на %1 пикс.").arg(miss.y())
                                  : ExerciseTexts::tr("выше на %1 пикс.").arg(-miss.y()))
                .arg(CountOf(divisions, QT_TRANSLATE_NOOP("CountOf", "деление"),
                             QT_TRANSLATE_NOOP("CountOf", "деления"), QT_TRANSLATE_NOOP("CountOf", "делений")))
                .arg(miss.x() > 0 ? ExerciseTexts::tr("правее на %1 пикс.").arg(miss.x())
                                  : ExerciseTexts::tr("левее на %1 пикс.").arg(-miss.x()))
                .arg(FBarZeroing)};
}

void ZeroingRule::File(JournalSeries &series) const
{
    ExerciseRule::File(series);
    series.hiddenError = FError;
    if (FDone)
        series.zeroingSeries = FSeries;
}

std::unique_ptr<ExerciseRule> MakeExerciseRule(Exercise exercise, const ElevationBar &bar,
                                               const TargetGeometry &target)
{
    switch (exercise) {
    case Exercise::Free: break;
    case Exercise::Grouping: return std::make_unique<GroupingRule>();
    case Exercise::Zeroing: return std::make_unique<ZeroingRule>(bar, target);
    case Exercise::Calling: return std::make_unique<CallingRule>();
    case Exercise::Timed: return std::make_unique<TimedRule>(); // the lesson sets its limit
    }
    return std::make_unique<FreeRule>();
}
