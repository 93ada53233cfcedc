#pragma once

// The series debrief's arithmetic: where the group is, how tight it is, what
// sent each shot where it went, and what a coach would say about it. Plain
// data in, plain data out. Pixels, x to the right and y downwards, measured
// from the target's centre.

#include "base/rings.h"
#include "base/tracesample.h"

#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>

// One shot with its causes: hole = hold + alignment + correction (+ a gun's
// hidden error, in the zeroing exercise, which counts with the hold).
struct ShotRecord {
    ShotRecord() = default;
    ShotRecord(QPointF hole, QPointF hold, QPointF alignment, QPointF correction, int score = 0)
        : hole(hole), hold(hold), alignment(alignment), correction(correction), score(score) {}

    QPointF hole;       // where it went
    QPointF hold;       // where the rear sight's notch pointed (the gun's hold)
    QPointF alignment;  // the front sight's offset in the notch, three times over
    QPointF correction; // the elevation correction: (0, -correction)
    int score = 0;
    int sincePreviousMs = -1;  // since the shot before it; -1 for the first
    QList<TraceSample> trace;  // the aim's path over the last two seconds
    bool called = false;       // calling the shot: where the shooter said it went
    QPointF call;
    int sinceStartMs = -1;     // a timed series: since its clock started; -1 for none
    bool late = false;         // a timed series: fired after its time, so it counts 0 (see TimedRule)
};

// The target the shots went at: what scoring uses.
struct TargetGeometry {
    int width = 97;            // of the target picture
    int blackCircleValue = 3;
    int markRadius = 1;        // of a hole

    // f. A picture of no width (an empty file) or a black-circle value
    // being typed beyond 0 to 10 still gives rings that can be drawn.
    double TenRadius() const
    {
        const int black = blackCircleValue < 0 ? 0 : blackCircleValue > 10 ? 10 : blackCircleValue;
        return TenRingRadius(width > 0 ? width : 1, black);
    }
    double RingWidth() const { return 2 * TenRadius(); }
    // The radius of the boundary inside which a hole's centre scores at
    // least score (10 to 1), before the hole's own radius.
    double RingRadius(int score) const;
};

// The elevation bar as it stands now: its position and range. The advice
// counts from where it stood for the series (its shots' corrections).
struct ElevationBar {
    int position = 6;
    int maximum = 10;
};

struct ShotFigures {
    int number = 0; // in firing order, from 1
    int score = 0;
    QPointF hole;
    QPointF alignment;
    QPointF holdAndCorrection; // the rest of the miss: hole - alignment
    bool flyer = false;        // far from the others: the group is judged without it
};

struct Advice {
    QStringList lines;       // what the coach says, in order
    QStringList sightHints;  // those of the lines that name the sight picture's faults
    int barDivisions = 0;    // > 0: raise the bar (hits go up), < 0: lower it, from the series' place
    int newBarPosition = -1; // where "apply" puts the bar; -1: nothing (left) to apply
    double aimOff = 0;       // pixels to aim left (< 0) or right (> 0)
    double aimUp = 0;        // pixels to aim higher (> 0) or lower (< 0): what the bar cannot make good
};

// The figures of a group are those of its shots less its flyers (see
// Thresholds::kFlyerRatio); `perShot` has every shot, its flyers marked.
struct SeriesFigures {
    int shots = 0;         // every shot, flyers included
    QList<int> flyers;     // their numbers, from 1, in firing order
    QStringList flyerWords; // each flyer named, with what sent it astray
    QPointF meanPoint;     // of impact
    double meanPointRings = 0;
    int meanPointHour = 0; // 1 to 12 on a clock face; 0: at the centre
    double meanRadius = 0; // pixels: the mean distance of the holes from meanPoint
    double meanRadiusRings = 0;
    double extremeSpread = 0; // pixels: the largest distance between two holes
    double extremeSpreadRings = 0;
    int spreadFrom = 0, spreadTo = 0; // the two holes that make it, numbered from 1
    QPointF meanAlignment;            // the share of the sight picture in the mean point
    QPointF meanHoldAndCorrection;    // and of the hold with the correction
    double alignmentSpread = 0;       // pixels: how much each cause varies from shot to shot
    double holdSpread = 0;
    bool tight = false;    // see Thresholds::kTightGroup
    QList<ShotFigures> perShot;
    Advice advice;
};

// Which of the two spreads a group: the one at least kCauseRatio times the
// other, or both.
enum class SpreadCause { Alignment, Hold, Both };
SpreadCause CauseOfSpread(const SeriesFigures &f);

// How far a called shot's call was from its hole, in ring widths; -1 for a
// shot not called.
double CallError(const ShotRecord &shot, double ringWidth);

SeriesFigures AnalyseSeries(const QList<ShotRecord> &shots, const TargetGeometry &target, const ElevationBar &bar);

// Whether a group of these figures (in ring widths) is tight.
bool IsTight(double meanRadiusRings, double extremeSpreadRings);

// The hour on a clock face (1 to 12, 12 up) of a direction; 0 for none.
int ClockHour(QPointF direction);
// "1,4 на 5 ч" style: a distance in ring widths and its hour; "в центре" near 0.
QString DistanceAndHour(QPointF offset, double ringWidth);
// Whether an offset is "in the centre" (Thresholds::kOnCentre).
bool OnCentre(QPointF offset, double ringWidth);
// "ниже на 14 пикс., левее на 3 пикс.": an offset in words, each direction
// named; "без смещения" for none.
QString OffsetInWords(QPointF offset);
// A number with a decimal comma and one decimal.
QString Decimal(double value);
// The verdict on a group's tightness: "группа кучная" or "группа не кучная".
QString GroupVerdict(bool tight);
// A count with its noun in the Russian form the number takes:
// CountOf(2, "серию", "серии", "серий") is "2 серии". The forms are
// translated in the context "CountOf": mark them with QT_TRANSLATE_NOOP.
QString CountOf(int n, const char *one, const char *few, const char *many);
