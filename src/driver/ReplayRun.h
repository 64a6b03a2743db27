#pragma once

#include <cstdint>
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
// than a browser opens: before the schedule when its least size or its
// predicted size tells, else as soon as the recording passes the limit.
// jobshop-replay and the web edition both record this way, so their pages
// are the same.
Status RecordReplay(Model& model, std::string_view instance, std::string& json);
// The refusal of a page larger than a browser opens.
Status PageTooLargeFailure();

// The replay's data `json` (from RecordReplay) with a search after its
// steps: `search` (jobshop-improve's JSON) becomes its member "search", the
// replay's own text unchanged before it. Refused when the page would pass
// the size a browser opens.
Status AppendSearch(std::string& json, std::string_view search);

// The operations of the sample PredictReplayJsonBytes schedules, about.
inline constexpr std::int32_t kReplaySampleOps = 1024;

// The bytes of the numbers of the replay's data of the loaded, sorted
// instance in `model`, predicted from a sample of about `sampleOps`
// operations: whole jobs spread over the instance, scheduled and counted,
// not kept. Every kind of number is as long on average as in the sample,
// where times add up to less, and the changes come at the sample's rate
// per job and evaluation, less a margin: a prediction meant to stay below
// the data. 0 when the instance is no larger than its sample, or its
// machines so many that a sample of two jobs would cost too much.
std::uint64_t PredictReplayJsonBytes(const Model& model, std::int32_t sampleOps = kReplaySampleOps);

// The replay page around its data: the page's text before the data, the
// data, and the text after it, so a page is written without a copy of the
// data.
std::vector<std::string_view> ReplayPagePieces(std::string_view json);

}  // namespace jobshop
