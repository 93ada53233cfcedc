#include "ui/look.h"

#include <QStyle>
#include <QStyleFactory>
#include <QWidget>

#include <memory>

QPalette LightPalette()
{
    // Fusion's own palette is the light one, the same on every desktop: the
    // colours the windows show where no theme is set.
    static const QPalette light = [] {
        const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
        return fusion ? fusion->standardPalette() : QPalette(Qt::lightGray);
    }();
    return light;
}

void UseLightLook(QWidget *window) { window->setPalette(LightPalette()); }
