#pragma once
// Zoom-out and zoom-in: the outgoing picture shrinks away over the incoming
// one, or the incoming picture grows out of nothing over the outgoing one, as
// a whole or quarter by quarter.

#include <cstdint>

namespace tav {

class EffectHost;

// shape 1: the whole picture, which shrinks towards the point (100, 100);
// shape 2: each quarter towards its own centre.
// direction 1: the outgoing picture shrinks; 2: the incoming picture grows.
void QuadrantZoom(EffectHost& h, std::int16_t shape, std::int16_t direction);

}  // namespace tav
