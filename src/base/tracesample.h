#pragma once

#include <QPointF>

// Where the sights pointed, some milliseconds before a shot (ms <= 0):
// pixels from the target's centre, as the aim trace, the debrief and the
// journal keep it.
struct TraceSample {
    int ms = 0;
    QPointF aim;
};
