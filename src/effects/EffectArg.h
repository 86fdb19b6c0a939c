#pragma once
// One argument of a transition routine. Every routine takes its arguments as
// one struct named after it (TileScatterArgs for TileScatter), and the effect
// table fills each field by name.

#include <cstdint>

namespace tav {

// An argument has no default value: a table row that leaves a field out, or
// names the fields out of order, does not compile, where a plain integer would
// quietly be 0. It reads as the integer it holds.
class EffectArg {
public:
    constexpr EffectArg(int value) : value_(static_cast<std::int16_t>(value)) {}
    constexpr operator std::int16_t() const { return value_; }

private:
    std::int16_t value_;
};

}  // namespace tav
