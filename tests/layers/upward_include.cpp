// Built as a piece of the platform layer, which may see only itself and the
// layer below it: the first two includes are found, the third must not be.
#include "base/appdir.h"
#include "platform/profile.h"
#include "ui/frmMain.h"
