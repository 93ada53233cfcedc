#include "ui/placement.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

void PlaceFrameAt(QWidget *window, QPoint frameTopLeft)
{
    if (QGuiApplication::platformName() == QLatin1String("xcb") && window->windowHandle())
        window->windowHandle()->setPosition(frameTopLeft);
    else
        window->move(frameTopLeft);
}
