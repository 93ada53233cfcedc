#include "analysis/steadiness.h"

#include <algorithm>
#include <cmath>

namespace {

double distance(QPointF p) { return std::hypot(p.x(), p.y()); }

// The times, within (0, 1), at which the line from a to b crosses the circle
// of radius r about the centre.
void crossings(QPointF a, QPointF b, double r, QList<double> &at)
{
    const QPointF d = b - a;
    const double qa = d.x() * d.x() + d.y() * d.y();
    if (qa <= 0)
        return;
    const double qb = 2 * (a.x() * d.x() + a.y() * d.y());
    const double qc = a.x() * a.x() + a.y() * a.y() - r * r;
    const double disc = qb * qb - 4 * qa * qc;
    if (disc <= 0)
        return;
    const double root = std::sqrt(disc);
    for (const double t : {(-qb - root) / (2 * qa), (-qb + root) / (2 * qa)})
        if (t > 0 && t < 1)
            at << t;
}

} // namespace

AimZone ZoneOf(QPointF aim, const TargetGeometry &target)
{
    const double r = distance(aim);
    return r <= target.RingRadius(10) ? AimZone::Ten : r <= target.RingRadius(9) ? AimZone::Nine : AimZone::Outside;
}

HoldSteadiness MeasureHold(const QList<TraceSample> &trace, const TargetGeometry &target)
{
    HoldSteadiness h;
    if (trace.isEmpty())
        return h;
    h.measured = true;
    const double ten = target.RingRadius(10), nine = target.RingRadius(9);

    // Where the aim stood as the second began: the last sample at or before
    // it; with none, the second is counted from the first sample.
    int first = 0;
    for (int i = 0; i < trace.size(); ++i)
        if (trace[i].ms <= -kSteadinessSpanMs)
            first = i;
    const int begin = std::min(0, std::max(trace[first].ms, -kSteadinessSpanMs));

    // Each sample holds from its time until the next one's (the last until
    // the shot): pieces of time with the aim standing still.
    struct Piece {
        QPointF aim;
        double ms;
    };
    QList<Piece> pieces;
    double total = 0;
    for (int i = first; i < trace.size(); ++i) {
        const int from = std::max(trace[i].ms, begin);
        const int to = i + 1 < trace.size() ? std::min(trace[i + 1].ms, 0) : 0;
        if (to > from) {
            pieces << Piece{trace[i].aim, double(to - from)};
            total += to - from;
        }
    }
    if (total <= 0) {
        // No time covered: the instant of the shot, where its last sample
        // (at or before the shot) stands.
        QPointF aim = trace.first().aim;
        for (const TraceSample &s : trace)
            if (s.ms <= 0)
                aim = s.aim;
        pieces = {Piece{aim, 1}};
        total = 1;
    } else {
        h.spanMs = int(total);
    }

    QPointF centre;
    for (const Piece &p : std::as_const(pieces)) {
        const double r = distance(p.aim);
        h.inTen += r <= ten ? p.ms : 0;
        h.inNine += r <= nine ? p.ms : 0;
        centre += p.aim * p.ms;
    }
    h.inTen /= total;
    h.inNine /= total;
    h.centre = centre / total;
    for (const Piece &p : std::as_const(pieces))
        h.holdRadius += distance(p.aim - h.centre) * p.ms;
    h.holdRadius /= total;
    h.holdRadiusRings = h.holdRadius / target.RingWidth();
    return h;
}

SeriesSteadiness MeanSteadiness(const QList<HoldSteadiness> &shots)
{
    SeriesSteadiness s;
    for (const HoldSteadiness &h : shots) {
        if (!h.measured)
            continue;
        ++s.measured;
        s.inTen += h.inTen;
        s.inNine += h.inNine;
        s.holdRadiusRings += h.holdRadiusRings;
    }
    if (s.measured > 0) {
        s.inTen /= s.measured;
        s.inNine /= s.measured;
        s.holdRadiusRings /= s.measured;
    }
    return s;
}

SeriesSteadiness MeasureSeriesHold(const QList<ShotRecord> &shots, const TargetGeometry &target)
{
    QList<HoldSteadiness> each;
    each.reserve(shots.size());
    for (const ShotRecord &s : shots)
        each << MeasureHold(s.trace, target);
    return MeanSteadiness(each);
}

int Percent(double share) { return int(std::lround(share * 100)); }

QString SharesText(double inTen, double inNine, bool measured)
{
    return measured ? QStringLiteral("%1/%2").arg(Percent(inTen)).arg(Percent(inNine)) : QStringLiteral("—");
}
QString SharesText(const HoldSteadiness &s) { return SharesText(s.inTen, s.inNine, s.measured); }
QString SharesText(const SeriesSteadiness &s) { return SharesText(s.inTen, s.inNine, s.measured > 0); }
QString HoldAreaText(const HoldSteadiness &s) { return s.measured ? Decimal(s.holdRadiusRings) : QStringLiteral("—"); }
QString HoldAreaText(const SeriesSteadiness &s)
{
    return s.measured > 0 ? Decimal(s.holdRadiusRings) : QStringLiteral("—");
}

QList<ZonedSegment> ZonedPath(const QList<TraceSample> &trace, const TargetGeometry &target, int fromMs)
{
    QList<ZonedSegment> path;
    const double radii[] = {target.RingRadius(10), target.RingRadius(9)};
    for (int i = 1; i < trace.size(); ++i) {
        TraceSample a = trace[i - 1];
        const TraceSample &b = trace[i];
        if (b.ms <= fromMs)
            continue;
        if (a.ms < fromMs && b.ms > a.ms) {
            // Where the aim stood at fromMs, between the samples about it.
            const double t = double(fromMs - a.ms) / double(b.ms - a.ms);
            a = TraceSample{fromMs, a.aim + (b.aim - a.aim) * t};
        }
        QList<double> cuts;
        for (const double r : radii)
            crossings(a.aim, b.aim, r, cuts);
        std::sort(cuts.begin(), cuts.end());
        cuts.prepend(0);
        cuts << 1;
        for (int c = 1; c < cuts.size(); ++c) {
            const double t0 = cuts[c - 1], t1 = cuts[c];
            if (t1 <= t0)
                continue;
            const QPointF p0 = t0 > 0 ? a.aim + (b.aim - a.aim) * t0 : a.aim;
            const QPointF p1 = t1 < 1 ? a.aim + (b.aim - a.aim) * t1 : b.aim;
            ZonedSegment s;
            s.from = p0;
            s.to = p1;
            s.fromMs = int(std::lround(a.ms + (b.ms - a.ms) * t0));
            s.toMs = int(std::lround(a.ms + (b.ms - a.ms) * t1));
            s.zone = ZoneOf((p0 + p1) / 2, target);
            path << s;
        }
    }
    return path;
}
