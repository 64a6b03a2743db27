#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/Formats.h"

namespace jobshop {

// A text read as jobshop-convert reads a file, for the web edition: the
// program's own format is run as it is, any other format is converted into
// it, and a refusal is worded in both of the page's languages.
struct FormatReading {
    enum class Outcome {
        kProgram,    // the program's format: run the text itself, whose loader speaks for it
        kConverted,  // programText holds the instance in the program's format
        kRefused,    // english and polish say why, at `line`
    };
    Outcome outcome = Outcome::kProgram;
    Format format = Format::kProgram;  // the format read, or whose reader refused
    // The standard layout with `instance` lines (OR-Library's), not one
    // instance without them (JSPLIB's).
    bool introduced = false;
    std::vector<std::string> names;  // the file's instances, named as convert names them
    std::size_t index = 0;           // the one read, from 0
    std::string programText;
    std::int32_t line = 0;  // 0: the refusal names no line
    std::string english;
    std::string polish;
};

// Reads instance `index` (from 0; the first when the file has no such
// instance) of `text` in the format `from`, or the one detected as
// jobshop-convert detects it, with one difference: a text that looks like
// no format is the program's, whose loader then says what is wrong. The
// file is called `file` in messages and names the instances the text
// leaves unnamed; `name`, when not empty, replaces the instance's name (as
// --name does).
FormatReading ReadFormat(std::string_view text, std::string_view file, std::optional<Format> from,
                         std::size_t index, std::string_view name);

}  // namespace jobshop
