#pragma once
// Cross strip squeeze: the outgoing picture, cut into vertical strips, collapses
// to the strips' centre lines while the incoming picture, cut into horizontal
// strips, grows out of theirs, over the background colour.

#include <cstdint>

namespace tav {

class EffectHost;

// mode 2 puts the outgoing strips on top; any other mode the incoming strips.
// strips is the number of strips of each picture.
void StripSqueeze(EffectHost& h, std::int16_t mode, std::int16_t strips);

}  // namespace tav
