#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace jobshop {

// How much of a bad token a message shows.
inline constexpr std::size_t kShownTokenBytes = 40;

// `text` as a message shows it: control bytes as \xNN, so no terminal
// control reaches the console, and only the first `shown` bytes, followed by
// "..." when there are more, so one long text cannot flood it.
std::string Printable(std::string_view text, std::size_t shown = kShownTokenBytes);

}  // namespace jobshop
