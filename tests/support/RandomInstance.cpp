#include "RandomInstance.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace jobshop::testing {

std::string RandomInstanceText(std::mt19937& rng, const InstanceShape& shape) {
    std::uniform_int_distribution<std::int32_t> time(shape.minTime, shape.maxTime);
    std::uniform_int_distribution<std::int32_t> anyMachine(1, std::max(shape.machines, 1));
    std::string text =
        shape.name + ' ' + std::to_string(shape.jobs) + ' ' + std::to_string(shape.machines) + '\n';
    std::vector<std::int32_t> route(static_cast<std::size_t>(shape.machines));
    for (std::int32_t j = 0; j < shape.jobs; ++j) {
        std::iota(route.begin(), route.end(), 1);
        std::shuffle(route.begin(), route.end(), rng);
        for (const std::int32_t routed : route) {
            const std::int32_t machine = shape.revisits ? anyMachine(rng) : routed;
            text += std::to_string(machine) + ' ' + std::to_string(time(rng)) + ' ';
        }
        text += '\n';
    }
    return text;
}

}  // namespace jobshop::testing
