#pragma once
// Scattering tiles: the outgoing picture breaks into a grid of tiles that fly
// off the area in random directions, then the incoming tiles fly back along
// the reverse paths.

#include <cstdint>

#include "effects/EffectHost.h"

namespace tav {

// pattern 1 = horizontal moves, 2 = vertical moves, 3 = the four axis
// directions, 4 = the four diagonals; a grid of `columns` × `rows` tiles.
void TileScatter(EffectHost& h, std::int16_t pattern, std::int16_t columns, std::int16_t rows);

}  // namespace tav
