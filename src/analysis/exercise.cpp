#include "analysis/exercise.h"

#include "analysis/thresholds.h"

#include <QCoreApplication>

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
    }
    return QString();
}

Exercise ExerciseFromKey(const QString &key)
{
    for (Exercise e : {Exercise::Grouping, Exercise::Zeroing, Exercise::Calling})
        if (key.trimmed().compare(ExerciseKey(e), Qt::CaseInsensitive) == 0)
            return e;
    return Exercise::Free;
}

GroupingVerdict JudgeGrouping(const SeriesFigures &f)
{
    GroupingVerdict v;
    v.passed = f.shots >= 2 && f.meanRadiusRings <= Thresholds::kGroupingMeanRadius
               && f.extremeSpreadRings <= Thresholds::kGroupingSpread;
    v.text = ExerciseTexts::tr("Норматив кучности (средний радиус до %1, наибольший разброс до %2 ширины кольца): %3 — "
                            "средний радиус %4, разброс %5.")
                 .arg(Decimal(Thresholds::kGroupingMeanRadius), Decimal(Thresholds::kGroupingSpread),
                      v.passed ? ExerciseTexts::tr("выполнен") : ExerciseTexts::tr("не выполнен"),
                      Decimal(f.meanRadiusRings), Decimal(f.extremeSpreadRings));
    if (!v.passed && f.shots >= 2) {
        // What spreads the group, whether or not it counts as tight for a
        // sight correction; then the sight picture's faults the debrief names.
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
    }
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
        const QPointF miss = s.call - s.hole;
        const double rings = std::hypot(miss.x(), miss.y()) / target.RingWidth();
        c.errors << rings;
        ++c.called;
        within += rings <= Thresholds::kCallWithin ? 1 : 0;
    }
    c.share = c.called ? double(within) / c.called : 0;
    return c;
}

double TraceLength(const QList<TraceSample> &trace, int fromMs)
{
    // The path from where the aim stood at fromMs (between the samples about
    // it) to the last sample.
    double length = 0;
    QPointF last;
    bool started = false;
    for (int i = 0; i < trace.size(); ++i) {
        const TraceSample &s = trace[i];
        if (s.ms < fromMs)
            continue;
        if (!started) {
            started = true;
            last = s.aim;
            if (i > 0 && s.ms > fromMs) {
                const TraceSample &before = trace[i - 1];
                const double t = double(fromMs - before.ms) / double(s.ms - before.ms);
                last = before.aim + (s.aim - before.aim) * t;
            } else {
                continue;
            }
        }
        length += std::hypot(s.aim.x() - last.x(), s.aim.y() - last.y());
        last = s.aim;
    }
    return length;
}

void AimTrace::Add(qint64 ms, QPointF aim)
{
    FSamples.push_back({ms, aim});
    // One sample older than the span stays: where the aim stood as it began.
    while (FSamples.size() >= 2 && FSamples[1].ms < ms - FSpanMs)
        FSamples.pop_front();
}

QList<TraceSample> AimTrace::Before(qint64 ms) const
{
    // Where the aim stood when the span began (the last sample before it, if
    // any, held till then), and every sample in the span.
    QList<TraceSample> trace;
    const Sample *earlier = nullptr;
    for (const Sample &s : FSamples) {
        if (s.ms > ms)
            break;
        if (s.ms < ms - FSpanMs) {
            earlier = &s;
            continue;
        }
        if (earlier && trace.isEmpty() && s.ms > ms - FSpanMs)
            trace << TraceSample{-FSpanMs, earlier->aim};
        trace << TraceSample{int(s.ms - ms), s.aim};
    }
    if (trace.isEmpty() && earlier)
        trace << TraceSample{-FSpanMs, earlier->aim};
    return trace;
}
