#pragma once
// Strip transitions: the area is cut into equal strips, and either every strip
// is squeezed from the outgoing to the incoming picture at once, or the strips
// slide out and back in one after the other.

#include "effects/EffectArg.h"

namespace tav {

class EffectHost;

struct StripSequenceWipeArgs {
    // 1: in every strip the incoming picture enters at the strip's far edge
    // (right or bottom) and squeezes the outgoing one towards the near edge;
    // 2: the two halves of the area move in opposite directions.
    EffectArg mode;
    EffectArg axis;  // 1: vertical strips moving horizontally; 2: horizontal strips moving vertically
    EffectArg strips;
};
void StripSequenceWipe(EffectHost& h, const StripSequenceWipeArgs& a);

struct StripSlideSequenceArgs {
    // 1: horizontal strips slide up out of view, last strip first, then the new
    // strips come down, first strip first; 2: the same with vertical strips
    // moving to the left and coming in from the left.
    EffectArg axis;
    EffectArg strips;
};
void StripSlideSequence(EffectHost& h, const StripSlideSequenceArgs& a);

}  // namespace tav
