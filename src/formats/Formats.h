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

// What a file's content says about its format.
struct FormatDetection {
    // The formats that read the file's first instance without a fault, the
    // program's own among them when its loader reads the file.
    std::vector<Format> readable;
    // The format the file's layout looks like, or nothing when it looks like
    // none: the one to read it with when no format reads it, so that the
    // refusal says what is wrong.
    std::optional<Format> likely;
};
FormatDetection DetectFormat(const SourceText& source);

// The instances a file of `format` holds, in file order (at least one).
std::vector<InstanceBlock> FindInstances(Format format, const SourceText& source);

// Reads one of them in one of the line formats (standard, taillard, fjsp;
// the program's own is read by its loader); a rejection names the line and
// what is wrong.
Status ReadInstance(Format format, const SourceText& source, const InstanceBlock& block,
                    Instance& instance);

}  // namespace jobshop
