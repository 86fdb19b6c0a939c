#pragma once
// Pixel line sweeps: the incoming picture is painted one pixel at a time, line
// by line, in interleaved orders, with the display presented after every line
// (or group of lines drawn together).

#include "effects/EffectArg.h"

namespace tav {

class EffectHost;

struct PixelSweepArgs {
    // 1 to 10 chooses the order of lines; any other pattern shows the incoming
    // picture at once.
    EffectArg pattern;
    EffectArg bands;  // sweeps running side by side, read by patterns 7 to 10 only
};
void PixelSweep(EffectHost& h, const PixelSweepArgs& a);

}  // namespace tav
