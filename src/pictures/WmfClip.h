// The records that change the clip region. The region is kept in device
// pixels in the device context; the painter takes it over only when something
// is drawn (Canvas::applyClip).
#pragma once

#include "pictures/WmfRecords.h"

#include <cstdint>

namespace tav::wmf {

class Canvas;

Played PlayClipRecord(Canvas& canvas, std::uint16_t f, const Params& p);

}  // namespace tav::wmf
