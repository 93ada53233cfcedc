#pragma once

// The shooting scene as a lesson uses it: the target, which takes the shots
// and scores them, and the gun, whose sights send them. The lesson window
// hands in its own target and gun; a test builds a scene of its own. Points
// are in the scene's coordinates (the window's client area).

#include "analysis/debrief.h"

#include <QPoint>
#include <QPointF>

class Scene
{
public:
    virtual ~Scene() = default;

    // The target.
    virtual bool SeriesOpen() const = 0;         // it takes shots until the series is full
    virtual int Total() const = 0;               // the series' score, as the target sums it
    virtual TargetGeometry Geometry() const = 0; // what scoring uses now
    virtual int BlackCircleValue() const = 0;    // as entered, beyond 1 to 10 too
    virtual bool LargeTarget() const = 0;
    virtual QPoint Centre() const = 0;
    // A shot lands at p: its mark is placed and the shot scored; the score.
    virtual int Hit(QPoint p) = 0;
    // Shows or hides the mark of the series' shot (0 for the first).
    virtual void ShowMark(int shot, bool shown) = 0;

    // The gun: the parts that make its aim point.
    virtual QPoint Notch() const = 0;       // where the rear sight's notch points: the hold
    virtual QPointF Alignment() const = 0;  // the front sight's offset in the notch, as it moves the aim
    virtual int Correction() const = 0;     // pixels the elevation bar raises the aim by
    // The elevation bar, and setting it (its handler then sets the gun).
    virtual ElevationBar Bar() const = 0;
    virtual void SetBar(int position) = 0;
};
