#include "ui/debrieftarget.h"

#include <QPainter>

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
    const DebriefTargetMapping map = PaintDebriefTarget(painter, rect(), FCurrent, FPrevious, font());
    if (FTrace.size() < 2)
        return;
    // Older parts of the path pale blue, growing darker, its last 0.2 s red.
    painter.setRenderHint(QPainter::Antialiasing);
    const int first = FTrace.first().ms;
    for (int i = 1; i < FTrace.size() && FTrace[i].ms <= FTraceUpTo; ++i) {
        const TraceSample &a = FTrace[i - 1], &b = FTrace[i];
        QColor ink(230, 30, 30);
        if (b.ms < -200) {
            const double age = first < -200 ? double(b.ms - first) / double(-200 - first) : 1; // 0 oldest, 1 newest
            ink = QColor::fromRgbF(0.55 - 0.45 * age, 0.7 - 0.45 * age, 1.0 - 0.2 * age);
        }
        painter.setPen(QPen(ink, b.ms >= -200 ? 2.5 : 1.5, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(map.Map(a.aim), map.Map(b.aim));
    }
}
