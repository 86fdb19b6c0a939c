#include "platform/Random.h"

#include <chrono>
#include <random>

namespace tav {
namespace {
std::mt19937& Generator() {
    static std::mt19937 gen(5489u);
    return gen;
}
}  // namespace

void SeedRandom(std::uint32_t seed) { Generator().seed(seed); }

void SeedRandomFromClock() {
    auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    SeedRandom(static_cast<std::uint32_t>(now ^ (now >> 32)));
}

double Rnd() {
    const std::uint32_t a = Generator()() >> 5;
    const std::uint32_t b = Generator()() >> 6;
    return (a * 67108864.0 + b) / 9007199254740992.0;
}

}  // namespace tav
