#pragma once
// Comb wipes: the incoming picture is uncovered in place through interleaved
// strips, even strips from one side and odd strips from the other, so that
// the two combs meet.

#include <cstdint>

#include "effects/EffectHost.h"

namespace tav {

// axis 1: N columns, even ones revealed from the top, odd ones from the
// bottom; axis 2: N rows, even ones from the left, odd ones from the right.
void CombWipe(EffectHost& h, std::int16_t axis, std::int16_t n);

// N rows and N columns at once.
void CombWipeCross(EffectHost& h, std::int16_t n);

// An inverted band sweeps in from the right (axis 1) or the bottom (axis 2),
// the whole outgoing picture turns negative, then a comb of N columns (rows)
// reveals the incoming picture over the negative.
void InvertFlashWipe(EffectHost& h, std::int16_t axis, std::int16_t n);

}  // namespace tav
