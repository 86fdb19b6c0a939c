#pragma once
// Spiral block reveal: 32 × 32 blocks of the incoming picture, one per frame,
// along a clockwise spiral from the top-left corner inwards.

#include "effects/EffectArg.h"

namespace tav {

class EffectHost;

struct SpiralBlockRevealArgs {};
void SpiralBlockReveal(EffectHost& h);

}  // namespace tav
