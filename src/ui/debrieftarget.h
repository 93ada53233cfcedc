#pragma once

#include "analysis/debrief.h"

#include <QWidget>

class QPainter;

// The target of the debrief, drawn from the geometry that scores: the rings
// as vectors, so it is crisp at any size and screen scale. On it the holes
// numbered in firing order, the mean point of impact as a cross, the
// mean-radius circle and the extreme spread as a line; the previous finished
// series, if any, faint beneath.
class TDebriefTarget : public QWidget
{
    Q_OBJECT
public:
    explicit TDebriefTarget(QWidget *parent = nullptr);

    struct Series {
        TargetGeometry target;
        QList<ShotRecord> shots;
        SeriesFigures figures;
    };
    void Show(const Series &current, const Series &previous);
    // The aim's path before one shot, drawn over the target coloured by time
    // (its last 0.2 s in red) as far as `upToMs` (<= 0): a replay moves it on.
    void ShowTrace(const QList<TraceSample> &trace, int upToMs = 0);
    const QList<TraceSample> &Trace() const { return FTrace; }
    const Series &Current() const { return FCurrent; }
    const Series &Previous() const { return FPrevious; }

    // Where a point of the target (pixels from its centre) is drawn.
    QPointF ToWidget(QPointF targetPoint) const;
    // Pixels of the widget for one pixel of the target.
    double Scale() const;

    QSize sizeHint() const override { return QSize(360, 360); }
    QSize minimumSizeHint() const override { return QSize(160, 160); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Series FCurrent;
    Series FPrevious;
    QList<TraceSample> FTrace;
    int FTraceUpTo = 0;
};

// Where the target of a series lands in an area: its centre in the middle,
// zoomed so that the group is seen close and no hole falls off the picture.
struct DebriefTargetMapping {
    QPointF centre;
    double scale = 1; // units of the area for one pixel of the target

    QPointF Map(QPointF targetPoint) const { return centre + targetPoint * scale; }
};
DebriefTargetMapping MapDebriefTarget(const QRectF &area, const TDebriefTarget::Series &current,
                                      const TDebriefTarget::Series &previous);

// The debrief's target painted into an area of any device: the widget's
// picture, and the printed one alike. Sizes of lines, dots and numbers are in
// the painter's units taken as screen pixels, so scale the painter to print
// at a given size. Returns the mapping it painted with.
DebriefTargetMapping PaintDebriefTarget(QPainter &painter, const QRectF &area, const TDebriefTarget::Series &current,
                                        const TDebriefTarget::Series &previous, const QFont &font);
