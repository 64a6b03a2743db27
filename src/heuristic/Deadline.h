#pragma once

#include <algorithm>
#include <chrono>

namespace jobshop {

// The moment `seconds` from now. A limit of more than about 30 years is
// taken as 30 years: the clock counts nanoseconds in 64 bits, so a far
// larger one would not fit it.
inline std::chrono::steady_clock::time_point DeadlineAfter(double seconds) {
    constexpr double kLongest = 1e9;
    return std::chrono::steady_clock::now() +
           std::chrono::duration_cast<std::chrono::steady_clock::duration>(
               std::chrono::duration<double>(std::min(seconds, kLongest)));
}

}  // namespace jobshop
