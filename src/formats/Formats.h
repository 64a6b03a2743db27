#pragma once

#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "formats/Instance.h"
#include "formats/TextLines.h"
#include "model/Status.h"

namespace jobshop {

enum class Format { kStandard, kTaillard, kFjsp, kProgram };

// The names users give the formats, in the order of Format.
inline constexpr std::array<std::string_view, 4> kFormatNames = {"standard", "taillard", "fjsp",
                                                                 "program"};

std::string_view FormatName(Format format);
std::optional<Format> FormatNamed(std::string_view name);

// The format a file's content looks like, or nothing when it matches none.
std::optional<Format> DetectFormat(const SourceText& source);

// The instances a file of `format` holds, in file order (at least one).
std::vector<InstanceBlock> FindInstances(Format format, const SourceText& source);

// Reads one of them; a rejection names the line and what is wrong.
Status ReadInstance(Format format, const SourceText& source, const InstanceBlock& block,
                    Instance& instance);

}  // namespace jobshop
