#pragma once

// Where the series debrief draws its lines, all in one place.
//
// Distances are in ring widths. A ring width is 2f, the width of each of the
// rings 8 to 1, where f = (target width / 2) / (21 - 2 x black-circle value)
// is the radius of the 10 (the 9 is f wide).
namespace Thresholds {

// A group whose mean radius is at most this is tight: only then is a sight
// correction advised (a loose group moves its centre by chance).
constexpr double kTightGroup = 1.5;

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

// A mean point of impact nearer to the centre than this has no direction.
constexpr double kOnCentre = 0.25;

// Sideways offsets beyond this are to be met by aiming off (the sight has no
// windage).
constexpr double kAimOff = 0.5;

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
