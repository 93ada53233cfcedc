#pragma once

#include <algorithm>
#include <vector>

// The middle of the measurements (the upper one of an even count): a
// benchmark's figure that one slow round does not move.
inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
