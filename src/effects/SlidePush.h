#pragma once
// Slide and push: whole pictures move across the area by the speed per frame.
// Both routines keep their position in EffectFrame and run until EffectDone.

#include <cstdint>

namespace tav {

class EffectHost;

// `direction`: 1 enter from the right, 2 from the left, 3 from the bottom,
// 4 from the top. `mode` 1 covers the outgoing picture; any other value pushes
// it out by the same distance.
void SlideEntry(EffectHost& h, std::int16_t direction, std::int16_t mode);

// The incoming picture slides in horizontally while a second copy of it, ORed
// on, moves in vertically. `side` 1: from the right and the bottom (stretched),
// otherwise from the left and the top. `push` 2 pushes the outgoing picture out
// both ways, otherwise it stays. `alternate` 1 keeps the drawing order of the
// two copies; otherwise it swaps every other frame.
void SlideCross(EffectHost& h, std::int16_t side, std::int16_t push, std::int16_t alternate);

}  // namespace tav
