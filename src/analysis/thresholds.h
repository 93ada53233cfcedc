#pragma once

// Where the series debrief draws its lines, all in one place.
//
// Distances are in ring widths. A ring width is 2f, the width of each of the
// rings 8 to 1, where f = (target width / 2) / (21 - 2 x black-circle value)
// is the radius of the 10 (the 9 is f wide).
namespace Thresholds {

// A group is tight when its mean radius and its extreme spread are both
// within these: only then is a sight correction advised (a loose group moves
// its centre by chance). The program has this one definition; an exercise's
// stricter norm is a norm, not tightness.
constexpr double kTightGroup = 1.5;
constexpr double kTightSpread = 4.0;

// A flyer: a shot farther from the mean point of the others than this many
// times their mean radius, at least kFlyerLeast ring widths from it, and
// standing alone: kFlyerAlone times as far as the farthest of the group left
// without the flyers. It is named, and the group is judged without it. A
// group needs at least kShotsForFlyer shots to have one, and has at most one
// in every five; a group whose outliers do not stand alone is loose, and has
// none.
constexpr double kFlyerRatio = 2.5;
constexpr double kFlyerLeast = 2.0;
constexpr double kFlyerAlone = 2.0;
constexpr int kShotsForFlyer = 4;

// At least this many holes before any correction is advised.
constexpr int kShotsForCorrection = 3;

// One cause (the sight picture, or the hold) spreads the group when its own
// spread is at least this many times the other's; below, both do.
constexpr double kCauseRatio = 1.25;

// A mean error of the sight picture beyond this, along either axis, is named:
// "the front sight stands higher than the notch's edges more often".
constexpr double kAlignmentBias = 0.5;

// A sight picture that varies more than this along one axis (the mean
// distance from its own mean) is named as that axis's unsteadiness.
constexpr double kAlignmentUnsteady = 0.5;

// "In the centre": a point nearer to the centre than this has no direction,
// and a mean point of impact this near needs no correction. The figures and
// the advice both use it. Offsets beyond it that the sight cannot take
// (sideways: it has no windage; in height: past the bar's limit) are met by
// aiming off.
constexpr double kOnCentre = 0.5;

// The elevation bar moves the point of impact this many pixels a division;
// half a division or less calls for no correction.
constexpr int kPixelsPerDivision = 5;

// «Кучность»: the norm a group must meet, in ring widths.
constexpr double kGroupingMeanRadius = 1.0;
constexpr double kGroupingSpread = 3.0;

// «Приведение к нормальному бою» is done when a tight group's mean point of
// impact lies within this many ring widths of the centre.
constexpr double kZeroedWithin = 1.0;

// «Объявление пробоины»: a call within this many ring widths of its hole is good.
constexpr double kCallWithin = 1.0;

} // namespace Thresholds
