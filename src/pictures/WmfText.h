// The records that draw text in the selected font, and the reading of the
// byte strings that records and fonts carry.
#pragma once

#include "pictures/WmfRecords.h"

#include <QString>

#include <cstddef>
#include <cstdint>

namespace tav::wmf {

class Canvas;

// A string in the font's character set: Shift-JIS for SHIFTJIS_CHARSET, every
// other set read as Windows Latin-1.
QString DecodeText(const char* s, std::size_t len, int charset);

Played PlayTextRecord(Canvas& canvas, std::uint16_t f, const Params& p);

}  // namespace tav::wmf
