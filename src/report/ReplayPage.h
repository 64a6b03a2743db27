#pragma once

#include <string>
#include <string_view>

namespace jobshop {

// The page's text, joined at build time from src/report/replay/ (the shell
// page.html, its style and modules). It holds kReplayDataMarker once, inside
// the data element.
std::string_view ReplayPageTemplate();
inline constexpr std::string_view kReplayDataMarker = "@REPLAY_DATA@";

// The self-contained page: the template with `json` (from ReplayJson) in
// place of the marker.
std::string ReplayPage(std::string_view json);

}  // namespace jobshop
