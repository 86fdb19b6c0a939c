#pragma once
// Random line dissolve: the incoming picture appears one single-pixel line at a
// time, the lines taken in a shuffled order.

#include "effects/EffectArg.h"

namespace tav {

class EffectHost;

struct RandomLineDissolveArgs {
    EffectArg orientation;  // 1 draws columns; any other value draws rows
};
void RandomLineDissolve(EffectHost& h, const RandomLineDissolveArgs& a);

}  // namespace tav
