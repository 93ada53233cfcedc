#include "ui/placement.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <algorithm>

void PlaceFrameAt(QWidget *window, QPoint frameTopLeft)
{
    if (QGuiApplication::platformName() == QLatin1String("xcb") && window->windowHandle())
        window->windowHandle()->setPosition(frameTopLeft);
    else
        window->move(frameTopLeft);
}

bool WindowsPlaceable() { return !QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

namespace {
// The debrief's room: what it is designed for, and the least it reads well in.
constexpr int kSideWidth = 560;
constexpr int kSideLeast = 420;
constexpr int kBelowHeight = 330;
constexpr int kBelowLeast = 220;
} // namespace

PanelPlace PlaceDebriefPanel(const QRect &available, const QSize &frame)
{
    const int right = available.width() - frame.width();
    const int below = available.height() - frame.height();
    const bool wide = available.width() >= available.height();
    if (right >= kSideLeast && (wide || below < kBelowLeast))
        return PanelPlace{false, std::min(right, kSideWidth)};
    if (below >= kBelowLeast)
        return PanelPlace{true, std::min(below, kBelowHeight)};
    // No side has the room it wants: the larger, at least the least.
    if (right > below)
        return PanelPlace{false, std::max(right, kSideLeast)};
    return PanelPlace{true, std::max(below, kBelowLeast)};
}

int DebriefPanelLeast(bool below) { return below ? kBelowLeast : kSideLeast; }

QPoint KeepWithin(const QRect &frame, const QRect &available)
{
    QPoint corner = frame.topLeft();
    corner.setX(std::min(corner.x(), available.right() + 1 - frame.width()));
    corner.setY(std::min(corner.y(), available.bottom() + 1 - frame.height()));
    corner.setX(std::max(corner.x(), available.left()));
    corner.setY(std::max(corner.y(), available.top()));
    return corner;
}
