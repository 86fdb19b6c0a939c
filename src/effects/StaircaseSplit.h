#pragma once
// Staircase splits: every strip of the area is split in two at a point that
// moves by one strip size from strip to strip; the parts of the outgoing
// strips slide apart and the parts of the incoming strips slide in.

#include "effects/EffectArg.h"

namespace tav {

class EffectHost;

struct StaircaseSplitArgs {
    EffectArg axis;  // 1: columns split vertically; 2: rows split horizontally
    EffectArg strips;
};
// The outgoing parts leave first, then the incoming parts enter.
void StaircaseSplit(EffectHost& h, const StaircaseSplitArgs& a);

struct StaircaseSplitCrossArgs {
    EffectArg axis;  // as for StaircaseSplit
    EffectArg strips;
};
// As StaircaseSplit, with the outgoing parts leaving while the incoming parts
// enter over them, in the same frames.
void StaircaseSplitCross(EffectHost& h, const StaircaseSplitCrossArgs& a);

}  // namespace tav
