#pragma once

// The steadiness of the hold: where the aim point stood in the last second
// before a shot, read from its aim trace, as club trainers give it.
//
// The rule. The trace is a step function: from each sample until the next
// one (the last one until the shot, at 0 ms) the aim stands where that sample
// put it. The second measured runs from -1000 ms to the shot; where the aim
// stood as it began is the last sample at or before -1000 ms. A trace with no
// sample at or before -1000 ms is measured from its first sample on, and its
// shares are of that shorter time. A trace that covers no time at all (its
// samples all at the shot) is measured at that instant: the shares are 0 or
// 100%, the hold area 0. A shot with no trace has no figures.
//
//   - in the 10, in the 9: the share of the time measured with the aim
//     point's distance from the target's centre within RingRadius(10), and
//     within RingRadius(9) (the 10 included, so the 9's share is never less);
//   - the hold area: the time-weighted mean distance of the aim point from
//     its own time-weighted mean position over the same time, in pixels and
//     in ring widths (RingWidth()).

#include "analysis/debrief.h"

#include <QList>
#include <QPointF>

// The second before the shot that the figures measure.
constexpr int kSteadinessSpanMs = 1000;

struct HoldSteadiness {
    bool measured = false;   // false: no trace, no figures («—»)
    int spanMs = 0;          // the time measured: 1000, less for a trace that begins later
    double inTen = 0;        // share of it, 0 to 1, with the aim inside the 10
    double inNine = 0;       // inside the 9, the 10 included
    QPointF centre;          // the aim's mean position over it
    double holdRadius = 0;   // pixels: the aim's mean distance from centre
    double holdRadiusRings = 0;
};

HoldSteadiness MeasureHold(const QList<TraceSample> &trace, const TargetGeometry &target);

// A series' steadiness: the means over its shots that have a trace.
struct SeriesSteadiness {
    int measured = 0;        // shots with a trace; 0: no figures
    double inTen = 0;
    double inNine = 0;
    double holdRadiusRings = 0;
};

SeriesSteadiness MeanSteadiness(const QList<HoldSteadiness> &shots);
SeriesSteadiness MeasureSeriesHold(const QList<ShotRecord> &shots, const TargetGeometry &target);

// As the debrief's table and the journal show them: "60/85" (percent in the
// 10 and in the 9, rounded), "0,8" (ring widths); «—» with no figures.
QString SharesText(double inTen, double inNine, bool measured = true);
QString SharesText(const HoldSteadiness &s);
QString SharesText(const SeriesSteadiness &s);
QString HoldAreaText(const HoldSteadiness &s);
QString HoldAreaText(const SeriesSteadiness &s);
// A share as a whole percent: 0.6 is 60.
int Percent(double share);

// Where a trace's path lies, for drawing it: the straight lines between its
// samples from `fromMs` on (where the aim stood then, between the samples
// about it), cut where they cross the lines of the 10 and the 9, each piece
// with the zone it lies in.
enum class AimZone { Ten, Nine, Outside };
struct ZonedSegment {
    QPointF from, to;
    int fromMs = 0, toMs = 0; // times at its ends (between samples: in proportion)
    AimZone zone = AimZone::Outside;
};
QList<ZonedSegment> ZonedPath(const QList<TraceSample> &trace, const TargetGeometry &target, int fromMs);
AimZone ZoneOf(QPointF aim, const TargetGeometry &target);
