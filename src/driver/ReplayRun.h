#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/Model.h"
#include "model/Status.h"

namespace jobshop {

// Schedules the loaded, sorted instance in `model` while recording it, and
// gives the replay page's data in `json`. Refused, with the program's
// message, are an instance with too many operations for the page's numbers
// (`instance` names its file in that message), a cycle, and a page larger
// than a browser opens: before the schedule when its least size tells,
// else as soon as the recording passes the limit. jobshop-replay and the
// web edition both record this way, so their pages are the same.
Status RecordReplay(Model& model, std::string_view instance, std::string& json);

// The replay page around its data: the page's text before the data, the
// data, and the text after it, so a page is written without a copy of the
// data.
std::vector<std::string_view> ReplayPagePieces(std::string_view json);

}  // namespace jobshop
