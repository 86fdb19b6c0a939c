#pragma once
// Overlay pass and wipe: the incoming picture slides over the outgoing one,
// combined with it by a bitwise OR; after a pause a plain wipe uncovers the
// incoming picture.

#include <cstdint>

namespace tav {

class EffectHost;

// mode 1: the overlay stops once it has crossed the area and stays on screen
// for the pause; mode 2: it slides on until it has left the area.
// axis 1: the overlay enters from the right, the wipe runs from the left;
// axis 2: the overlay rises from the bottom, the wipe runs from the top.
void OverlayFlashWipe(EffectHost& h, std::int16_t mode, std::int16_t axis);

}  // namespace tav
