#pragma once
// Comb wipes: the incoming picture is uncovered in place through interleaved
// strips, even strips from one side and odd strips from the other, so that
// the two combs meet.

#include "effects/EffectArg.h"

namespace tav {

class EffectHost;

struct CombWipeArgs {
    // 1: columns, even ones revealed from the top, odd ones from the bottom;
    // 2: rows, even ones from the left, odd ones from the right.
    EffectArg axis;
    EffectArg strips;
};
void CombWipe(EffectHost& h, const CombWipeArgs& a);

struct CombWipeCrossArgs {
    EffectArg strips;  // this many rows and as many columns at once
};
void CombWipeCross(EffectHost& h, const CombWipeCrossArgs& a);

struct InvertFlashWipeArgs {
    EffectArg axis;  // the band comes from the right (1) or the bottom (2)
    EffectArg strips;
};
// An inverted band sweeps in, the whole outgoing picture turns negative, then
// a comb of columns (rows) reveals the incoming picture over the negative.
void InvertFlashWipe(EffectHost& h, const InvertFlashWipeArgs& a);

}  // namespace tav
