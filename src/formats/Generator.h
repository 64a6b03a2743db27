#pragma once

#include <cstdint>
#include <string>

#include "formats/Instance.h"

namespace jobshop {

// Taillard's random number generator (E. Taillard, "Benchmarks for basic
// scheduling problems", EJOR 64, 1993): the Lehmer generator
// seed = 16807 * seed mod (2^31 - 1), computed with Schrage's method so that
// no product leaves 32 bits. A seed lies in 1 .. 2^31 - 2; 0 would stay 0.
class TaillardRandom {
  public:
    static constexpr std::int32_t kModulus = 2147483647;  // 2^31 - 1

    explicit TaillardRandom(std::int32_t seed) : seed_(seed) {}

    // The next value of the stream, uniform in low .. high: the seed is
    // updated first, then scaled, as Taillard's unif(seed, low, high) does.
    std::int32_t Uniform(std::int32_t low, std::int32_t high);

    std::int32_t seed() const { return seed_; }

  private:
    std::int32_t seed_;
};

// True when `seed` can start a stream.
bool IsValidSeed(std::int64_t seed);

// The range of processing times an instance is drawn from; Taillard's
// instances use 1 .. 99.
struct TimeRange {
    std::int32_t low = 1;
    std::int32_t high = 99;
};

// The most operations one generated instance may have: far beyond any
// course or benchmark, and its text (about 6 bytes an operation) still fits
// in memory.
inline constexpr std::int64_t kMaxGeneratedOps = std::int64_t{1} << 24;

// What decides one generated instance: its size, its two seeds and its times.
struct GeneratorSeeds {
    std::int32_t timeSeed = 0;
    std::int32_t machineSeed = 0;
};

// The instance Taillard's generator makes from two seeds: the processing
// times job by job, operation by operation, from the time seed; each job's
// machine order from the machine seed, starting as 1..m and, for j = 1..m,
// swapping position j with a position drawn from j..m. `name` is written as
// the instance's name.
Instance GenerateTaillard(std::string name, std::int32_t jobs, std::int32_t machines,
                          GeneratorSeeds seeds, TimeRange times = {});

// The name a generated instance carries, from which it can be made again:
// "gen<jobs>x<machines>_t<low>-<high>_<timeSeed>_<machineSeed>".
std::string GeneratedName(std::int32_t jobs, std::int32_t machines, GeneratorSeeds seeds,
                          TimeRange times);

// The seed pairs of a class of instances: the k-th instance (from 0) of the
// class that starts from `classSeed` takes the two values after the first
// 2k of the stream from that seed, so instance k is the same whatever the
// count.
GeneratorSeeds ClassSeeds(std::int32_t classSeed, std::int32_t k);

}  // namespace jobshop
