#pragma once
// Tile shrink and grow: the area is cut into an N x N grid; in each cell the
// outgoing tile shrinks to the cell centre, then the incoming tile grows out of
// it. All cells at once, or two or four random cells at a time.

#include "effects/EffectArg.h"

namespace tav {

class EffectHost;

struct TileShrinkAllArgs {
    // 1 fills the whole area with the background colour before every shrink
    // frame; any other value leaves the earlier, larger copies in place.
    EffectArg clear;
    EffectArg cells;  // the grid is cells × cells
};
void TileShrinkAll(EffectHost& h, const TileShrinkAllArgs& a);

// Two (pairs) or four (quads) random cells per round until every cell is done;
// clear = 1 fills the round's cells with the background colour before every
// shrink frame.
struct TileShrinkRandomPairsArgs {
    EffectArg clear;
    EffectArg cells;
};
void TileShrinkRandomPairs(EffectHost& h, const TileShrinkRandomPairsArgs& a);

struct TileShrinkRandomQuadsArgs {
    EffectArg clear;
    EffectArg cells;
};
void TileShrinkRandomQuads(EffectHost& h, const TileShrinkRandomQuadsArgs& a);

}  // namespace tav
