#pragma once
// Scattering tiles: the outgoing picture breaks into a grid of tiles that fly
// off the area in random directions, then the incoming tiles fly back along
// the reverse paths.

#include "effects/EffectArg.h"

namespace tav {

class EffectHost;

struct TileScatterArgs {
    // 1 horizontal moves, 2 vertical moves, 3 the four axis directions, 4 the
    // four diagonals.
    EffectArg pattern;
    EffectArg columns;  // tiles across
    EffectArg rows;     // tiles down
};
void TileScatter(EffectHost& h, const TileScatterArgs& a);

}  // namespace tav
