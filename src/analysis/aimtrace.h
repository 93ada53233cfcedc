#pragma once

// The aim trace: where the sights pointed over the last seconds before a
// shot, and how far they wandered. Pixels, as the debrief measures them.

#include "base/tracesample.h"

#include <QList>
#include <QPointF>

#include <deque>

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
