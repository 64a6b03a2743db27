#pragma once

#include <array>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include "formats/FormatError.h"
#include "formats/Instance.h"
#include "formats/TextLines.h"

namespace jobshop {

enum class Format { kStandard, kTaillard, kFjsp, kProgram };

// The names users give the formats, in the order of Format.
inline constexpr std::array<std::string_view, 4> kFormatNames = {"standard", "taillard", "fjsp",
                                                                 "program"};

std::string_view FormatName(Format format);
std::optional<Format> FormatNamed(std::string_view name);

// What a file's content says about its format.
struct FormatDetection {
    // The formats that read the file's first instance without a fault; the
    // program's own alone when its loader reads the file and the
    // conversion's rules take what it read (ProgramInstance), since it wins
    // over any other.
    std::vector<Format> readable;
    // Whether the program's loader reads the file, whatever the conversion's
    // rules say of what it read (no jobs, negative times).
    bool loaded = false;
    // The format the file's layout looks like, or nothing when it looks like
    // none: the one to read it with when no format reads it, so that the
    // refusal says what is wrong.
    std::optional<Format> likely;
};
FormatDetection DetectFormat(const SourceText& source);

// The format to read a file in: the program's own when its loader reads the
// file, else the only format that reads it, else the one it looks like
// (whose reader then says what is wrong); or why there is none: other
// formats read it alike (kReadsAlike), or it looks like none (kCannotTell).
std::variant<Format, FormatError> ChooseFormat(const FormatDetection& detection);

// The instances a file of `format` holds, in file order (at least one).
std::vector<InstanceBlock> FindInstances(Format format, const SourceText& source);

// Gives the instances the file leaves unnamed the file's base name, numbered
// (`_K` for the K-th) when it holds several.
void NameUnnamed(std::vector<InstanceBlock>& blocks, std::string_view file);

// Why `name` cannot be an instance's name, as a refusal of the name taken
// from the file (kNameRefused); nothing when it can.
std::optional<FormatError> NameRefused(std::string_view name);

// Reads one of them in one of the line formats (standard, taillard, fjsp;
// the program's own is read by its loader); a rejection names the line and
// what is wrong.
std::optional<FormatError> ReadInstance(Format format, const SourceText& source,
                                        const InstanceBlock& block, Instance& instance);

}  // namespace jobshop
