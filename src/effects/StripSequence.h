#pragma once
// Strip transitions: the area is cut into equal strips, and either every strip
// is squeezed from the outgoing to the incoming picture at once, or the strips
// slide out and back in one after the other.

#include <cstdint>

namespace tav {

class EffectHost;

// mode 1: in every strip the incoming picture enters at the strip's far edge
// (right or bottom) and squeezes the outgoing one towards the near edge.
// mode 2: the two halves of the area move in opposite directions.
// axis 1: vertical strips moving horizontally; axis 2: horizontal strips
// moving vertically. `strips` is the number of strips.
void StripSequenceWipe(EffectHost& h, std::int16_t mode, std::int16_t axis, std::int16_t strips);

// axis 1: horizontal strips slide up out of view, last strip first, then the
// new strips come down, first strip first; axis 2: the same with vertical
// strips moving to the left and coming in from the left.
void StripSlideSequence(EffectHost& h, std::int16_t axis, std::int16_t strips);

}  // namespace tav
