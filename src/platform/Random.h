#pragma once
#include <cstdint>

namespace tav {

// The one process-wide generator. It is seeded once at start (from the clock,
// or with a fixed seed by the renderer and the tests) and never reset between
// draws: a reset from a coarse clock would make consecutive draws repeat.
void SeedRandom(std::uint32_t seed);
void SeedRandomFromClock();

// A uniform number in [0, 1) made from two 32-bit outputs, so one seed gives
// the same sequence on every machine.
double Rnd();

}  // namespace tav
