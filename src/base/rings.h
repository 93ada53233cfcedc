#pragma once

// The rings of a round target, from its picture's width and the value its
// black circle stands for: the 10 zone has the radius f = h / (21 - 2 x value)
// (h: half the width), the 9 ring is f wide, the 8 down to the 1 are 2f wide
// each. Scoring and the drawn targets take them from here.

inline double TenRingRadius(double width, int blackCircleValue) { return width / 2.0 / (21 - 2 * blackCircleValue); }

// The radius inside which a distance scores at least score (10 to 1).
inline double RingBoundary(double tenRadius, int score) { return score >= 10 ? tenRadius : 2 * (10 - score) * tenRadius; }
