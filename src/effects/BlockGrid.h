#pragma once
// Block grid fills: the incoming picture arrives cell by cell over a grid.

#include "effects/EffectArg.h"

namespace tav {

class EffectHost;

struct CheckerBlockFillArgs {
    EffectArg size;  // the side of a square block, in pixels
};
// Square blocks in four interleaved checkerboard passes, one block per frame.
void CheckerBlockFill(EffectHost& h, const CheckerBlockFillArgs& a);

struct BlockGridSweepArgs {
    // 1 row by row, 2 column by column, 3 row by row with each cell joined by
    // its mirror across the diagonal.
    EffectArg pattern;
    EffectArg cells;  // the grid is cells × cells
};
// Line by line every other cell is painted in the background colour, then
// those cells are filled, then the remaining ones.
void BlockGridSweep(EffectHost& h, const BlockGridSweepArgs& a);

}  // namespace tav
