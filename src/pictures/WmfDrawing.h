// The records that draw lines and shapes with the current pen and brush:
// lines, polylines, polygons, rectangles, ellipses, arcs, pies, chords and
// single pixels.
#pragma once

#include "pictures/WmfRecords.h"

#include <cstdint>

namespace tav::wmf {

class Canvas;

Played PlayDrawingRecord(Canvas& canvas, std::uint16_t f, const Params& p);

}  // namespace tav::wmf
