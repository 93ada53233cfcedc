#include "analysis/aimtrace.h"

#include <cmath>

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
