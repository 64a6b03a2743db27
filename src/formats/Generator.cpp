#include "formats/Generator.h"

#include <cmath>
#include <numeric>
#include <utility>
#include <vector>

namespace jobshop {
namespace {

// Schrage's decomposition of the modulus: kModulus = kA * kQ + kR with
// kR < kQ, so kA * (seed % kQ) and kR * (seed / kQ) both fit in 32 bits.
constexpr std::int32_t kA = 16807;
constexpr std::int32_t kQ = 127773;
constexpr std::int32_t kR = 2836;
static_assert(std::int64_t{kA} * kQ + kR == TaillardRandom::kModulus);

}  // namespace

std::int32_t TaillardRandom::Uniform(std::int32_t low, std::int32_t high) {
    seed_ = kA * (seed_ % kQ) - kR * (seed_ / kQ);
    if (seed_ < 0) seed_ += kModulus;
    const double unit = static_cast<double>(seed_) / kModulus;
    const double width = static_cast<double>(high) - low + 1;
    return static_cast<std::int32_t>(low + std::floor(unit * width));
}

bool IsValidSeed(std::int64_t seed) {
    return seed >= 1 && seed < TaillardRandom::kModulus;
}

Instance GenerateTaillard(std::string name, std::int32_t jobs, std::int32_t machines,
                          GeneratorSeeds seeds, TimeRange times) {
    Instance instance{std::move(name), jobs, machines, {}};
    instance.Jobs.assign(static_cast<std::size_t>(jobs),
                         std::vector<JobStep>(static_cast<std::size_t>(machines)));
    TaillardRandom timeStream(seeds.timeSeed);
    for (std::vector<JobStep>& job : instance.Jobs) {
        for (JobStep& step : job) step.p = timeStream.Uniform(times.low, times.high);
    }
    TaillardRandom machineStream(seeds.machineSeed);
    std::vector<std::int32_t> order(static_cast<std::size_t>(machines));
    for (std::vector<JobStep>& job : instance.Jobs) {
        std::iota(order.begin(), order.end(), 1);
        // Positions are 1-based in the published description.
        for (std::int32_t j = 1; j <= machines; ++j) {
            const std::int32_t swapWith = machineStream.Uniform(j, machines);
            std::swap(order[static_cast<std::size_t>(j - 1)],
                      order[static_cast<std::size_t>(swapWith - 1)]);
        }
        for (std::size_t i = 0; i < job.size(); ++i) job[i].M = order[i];
    }
    return instance;
}

std::string GeneratedName(std::int32_t jobs, std::int32_t machines, GeneratorSeeds seeds,
                          TimeRange times) {
    return "gen" + std::to_string(jobs) + "x" + std::to_string(machines) + "_t" +
           std::to_string(times.low) + "-" + std::to_string(times.high) + "_" +
           std::to_string(seeds.timeSeed) + "_" + std::to_string(seeds.machineSeed);
}

GeneratorSeeds ClassSeeds(std::int32_t classSeed, std::int32_t k) {
    TaillardRandom stream(classSeed);
    for (std::int32_t skipped = 0; skipped < k; ++skipped) {
        stream.Uniform(0, 0);
        stream.Uniform(0, 0);
    }
    GeneratorSeeds seeds;
    stream.Uniform(0, 0);
    seeds.timeSeed = stream.seed();
    stream.Uniform(0, 0);
    seeds.machineSeed = stream.seed();
    return seeds;
}

}  // namespace jobshop
