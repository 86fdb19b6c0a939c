// The records that create, select and delete the graphics objects.
#pragma once

#include "pictures/WmfRecords.h"

#include <cstdint>

namespace tav::wmf {

class Canvas;

Played PlayObjectRecord(Canvas& canvas, std::uint16_t f, const Params& p);

}  // namespace tav::wmf
