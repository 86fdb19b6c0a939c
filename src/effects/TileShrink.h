#pragma once
// Tile shrink and grow: the area is cut into an N x N grid; in each cell the
// outgoing tile shrinks to the cell centre, then the incoming tile grows out of
// it. All cells at once, or two or four random cells at a time.

#include <cstdint>

namespace tav {

class EffectHost;

// clear = 1 fills the whole area with the background colour before every
// shrink frame; any other value leaves the earlier, larger copies in place.
void TileShrinkAll(EffectHost& h, std::int16_t clear, std::int16_t cells);

// Two (pairs) or four (quads) random cells per round until every cell is done;
// clear = 1 fills the round's cells with the background colour before every
// shrink frame.
void TileShrinkRandomPairs(EffectHost& h, std::int16_t clear, std::int16_t cells);
void TileShrinkRandomQuads(EffectHost& h, std::int16_t clear, std::int16_t cells);

}  // namespace tav
