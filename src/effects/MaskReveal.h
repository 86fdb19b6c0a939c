#pragma once
// Reveals through a drawn mask, and a column sweep with a smeared band.

#include <cstdint>

namespace tav {

class EffectHost;

// Reveals the incoming picture wherever white lines or filled circles have been
// drawn on a mask, `perStep` items per frame. Shapes: 1 rays from the centre
// swept clockwise round the border, 2 a circle growing from the centre, 3 a fan
// from the top-left corner, 4 two triangles closing along the main diagonal,
// 5 lines running out from the anti-diagonal to two corners.
void ShapeMaskReveal(EffectHost& h, std::int16_t shape, std::int16_t perStep);

// Places the incoming picture column by column from the left, sliding each
// column 50 pixels leftwards into place; it draws straight to the window.
void ColumnSmearSweep(EffectHost& h);

}  // namespace tav
