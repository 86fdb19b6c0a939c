// COLORREF values to and from Qt's colours, for the code that draws with Qt or
// shows a colour in a widget; the rest of the program needs only base/Colour.h.
#pragma once

#include <QColor>

#include "base/Colour.h"

namespace tav {

// The top byte of a COLORREF is ignored; the colour is opaque.
inline QColor ColorFromColorref(Colorref c) { return QColor::fromRgb(ColorrefToPixel(c)); }
inline Colorref ColorrefFromColor(const QColor& colour) { return PixelToColorref(colour.rgb() & 0xFFFFFFu); }

}  // namespace tav
