#pragma once
#include "effects/EffectHost.h"

namespace tav {

// Runs the effect selected by host.EffectNumber to completion and presents the
// last frame. A number outside 1 ... 143 draws nothing and still presents once.
void RunTransition(EffectHost& host);

// Marks the transition done and copies the whole incoming picture onto the
// display. It does not present: the caller does.
void ShowIncomingPicture(EffectHost& host);

// Ends a frame the way most effects do: presents the display, lets input run,
// then sleeps sleepMs. A sleep of 0 is left out, because even an empty sleep
// lets the host catch up on its deadline.
void EndFrame(EffectHost& host, int sleepMs);

}  // namespace tav
