#pragma once

#include "analysis/debrief.h"
#include "analysis/steadiness.h"

#include <QFont>
#include <QRectF>

class QPainter;

// A series as its target shows it: the target's scoring geometry, the shots
// in firing order and their figures.
struct TargetPicture {
    TargetGeometry target;
    QList<ShotRecord> shots;
    SeriesFigures figures;
};

// Where the target of a series lands in an area: its centre in the middle,
// zoomed so that the group is seen close and no hole falls off the picture.
struct DebriefTargetMapping {
    QPointF centre;
    double scale = 1; // units of the area for one pixel of the target

    QPointF Map(QPointF targetPoint) const { return centre + targetPoint * scale; }
};
DebriefTargetMapping MapDebriefTarget(const QRectF &area, const TargetPicture &current,
                                      const TargetPicture &previous);

// Where the numbers of the holes go: each beside its hole, up right of it
// where there is room, else in another direction or farther out, so that no
// number covers another, a hole, or the area to keep clear (the mean point's
// cross); a crowded number may stand off, joined to its hole by a line.
QList<QRectF> PlaceHoleLabels(const QList<QPointF> &holes, double holeRadius, const QList<QSizeF> &sizes,
                              const QRectF &keepClear = QRectF());

// The debrief's target painted into an area of any device: the widget's
// picture, and the printed one alike. Sizes of lines, dots and numbers are in
// the painter's units taken as screen pixels, so scale the painter to print
// at a given size. Returns the mapping it painted with. With shadeZones the
// 10 and the 9 are tinted faintly in their zones' colours, beneath the holes:
// where an aim trace drawn over the target ought to stay.
DebriefTargetMapping PaintDebriefTarget(QPainter &painter, const QRectF &area, const TargetPicture &current,
                                        const TargetPicture &previous, const QFont &font, bool shadeZones = false);

// The colour of an aim trace in a zone (the 10 green, the 9 yellow, outside
// them orange), and the faint tint of the zone itself.
QColor AimZoneColour(AimZone zone);
QColor AimZoneTint(AimZone zone);
