#include "ui/appicon.h"

#include <QPixmap>

#include <cmath>

namespace {

// The icon in the 32-unit square, one unit a pixel of the 32 x 32 icon: the
// rear-sight plate across the lower half with its notch open at the top, the
// front-sight post level with the plate's top, the bull resting just above
// the post. Rectangles by their edges (right and bottom exclusive), painted
// in order, then the bull.
struct IconRect {
    int left, top, right, bottom;
    bool black;
};
constexpr IconRect kIconRects[] = {
    {1, 16, 31, 31, true},   // the rear-sight plate
    {11, 16, 21, 24, false}, // its notch
    {14, 16, 18, 31, true},  // the front-sight post
};
constexpr double kBullX = 16, kBullY = 10, kBullRadius = 4;

} // namespace

QImage AppIconImage()
{
    QImage icon(32, 32, QImage::Format_Indexed8);
    icon.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    icon.fill(1);
    for (const IconRect &r : kIconRects)
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                icon.setPixel(x, y, r.black ? 0 : 1);
    // The bull: every pixel whose centre the disc covers.
    for (int y = int(kBullY - kBullRadius); y < int(kBullY + kBullRadius); ++y)
        for (int x = int(kBullX - kBullRadius); x < int(kBullX + kBullRadius); ++x) {
            const double dx = x + 0.5 - kBullX, dy = y + 0.5 - kBullY;
            if (dx * dx + dy * dy <= kBullRadius * kBullRadius)
                icon.setPixel(x, y, 0);
        }
    return icon;
}

QIcon AppIcon() { return QIcon(QPixmap::fromImage(AppIconImage())); }

QImage AppIconImageAt(int size)
{
    const int scale = qMax(1, size / 32);
    size = scale * 32;
    QImage icon(size, size, QImage::Format_Grayscale8);
    icon.fill(255);
    for (const IconRect &r : kIconRects)
        for (int y = r.top * scale; y < r.bottom * scale; ++y) {
            uchar *line = icon.scanLine(y);
            for (int x = r.left * scale; x < r.right * scale; ++x)
                line[x] = r.black ? 0 : 255;
        }
    // The bull's edge: each pixel darkened by the share of it the disc
    // covers, counted on a 16 x 16 grid of sample points.
    const int grid = 16;
    const double cx = kBullX * scale, cy = kBullY * scale, radius = kBullRadius * scale;
    for (int y = int(cy - radius) - 1; y <= int(cy + radius) + 1; ++y)
        for (int x = int(cx - radius) - 1; x <= int(cx + radius) + 1; ++x) {
            int inside = 0;
            for (int j = 0; j < grid; ++j)
                for (int i = 0; i < grid; ++i) {
                    const double dx = x + (i + 0.5) / grid - cx, dy = y + (j + 0.5) / grid - cy;
                    inside += dx * dx + dy * dy <= radius * radius;
                }
            uchar &pixel = icon.scanLine(y)[x];
            pixel = uchar(std::lround(pixel * (1.0 - double(inside) / (grid * grid))));
        }
    return icon;
}

QString AppIconSvg()
{
    QString svg = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" viewBox=\"0 0 32 32\">\n"
        "  <rect x=\"0\" y=\"0\" width=\"32\" height=\"32\" fill=\"#ffffff\" shape-rendering=\"crispEdges\"/>\n");
    for (const IconRect &r : kIconRects)
        svg += QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" fill=\"%5\""
                              " shape-rendering=\"crispEdges\"/>\n")
                   .arg(r.left)
                   .arg(r.top)
                   .arg(r.right - r.left)
                   .arg(r.bottom - r.top)
                   .arg(r.black ? QStringLiteral("#000000") : QStringLiteral("#ffffff"));
    svg += QStringLiteral("  <circle cx=\"%1\" cy=\"%2\" r=\"%3\" fill=\"#000000\"/>\n</svg>\n")
               .arg(kBullX)
               .arg(kBullY)
               .arg(kBullRadius);
    return svg;
}
