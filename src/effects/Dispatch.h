#pragma once
#include "effects/EffectHost.h"

namespace tav {

// Runs the effect selected by host.EffectNumber to completion and presents the
// last frame. A number outside 1 ... 143 draws nothing and still presents once.
void RunTransition(EffectHost& host);

}  // namespace tav
