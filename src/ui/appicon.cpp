#include "ui/appicon.h"

#include <QPixmap>

QImage AppIconImage()
{
    QImage icon(32, 32, QImage::Format_Indexed8);
    icon.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    icon.fill(1);
    auto black = [&icon](int left, int top, int right, int bottom) {
        for (int y = top; y <= bottom; ++y)
            for (int x = left; x <= right; ++x)
                icon.setPixel(x, y, 0);
    };
    black(1, 16, 30, 30);   // the rear-sight plate across the lower half
    for (int y = 16; y <= 23; ++y)
        for (int x = 11; x <= 20; ++x)
            icon.setPixel(x, y, 1); // its notch, open at the top
    black(14, 16, 17, 30);  // the front-sight post, level with the plate's top
    // The bull resting just above the post: a disc 8 pixels across.
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const double dx = x - 3.5, dy = y - 3.5;
            if (dx * dx + dy * dy <= 16.0)
                icon.setPixel(12 + x, 6 + y, 0);
        }
    return icon;
}

QIcon AppIcon() { return QIcon(QPixmap::fromImage(AppIconImage())); }
