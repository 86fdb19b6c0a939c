#pragma once
// Staircase splits: every strip of the area is split in two at a point that
// moves by one strip size from strip to strip; the parts of the outgoing
// strips slide apart and the parts of the incoming strips slide in.

#include <cstdint>

namespace tav {

class EffectHost;

// axis 1: `strips` columns split vertically; axis 2: `strips` rows split
// horizontally. The outgoing parts leave first, then the incoming parts enter.
void StaircaseSplit(EffectHost& h, std::int16_t axis, std::int16_t strips);

// As StaircaseSplit, with the outgoing parts leaving while the incoming parts
// enter over them, in the same frames.
void StaircaseSplitCross(EffectHost& h, std::int16_t axis, std::int16_t strips);

}  // namespace tav
