#pragma once
// Reveals through a drawn mask, and a column sweep with a smeared band.

#include "effects/EffectArg.h"

namespace tav {

class EffectHost;

struct ShapeMaskRevealArgs {
    // 1 rays from the centre swept clockwise round the border, 2 a circle
    // growing from the centre, 3 a fan from the top-left corner, 4 two
    // triangles closing along the main diagonal, 5 lines running out from the
    // anti-diagonal to two corners.
    EffectArg shape;
    EffectArg perStep;  // lines or circles drawn per frame
};
// Reveals the incoming picture wherever white lines or filled circles have been
// drawn on a mask.
void ShapeMaskReveal(EffectHost& h, const ShapeMaskRevealArgs& a);

struct ColumnSmearSweepArgs {};
// Places the incoming picture column by column from the left, sliding each
// column 50 pixels leftwards into place; it draws straight to the window.
void ColumnSmearSweep(EffectHost& h);

}  // namespace tav
