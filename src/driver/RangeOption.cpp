#include "driver/RangeOption.h"

#include <charconv>

namespace jobshop {
namespace {

std::optional<std::int32_t> ParsePositive(std::string_view text) {
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1) return std::nullopt;
    return value;
}

}  // namespace

std::optional<std::pair<std::int32_t, std::int32_t>> ParseRange(std::string_view text) {
    const std::size_t dash = text.find('-');
    if (dash == std::string_view::npos) return std::nullopt;
    const std::optional<std::int32_t> low = ParsePositive(text.substr(0, dash));
    const std::optional<std::int32_t> high = ParsePositive(text.substr(dash + 1));
    if (!low || !high || *low > *high) return std::nullopt;
    return std::pair{*low, *high};
}

}  // namespace jobshop
