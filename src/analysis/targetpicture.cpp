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
    const QPointF mpi = at(f.meanPoint);
    const double arm = std::max(6.0, series.target.RingWidth() * ringScale * scale * 0.6);
    QList<QPointF> holes;
    QList<QSizeF> sizes;
    const QFontMetricsF metrics(number);
    for (int i = 0; i < series.shots.size(); ++i) {
        holes << at(series.shots[i].hole);
        sizes << metrics.tightBoundingRect(QString::number(i + 1)).size() + QSizeF(2, 2);
    }
    const QList<QRectF> labels =
        PlaceHoleLabels(holes, holeRadius, sizes, faint ? QRectF() : QRectF(mpi - QPointF(arm, arm), mpi + QPointF(arm, arm)));
    // A number set off from a crowded hole is joined to it by a line, drawn
    // beneath the holes.
    for (int i = 0; i < holes.size(); ++i) {
        const QPointF p = holes[i];
        const QRectF label = labels[i];
        const QPointF nearest(std::clamp(p.x(), label.left(), label.right()), std::clamp(p.y(), label.top(), label.bottom()));
        const QPointF gap = nearest - p;
        if (std::hypot(gap.x(), gap.y()) > holeRadius + 4) {
            painter.setPen(QPen(text, 1));
            painter.drawLine(p, nearest);
        }
    }
    for (const QPointF &p : std::as_const(holes)) {
        painter.setPen(QPen(faint ? ink : Qt::white, 1));
        painter.setBrush(ink);
        painter.drawEllipse(p, holeRadius, holeRadius);
    }
    for (int i = 0; i < holes.size(); ++i) {
        const QRectF label = labels[i];
        // The number, on a halo so it reads on black too.
        QPainterPath path;
        const QRectF glyphs = metrics.tightBoundingRect(QString::number(i + 1));
        path.addText(label.center() - glyphs.center(), number, QString::number(i + 1));
        painter.setPen(QPen(QColor(255, 255, 255, faint ? 120 : 220), 3));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
        painter.setPen(Qt::NoPen);
        painter.setBrush(text);
        painter.drawPath(path);
    }

    // The mean point of impact: a cross.
    painter.setPen(QPen(faint ? ink : QColor(0, 160, 0), faint ? 1.5 : 2.5));
    painter.drawLine(mpi - QPointF(arm, 0), mpi + QPointF(arm, 0));
    painter.drawLine(mpi - QPointF(0, arm), mpi + QPointF(0, arm));
}

} // namespace

QList<QRectF> PlaceHoleLabels(const QList<QPointF> &holes, double holeRadius, const QList<QSizeF> &sizes,
                              const QRectF &keepClear)
{
    // Up right of the hole first, as a reader looks for it; then the other
    // seven directions; then the same again farther out, ring by ring.
    static const QPointF directions[] = {{1, -1}, {1, 0}, {1, 1}, {0, -1}, {0, 1}, {-1, -1}, {-1, 0}, {-1, 1}};
    QList<QRectF> placed;
    auto clear = [&](const QRectF &r) {
        for (const QRectF &other : std::as_const(placed))
            if (r.intersects(other))
                return false;
        for (const QPointF &h : holes) {
            const QPointF nearest(std::clamp(h.x(), r.left(), r.right()), std::clamp(h.y(), r.top(), r.bottom()));
            if (std::hypot(nearest.x() - h.x(), nearest.y() - h.y()) < holeRadius + 1)
                return false;
        }
        return keepClear.isNull() || !r.intersects(keepClear);
    };
    for (int i = 0; i < holes.size(); ++i) {
        const QSizeF size = i < sizes.size() ? sizes[i] : QSizeF(8, 10);
        auto at = [&](QPointF direction, double distance) {
            // The label's corner (or edge) that faces the hole, that far off.
            const QPointF corner = holes[i] + direction * distance;
            QRectF r(QPointF(), size);
            r.moveCenter(corner + QPointF(direction.x() * size.width() / 2, direction.y() * size.height() / 2));
            return r;
        };
        QRectF chosen = at(directions[0], holeRadius + 2);
        bool found = false;
        for (int ring = 0; ring < 8 && !found; ++ring) {
            const double distance = holeRadius + 2 + ring * size.height() * 0.8;
            for (const QPointF &direction : directions) {
                const QRectF r = at(direction, distance);
                if (clear(r)) {
                    chosen = r;
                    found = true;
                    break;
                }
            }
        }
        placed << chosen;
    }
    return placed;
}

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

QColor AimZoneColour(AimZone zone)
{
    switch (zone) {
    case AimZone::Ten: return QColor(40, 210, 80);
    case AimZone::Nine: return QColor(255, 205, 0);
    case AimZone::Outside: break;
    }
    return QColor(255, 120, 40);
}

QColor AimZoneTint(AimZone zone)
{
    QColor tint = AimZoneColour(zone);
    tint.setAlpha(zone == AimZone::Ten ? 80 : 60);
    return tint;
}

DebriefTargetMapping PaintDebriefTarget(QPainter &painter, const QRectF &area, const Series &current,
                                        const Series &previous, const QFont &font, bool shadeZones)
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
    if (shadeZones) {
        // The 9 as a ring, the 10 inside it.
        QPainterPath nine;
        nine.addEllipse(centre, t.RingRadius(9) * scale, t.RingRadius(9) * scale);
        nine.addEllipse(centre, t.RingRadius(10) * scale, t.RingRadius(10) * scale);
        painter.setBrush(AimZoneTint(AimZone::Nine));
        painter.drawPath(nine);
        painter.setBrush(AimZoneTint(AimZone::Ten));
        painter.drawEllipse(centre, t.RingRadius(10) * scale, t.RingRadius(10) * scale);
    }

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
