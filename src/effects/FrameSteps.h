#pragma once
// The steps most transition routines end their frames with.

#include "effects/EffectHost.h"

namespace tav {

// Marks the transition done and copies the whole incoming picture onto the
// display. It does not present: the caller does.
void ShowIncomingPicture(EffectHost& host);

// Ends a frame the way most effects do: presents the display, lets input run,
// then sleeps sleepMs. A sleep of 0 is left out, because even an empty sleep
// lets the host catch up on its deadline.
void EndFrame(EffectHost& host, int sleepMs);

// The close of one frame of an effect that moves `step` per frame until it has
// passed `limit`: counts the frame, shows the incoming picture once the count
// times `step` is past `limit`, and ends the frame with EndFrame(). A loop of
//   while (!h.EffectDone) { draw frame h.EffectFrame; StepFrame(...); }
// then ends on the incoming picture.
void StepFrame(EffectHost& host, long long step, double limit, int sleepMs);

}  // namespace tav
