#pragma once
// Overlay pass and wipe: the incoming picture slides over the outgoing one,
// combined with it by a bitwise OR; after a pause a plain wipe uncovers the
// incoming picture.

#include "effects/EffectArg.h"

namespace tav {

class EffectHost;

struct OverlayFlashWipeArgs {
    // 1: the overlay stops once it has crossed the area and stays on screen for
    // the pause; 2: it slides on until it has left the area.
    EffectArg mode;
    // 1: the overlay enters from the right, the wipe runs from the left;
    // 2: the overlay rises from the bottom, the wipe runs from the top.
    EffectArg axis;
};
void OverlayFlashWipe(EffectHost& h, const OverlayFlashWipeArgs& a);

}  // namespace tav
