#pragma once
// Slide and push: whole pictures move across the area by the speed per frame.
// Both routines keep their position in EffectFrame and run until EffectDone.

#include "effects/EffectArg.h"

namespace tav {

class EffectHost;

struct SlideEntryArgs {
    EffectArg direction;  // 1 enter from the right, 2 from the left, 3 from the bottom, 4 from the top
    // 1 covers the outgoing picture; any other value pushes it out by the same
    // distance.
    EffectArg mode;
};
void SlideEntry(EffectHost& h, const SlideEntryArgs& a);

struct SlideCrossArgs {
    // 1: from the right and the bottom (stretched), otherwise from the left and
    // the top.
    EffectArg side;
    EffectArg push;  // 2 pushes the outgoing picture out both ways, otherwise it stays
    // 1 keeps the drawing order of the two copies; otherwise it swaps every
    // other frame.
    EffectArg alternate;
};
// The incoming picture slides in horizontally while a second copy of it, ORed
// on, moves in vertically.
void SlideCross(EffectHost& h, const SlideCrossArgs& a);

}  // namespace tav
