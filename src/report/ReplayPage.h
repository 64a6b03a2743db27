#pragma once

#include <string>
#include <string_view>

namespace jobshop {

// The page's text as written in src/report/replay/page.html, embedded at
// build time. It holds kReplayDataMarker once, inside the data element.
std::string_view ReplayPageTemplate();
inline constexpr std::string_view kReplayDataMarker = "@REPLAY_DATA@";

// The self-contained page: the template with `json` (from ReplayJson) in
// place of the marker.
std::string ReplayPage(std::string_view json);

}  // namespace jobshop
