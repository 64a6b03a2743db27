#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Status.h"

namespace jobshop {

// One line of an input file, split into whitespace-separated tokens.
struct TextLine {
    std::int32_t number = 0;  // 1-based, as an editor shows it
    std::string_view text;    // without its line end
    std::vector<std::string_view> tokens;
};

// An input file as lines of tokens, and the name messages give it. The views
// point into the file's text, which must outlive this.
struct SourceText {
    std::string displayName;
    std::string_view text;
    std::vector<TextLine> lines;

    // A rejection naming the file and the line ("FILE:LINE: what"); line 0
    // names the file alone.
    Status ErrorAt(std::int32_t line, const std::string& what) const;
};

// Splits at LF; a CR before it, like every other whitespace byte, only
// separates tokens.
SourceText SplitSource(std::string displayName, std::string_view text);

// Lines that carry no numbers: blank lines, comments starting with '#', and
// the lines of '+' that separate instances.
bool IsDataLine(const TextLine& line);

// Walks the data lines of one instance, lines [begin, end) of the file.
class LineCursor {
  public:
    LineCursor(const SourceText& source, std::size_t begin, std::size_t end);

    // The next data line, or nullptr when the instance has no more.
    const TextLine* Next();
    // The number of the last line Next returned, or of the line just before
    // the instance when it returned none: where a truncated instance ends.
    std::int32_t LastLine() const { return lastLine_; }

  private:
    const SourceText& source_;
    std::size_t pos_;
    std::size_t end_;
    std::int32_t lastLine_;
};

// An optional minus sign and decimal digits, nothing else, within 32 bits.
std::optional<std::int32_t> ParseInteger(std::string_view token);
bool AllIntegers(const TextLine& line);

// Whether the line's text starts with `words` (lower case), ignoring case and
// leading whitespace.
bool StartsWithWords(const TextLine& line, std::string_view words);

// A line holding only the section title `word` (lower case), in any case,
// with or without a colon: "Times", "Machines:".
bool IsSectionLine(const TextLine& line, std::string_view word);

// A token or line as a message quotes it, in double quotes.
std::string Quoted(std::string_view text);

}  // namespace jobshop
