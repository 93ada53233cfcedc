#include "analysis/targetpicture.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {
// The paper reaches a little beyond the 1.
constexpr double kMargin = 1.06;

using Series = TargetPicture;

void drawSeries(QPainter &painter, const DebriefTargetMapping &map, const Series &series, double ringScale,
                bool faint, const QFont &font)
{
    const SeriesFigures &f = series.figures;
    if (series.shots.isEmpty())
        return;
    const double scale = map.scale;
    auto at = [&](QPointF p) { return map.Map(p * ringScale); };
    const QColor ink = faint ? QColor(150, 150, 150, 150) : QColor(220, 30, 30);
    const QColor text = faint ? QColor(130, 130, 130, 170) : QColor(0, 90, 200);

    if (f.shots >= 2) {
        // The mean-radius circle and the extreme spread.
        QPen pen(ink, faint ? 1 : 1.5, Qt::DashLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        const double r = f.meanRadius * ringScale * scale;
        painter.drawEllipse(at(f.meanPoint), r, r);
        pen.setStyle(Qt::DotLine);
        painter.setPen(pen);
        painter.drawLine(at(series.shots[f.spreadFrom - 1].hole), at(series.shots[f.spreadTo - 1].hole));
    }

    // The holes: their true size, never smaller than a dot one can see.
    const double holeRadius = std::max(series.target.markRadius * ringScale * scale, 2.5);
    QFont number = font;
    number.setPixelSize(std::max(9, int(holeRadius * 2.6)));
    number.setBold(!faint);
    painter.setFont(number);
    for (int i = 0; i < series.shots.size(); ++i) {
        const QPointF p = at(series.shots[i].hole);
        painter.setPen(QPen(faint ? ink : Qt::white, 1));
        painter.setBrush(ink);
        painter.drawEllipse(p, holeRadius, holeRadius);
        // The number beside the hole, on a halo so it reads on black too.
        const QPointF label = p + QPointF(holeRadius + 2, -holeRadius - 2);
        QPainterPath path;
        path.addText(label, number, QString::number(i + 1));
        painter.setPen(QPen(QColor(255, 255, 255, faint ? 120 : 220), 3));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
        painter.setPen(Qt::NoPen);
        painter.setBrush(text);
        painter.drawPath(path);
    }

    // The mean point of impact: a cross.
    const QPointF mpi = at(f.meanPoint);
    const double arm = std::max(6.0, series.target.RingWidth() * ringScale * scale * 0.6);
    painter.setPen(QPen(faint ? ink : QColor(0, 160, 0), faint ? 1.5 : 2.5));
    painter.drawLine(mpi - QPointF(arm, 0), mpi + QPointF(arm, 0));
    painter.drawLine(mpi - QPointF(0, arm), mpi + QPointF(0, arm));
}

} // namespace

// The target as far out as the ring below the lowest score (down to the 1):
// a good group is seen close, and no shot ever falls off the picture. With no
// shot at all, the whole target.
DebriefTargetMapping MapDebriefTarget(const QRectF &area, const Series &current, const Series &previous)
{
    const TargetGeometry &t = current.target;
    int lowest = current.shots.isEmpty() && previous.shots.isEmpty() ? 1 : 8;
    for (const Series *series : {&current, &previous})
        for (const ShotRecord &s : series->shots)
            lowest = std::min(lowest, s.score);
    double outer = t.RingRadius(std::max(1, lowest - 1)) + t.markRadius;
    auto reach = [&outer](const Series &series, double ratio) {
        for (const ShotRecord &s : series.shots)
            outer = std::max(outer, std::hypot(s.hole.x(), s.hole.y()) * ratio + 4 * series.target.markRadius);
    };
    reach(current, 1.0);
    if (!previous.shots.isEmpty())
        reach(previous, t.RingWidth() / previous.target.RingWidth());
    return DebriefTargetMapping{area.center(), std::min(area.width(), area.height()) / (2 * outer * kMargin)};
}

DebriefTargetMapping PaintDebriefTarget(QPainter &painter, const QRectF &area, const Series &current,
                                        const Series &previous, const QFont &font)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(area, Qt::IntersectClip);
    painter.fillRect(area, Qt::white); // the paper

    const TargetGeometry &t = current.target;
    const DebriefTargetMapping map = MapDebriefTarget(area, current, previous);
    const double scale = map.scale;
    const QPointF centre = map.centre;

    // The black circle covers the rings from the black-circle value inwards.
    const int black = std::clamp(t.blackCircleValue, 1, 10);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    const double blackRadius = t.RingRadius(black) * scale;
    painter.drawEllipse(centre, blackRadius, blackRadius);

    // Ring lines: light on the black, dark on the paper; numbers along the
    // horizontal, to the right.
    QFont numbers = font;
    numbers.setPixelSize(std::max(8, int(t.RingWidth() * scale * 0.45)));
    painter.setFont(numbers);
    for (int score = 1; score <= 10; ++score) {
        const double r = t.RingRadius(score) * scale;
        // A ring inside the black circle has a light line and number.
        const QColor ink = score > black ? QColor(230, 230, 230) : QColor(40, 40, 40);
        painter.setPen(QPen(ink, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(centre, r, r);
        painter.setPen(score >= black ? QColor(230, 230, 230) : QColor(40, 40, 40));
        if (score < 9 && t.RingWidth() * scale >= 14) {
            // The ring's number in its middle, right of the centre.
            const double inner = t.RingRadius(score + 1) * scale;
            painter.drawText(QRectF(centre.x() + inner, centre.y() - numbers.pixelSize(), r - inner,
                                    2 * numbers.pixelSize()),
                             Qt::AlignCenter, QString::number(score));
        }
    }

    // The previous series scaled to this target's rings, so that its holes
    // stand in the rings they scored.
    if (!previous.shots.isEmpty()) {
        const double ratio = t.RingWidth() / previous.target.RingWidth();
        drawSeries(painter, map, previous, ratio, true, font);
    }
    drawSeries(painter, map, current, 1.0, false, font);
    painter.restore();
    return map;
}
