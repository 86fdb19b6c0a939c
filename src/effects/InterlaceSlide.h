#pragma once
// Interlaced strip slides: the outgoing picture leaves in strips whose
// neighbours move in opposite directions over the background colour, then the
// incoming picture arrives in strips from opposite edges.

#include <cstdint>

namespace tav {

class EffectHost;

// `n` strips across the area. Pattern 1: rows leave sideways, columns arrive
// from the top and bottom; pattern 2: the axes exchanged; pattern 3: rows and
// columns move at once.
void StripInterlaceSlide(EffectHost& h, std::int16_t pattern, std::int16_t n);

// The same with strips one pixel thick: every row or every column.
void LineInterlaceSlide(EffectHost& h, std::int16_t pattern);

}  // namespace tav
