#pragma once

// The shooting model: sprites, shot marks, the series, the target and the gun.
// It knows no window but the host widget it is given; it never calls back.

#include "model/controls.h"
#include "model/gun.h"
#include "model/roundtarget.h"
#include "model/sprites.h"
