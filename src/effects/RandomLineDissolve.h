#pragma once
// Random line dissolve: the incoming picture appears one single-pixel line at a
// time, the lines taken in a shuffled order.

#include <cstdint>

namespace tav {

class EffectHost;

// `orientation` 1 draws columns; any other value draws rows.
void RandomLineDissolve(EffectHost& h, std::int16_t orientation);

}  // namespace tav
