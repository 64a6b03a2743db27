#pragma once

#include <cstdint>

namespace jobshop {

// SplitMix64 (Steele, Lea and Flood, 2014). The search draws its numbers
// here rather than from <random>, whose distributions differ between
// standard libraries: a seed must give the same run with GCC, Clang and
// emscripten.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15u);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
        return z ^ (z >> 31);
    }

    // A number in 0 ... bound-1 (bound >= 1). The bias of the remainder is
    // below 2^-40 for the small bounds the search uses.
    std::uint32_t Below(std::uint32_t bound) { return static_cast<std::uint32_t>(Next() % bound); }

  private:
    std::uint64_t state_;
};

}  // namespace jobshop
