#pragma once

#include <QImage>

// The three two-colour pictures of the correct sight picture shown in the
// main window's lower left corner (black on white, one bit per pixel).
QImage ExamplePlate(); // 151 x 110: the rear-sight plate with its notch
QImage ExamplePost();  //  41 x 80:  the front-sight post
QImage ExampleBull();  //  33 x 33:  the bull, a black disc
