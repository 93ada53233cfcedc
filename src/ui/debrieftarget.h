#pragma once

#include "analysis/targetpicture.h"

#include <QWidget>

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

    using Series = TargetPicture;
    void Show(const Series &current, const Series &previous);
    // The aim's path before one shot, drawn over the target as far as
    // `upToMs` (<= 0): a replay moves it on. The second the steadiness
    // measures (analysis/steadiness.h) is coloured by the zone each piece of
    // the path lies in (the 10 green, the 9 yellow, outside orange), over the
    // 10 and the 9 tinted faintly; the second before it is coloured by time,
    // pale blue growing darker towards it. Time shows in the width too: the
    // older second thin, the last one bolder, its last 0.2 s boldest.
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
