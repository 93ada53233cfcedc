#include "ui/debrieftarget.h"

#include <QPainter>

#include <algorithm>

TDebriefTarget::TDebriefTarget(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TDebriefTarget::Show(const Series &current, const Series &previous)
{
    FCurrent = current;
    FPrevious = previous;
    update();
}

double TDebriefTarget::Scale() const { return MapDebriefTarget(rect(), FCurrent, FPrevious).scale; }

QPointF TDebriefTarget::ToWidget(QPointF targetPoint) const
{
    return MapDebriefTarget(rect(), FCurrent, FPrevious).Map(targetPoint);
}

void TDebriefTarget::ShowTrace(const QList<TraceSample> &trace, int upToMs)
{
    FTrace = trace;
    FTraceUpTo = upToMs;
    update();
}

void TDebriefTarget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const bool traced = FTrace.size() >= 2;
    const DebriefTargetMapping map = PaintDebriefTarget(painter, rect(), FCurrent, FPrevious, font(), traced);
    if (!traced)
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    // Before the last second: pale blue, growing darker (the part of the
    // line that reaches into the second ends where the second begins).
    const int from = -kSteadinessSpanMs;
    const int first = FTrace.first().ms;
    for (int i = 1; i < FTrace.size() && FTrace[i - 1].ms < from; ++i) {
        const TraceSample &a = FTrace[i - 1], &b = FTrace[i];
        const int endMs = std::min(b.ms, from);
        if (endMs > FTraceUpTo)
            break;
        const QPointF end = b.ms <= from ? b.aim : a.aim + (b.aim - a.aim) * (double(from - a.ms) / (b.ms - a.ms));
        const double age = first < from ? double(endMs - first) / double(from - first) : 1; // 0 oldest, 1 newest
        const QColor ink = QColor::fromRgbF(0.55 - 0.45 * age, 0.7 - 0.45 * age, 1.0 - 0.2 * age);
        painter.setPen(QPen(ink, 1.5, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(map.Map(a.aim), map.Map(end));
    }
    // The last second: by the zone it lies in.
    for (const ZonedSegment &s : ZonedPath(FTrace, FCurrent.target, from)) {
        if (s.toMs > FTraceUpTo)
            break;
        painter.setPen(QPen(AimZoneColour(s.zone), s.toMs >= -200 ? 3.0 : 2.0, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(map.Map(s.from), map.Map(s.to));
    }
}
