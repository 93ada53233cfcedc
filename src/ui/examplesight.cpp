#include "ui/examplesight.h"

namespace {

// A one-bit picture: index 0 black, index 1 white.
QImage monoPicture(int width, int height, bool black)
{
    QImage image(width, height, QImage::Format_Mono);
    image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    image.fill(black ? 0 : 1);
    return image;
}

void paintRun(QImage &image, int row, int first, int last, uint index)
{
    for (int x = first; x <= last; ++x)
        image.setPixel(x, row, index);
}

} // namespace

QImage ExamplePlate()
{
    QImage plate = monoPicture(151, 110, true);
    // The notch: 69 pixels wide, 49 deep, its bottom corners rounded.
    struct Rows { int first, last, left, right; };
    const Rows notch[] = {
        {0, 42, 41, 109}, {43, 44, 42, 108}, {45, 46, 43, 107}, {47, 47, 44, 106}, {48, 48, 46, 104},
    };
    for (const Rows &r : notch)
        for (int row = r.first; row <= r.last; ++row)
            paintRun(plate, row, r.left, r.right, 1);
    return plate;
}

QImage ExamplePost() { return monoPicture(41, 80, true); }

QImage ExampleBull()
{
    QImage bull = monoPicture(33, 33, false);
    const int widths[17] = {7, 13, 17, 19, 23, 25, 25, 27, 29, 29, 31, 31, 31, 33, 33, 33, 33};
    for (int row = 0; row < 33; ++row) {
        const int w = widths[row <= 16 ? row : 32 - row];
        const int first = (33 - w) / 2;
        paintRun(bull, row, first, first + w - 1, 0);
    }
    return bull;
}
