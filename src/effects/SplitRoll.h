#pragma once
// Split roll: the outgoing picture scrolls off towards one edge with the
// incoming picture behind it; from mid-way two pieces of the incoming picture
// run together until they meet.

#include "effects/EffectArg.h"

namespace tav {

class EffectHost;

struct SplitRollArgs {
    EffectArg direction;  // 0 the outgoing picture moves up, 1 down, 2 left, 3 right
};
void SplitRoll(EffectHost& h, const SplitRollArgs& a);

}  // namespace tav
