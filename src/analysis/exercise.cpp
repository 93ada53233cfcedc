#include "analysis/exercise.h"

#include "analysis/thresholds.h"

#include <cmath>

QString ExerciseName(Exercise exercise)
{
    switch (exercise) {
    case Exercise::Free: return QStringLiteral("Свободная стрельба");
    case Exercise::Grouping: return QStringLiteral("Кучность");
    case Exercise::Zeroing: return QStringLiteral("Приведение к нормальному бою");
    case Exercise::Calling: return QStringLiteral("Объявление пробоины");
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
    v.text = QStringLiteral("Норматив кучности (средний радиус до %1, наибольший разброс до %2 ширины кольца): %3 — "
                            "средний радиус %4, разброс %5.")
                 .arg(Decimal(Thresholds::kGroupingMeanRadius), Decimal(Thresholds::kGroupingSpread),
                      v.passed ? QStringLiteral("выполнен") : QStringLiteral("не выполнен"),
                      Decimal(f.meanRadiusRings), Decimal(f.extremeSpreadRings));
    if (!v.passed) {
        // What spreads the group, as the debrief says it.
        for (const QString &line : f.advice.lines)
            if (line.startsWith(QStringLiteral("Разброс")) || line.startsWith(QStringLiteral("Мушка")))
                v.text += QLatin1Char(' ') + line;
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
    double length = 0;
    const TraceSample *last = nullptr;
    for (const TraceSample &s : trace) {
        if (s.ms < fromMs)
            continue;
        if (last)
            length += std::hypot(s.aim.x() - last->aim.x(), s.aim.y() - last->aim.y());
        last = &s;
    }
    return length;
}

void AimTrace::Add(qint64 ms, QPointF aim)
{
    FSamples.push_back({ms, aim});
    while (!FSamples.empty() && FSamples.front().ms < ms - FSpanMs)
        FSamples.pop_front();
}

QList<TraceSample> AimTrace::Before(qint64 ms) const
{
    QList<TraceSample> trace;
    for (const Sample &s : FSamples)
        if (s.ms <= ms && s.ms >= ms - FSpanMs)
            trace << TraceSample{int(s.ms - ms), s.aim};
    return trace;
}
