#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

namespace jobshop {

// "LO-HI" with 1 <= LO <= HI <= 2^31 - 1, as options give ranges of times
// (times of 0 or below could close a cycle in the schedule graph, which the
// program refuses to schedule) and of steps; nothing for any other text.
std::optional<std::pair<std::int32_t, std::int32_t>> ParseRange(std::string_view text);

}  // namespace jobshop
