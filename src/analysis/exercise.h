#pragma once

// The exercises a coach runs, their rules as plain data: the grouping norm,
// when zeroing is done, how well shots were called, and the aim trace.

#include "analysis/debrief.h"

#include <QList>
#include <QPointF>
#include <QString>

#include <deque>

enum class Exercise {
    Free,     // «Свободная стрельба»: everything as it always was
    Grouping, // «Кучность»: scores hidden during the series, the group judged by a norm
    Zeroing,  // «Приведение к нормальному бою»: a gun with a hidden error to be found
    Calling,  // «Объявление пробоины»: each shot called before it is seen
};

QString ExerciseName(Exercise exercise);  // as the drop-down shows it
QString ExerciseKey(Exercise exercise);   // as the settings file keeps it (ASCII)
Exercise ExerciseFromKey(const QString &key); // Free for anything unknown

// «Кучность»: the group passes when its mean radius and its extreme spread
// are both within the norm (Thresholds::kGroupingMeanRadius, kGroupingSpread).
struct GroupingVerdict {
    bool passed = false;
    QString text; // the verdict and, for a group that fails, the coach's hint
};
GroupingVerdict JudgeGrouping(const SeriesFigures &figures);

// «Приведение к нормальному бою» is done with a tight group whose mean point
// of impact lies within Thresholds::kZeroedWithin ring widths of the centre.
bool ZeroingDone(const SeriesFigures &figures);

// «Объявление пробоины»: how far each call was from its hole, in ring
// widths, and the share of calls within Thresholds::kCallWithin of it.
struct CallFigures {
    QList<double> errors; // per called shot, ring widths
    int called = 0;
    double share = 0;     // 0 to 1
};
CallFigures JudgeCalls(const QList<ShotRecord> &shots, const TargetGeometry &target);

// The length of an aim trace's path from `fromMs` (before the shot; where the
// aim stood then is found between the samples about it) to its end, in
// pixels: the steadier the hold, the shorter. A trace of one point is 0.
double TraceLength(const QList<TraceSample> &trace, int fromMs);

// The aim point's recent path: samples older than the span are dropped as new
// ones come (all but one, which tells where the aim stood as the span began),
// so however long a session lasts it holds at most one span.
class AimTrace
{
public:
    explicit AimTrace(int spanMs = 2000) : FSpanMs(spanMs) {}
    void Add(qint64 ms, QPointF aim);
    // The samples of the last span before `ms`, times counted back from it
    // (<= 0), oldest first; where the aim stood as the span began comes first
    // (at -span) when it was set before.
    QList<TraceSample> Before(qint64 ms) const;
    void Clear() { FSamples.clear(); }
    size_t Size() const { return FSamples.size(); }

private:
    struct Sample {
        qint64 ms;
        QPointF aim;
    };
    int FSpanMs;
    std::deque<Sample> FSamples;
};
