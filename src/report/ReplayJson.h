#pragma once

#include <string>
#include <string_view>

#include "report/ReplayRecorder.h"

namespace jobshop {

// The page's data as JSON (format "jobshop-replay", version 1; the README
// describes every field). Every '<' is written as \u003c, so the text can
// stand inside an HTML script element as it is.
std::string ReplayJson(const ReplayRecording& recording);

// Appends `bytes` as a JSON string. Instance names are bytes, not text: every
// byte that is not part of a well-formed UTF-8 sequence becomes U+FFFD, so
// the result is always valid JSON. '"' and '\' are escaped, control bytes and
// '<' written as \u00XX.
void AppendJsonString(std::string& out, std::string_view bytes);

}  // namespace jobshop
