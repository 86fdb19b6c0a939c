#pragma once
// Interlaced strip slides: the outgoing picture leaves in strips whose
// neighbours move in opposite directions over the background colour, then the
// incoming picture arrives in strips from opposite edges.

#include "effects/EffectArg.h"

namespace tav {

class EffectHost;

struct StripInterlaceSlideArgs {
    // 1: rows leave sideways, columns arrive from the top and bottom; 2: the
    // axes exchanged; 3: rows and columns move at once.
    EffectArg pattern;
    EffectArg strips;  // across the area
};
void StripInterlaceSlide(EffectHost& h, const StripInterlaceSlideArgs& a);

struct LineInterlaceSlideArgs {
    EffectArg pattern;  // as for the strips
};
// The same with strips one pixel thick: every row or every column.
void LineInterlaceSlide(EffectHost& h, const LineInterlaceSlideArgs& a);

}  // namespace tav
