#pragma once
// Block grid fills: the incoming picture arrives cell by cell over a grid.

#include <cstdint>

namespace tav {

class EffectHost;

// Square blocks of `size` pixels in four interleaved checkerboard passes, one
// block per frame.
void CheckerBlockFill(EffectHost& h, std::int16_t size);

// A grid of `cells` × `cells`; line by line every other cell is painted in the
// background colour, then those cells are filled, then the remaining ones.
// `pattern` 1 goes row by row, 2 column by column, 3 row by row with each cell
// joined by its mirror across the diagonal.
void BlockGridSweep(EffectHost& h, std::int16_t pattern, std::int16_t cells);

}  // namespace tav
