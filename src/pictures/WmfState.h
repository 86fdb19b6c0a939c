// The records that set the device context: window and viewport mapping, the
// colours and modes later drawing uses, and saving and restoring the whole
// state.
#pragma once

#include "pictures/WmfRecords.h"

#include <cstdint>

namespace tav::wmf {

class Canvas;

Played PlayStateRecord(Canvas& canvas, std::uint16_t f, const Params& p);

}  // namespace tav::wmf
