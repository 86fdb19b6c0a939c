#pragma once
// Cross strip squeeze: the outgoing picture, cut into vertical strips, collapses
// to the strips' centre lines while the incoming picture, cut into horizontal
// strips, grows out of theirs, over the background colour.

#include "effects/EffectArg.h"

namespace tav {

class EffectHost;

struct StripSqueezeArgs {
    EffectArg mode;    // 2 puts the outgoing strips on top; any other mode the incoming strips
    EffectArg strips;  // of each picture
};
void StripSqueeze(EffectHost& h, const StripSqueezeArgs& a);

}  // namespace tav
