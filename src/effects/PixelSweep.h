#pragma once
// Pixel line sweeps: the incoming picture is painted one pixel at a time, line
// by line, in interleaved orders, with the display presented after every line
// (or group of lines drawn together).

#include <cstdint>

namespace tav {

class EffectHost;

// pattern 1 to 10 chooses the order of lines; bands is the number of sweeps
// running side by side (read by patterns 7 to 10 only). Any other pattern shows
// the incoming picture at once.
void PixelSweep(EffectHost& h, std::int16_t pattern, std::int16_t bands);

}  // namespace tav
