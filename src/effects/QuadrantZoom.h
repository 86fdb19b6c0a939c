#pragma once
// Zoom-out and zoom-in: the outgoing picture shrinks away over the incoming
// one, or the incoming picture grows out of nothing over the outgoing one, as
// a whole or quarter by quarter.

#include "effects/EffectArg.h"

namespace tav {

class EffectHost;

struct QuadrantZoomArgs {
    // 1: the whole picture, which shrinks towards the point (100, 100);
    // 2: each quarter towards its own centre.
    EffectArg shape;
    EffectArg direction;  // 1: the outgoing picture shrinks; 2: the incoming picture grows
};
void QuadrantZoom(EffectHost& h, const QuadrantZoomArgs& a);

}  // namespace tav
