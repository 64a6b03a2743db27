#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/Model.h"
#include "report/ReplayRecorder.h"

namespace jobshop {

// The page's data as JSON (format "jobshop-replay", version 1; the README
// describes every field). Every '<' is written as \u003c, so the text can
// stand inside an HTML script element as it is.
std::string ReplayJson(const ReplayRecording& recording);

// How many numbers of each kind the data of the loaded, sorted instance in
// `model` holds, known before it is scheduled.
struct ReplayCounts {
    std::uint64_t estimates = 0;   // of all steps: a step on c operations has c + 1
    std::int64_t evaluations = 0;  // one a step on an occupied machine, one the end's
    std::uint64_t snapshots = 0;   // each of R, Q and level of every operation
};
ReplayCounts CountReplay(const Model& model);

// Fewer bytes than ReplayJson will write for the loaded, sorted instance in
// `model`, known before it is scheduled: its operations, order and
// sequences, its steps with as many estimates as positions, and its
// snapshots, each number with as few digits as its job allows (an estimate
// is at least its job's length when no time is negative, a head and a tail
// at least the job's times before and after).
std::uint64_t ReplayJsonLowerBound(const Model& model);

// Appends `bytes` as a JSON string. Instance names are bytes, not text: every
// byte that is not part of a well-formed UTF-8 sequence becomes U+FFFD, so
// the result is always valid JSON. '"' and '\' are escaped, control bytes and
// '<' written as \u00XX.
void AppendJsonString(std::string& out, std::string_view bytes);

// The length of the well-formed UTF-8 sequence that starts `s` (of a
// character beyond ASCII), or 0 when none does.
std::size_t Utf8SequenceLength(std::string_view s);

}  // namespace jobshop
