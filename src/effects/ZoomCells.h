#pragma once
// Two unrelated effects behind one argument: a zoom that bounces through
// nothing, and the cells of a 10 × 10 grid appearing in random order.

#include "effects/EffectArg.h"

namespace tav {

class EffectHost;

struct ZoomOrRandomCellsArgs {
    // 1: the incoming picture zooms out of the centre to 2.5 times the area,
    // shrinks to nothing over the background colour and grows back to full
    // size. Any other mode: the cells of a 10 × 10 grid of the incoming picture
    // appear one at a time in random order.
    EffectArg mode;
};
void ZoomOrRandomCells(EffectHost& h, const ZoomOrRandomCellsArgs& a);

}  // namespace tav
