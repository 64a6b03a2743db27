#include "report/ReplayPage.h"

namespace jobshop {

std::string ReplayPage(std::string_view json) {
    const std::string_view page = ReplayPageTemplate();
    const std::size_t at = page.find(kReplayDataMarker);
    std::string out;
    out.reserve(page.size() + json.size());
    out.append(page.substr(0, at));
    out.append(json);
    out.append(page.substr(at + kReplayDataMarker.size()));
    return out;
}

}  // namespace jobshop
