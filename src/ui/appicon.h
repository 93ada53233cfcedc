#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

// The program's icon: the correct sight picture in miniature, black on white,
// 32 x 32 with no transparent pixels.
QImage AppIconImage();
QIcon AppIcon();

// The same picture for desktops that show it larger: the 32 x 32 geometry
// scaled by size / 32 (size a multiple of 32), the plate and the post on
// whole pixels, the bull's edge antialiased. Still white, never transparent.
QImage AppIconImageAt(int size);
// The same geometry as an SVG document (a 32 x 32 view box).
QString AppIconSvg();
