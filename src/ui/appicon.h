#pragma once

#include <QIcon>
#include <QImage>

// The program's icon: the correct sight picture in miniature, black on white,
// 32 x 32 with no transparent pixels.
QImage AppIconImage();
QIcon AppIcon();
