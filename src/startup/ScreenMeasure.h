// The size of the screen a slide show of area size 3 fills, measured once the
// program has started; storage receives it through SetScreenSizeFunction.
#pragma once

#include "storage/Settings.h"

namespace tav {

// Qt's primary screen in device pixels when a GUI application exists, else
// the X display, else 1024x768.
ScreenSize MeasureScreenNow();

}  // namespace tav
