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

// An input file as lines, and the name messages give it. Only where each
// line starts is kept (four bytes a line); a line is split into tokens when
// it is asked for, so the file costs little more than its text, which must
// outlive this and be shorter than 4 GiB.
class SourceText {
  public:
    // Splits at LF; a CR before it, like every other whitespace byte, only
    // separates tokens.
    SourceText(std::string displayName, std::string_view text);

    std::string_view text() const { return text_; }
    std::size_t LineCount() const { return starts_.size(); }
    // Line i + 1 of the file, with its tokens.
    TextLine Line(std::size_t i) const;

    // A rejection naming the file and the line ("FILE:LINE: what"); line 0
    // names the file alone.
    Status ErrorAt(std::int32_t line, const std::string& what) const;

  private:
    std::string displayName_;
    std::string_view text_;
    std::vector<std::uint32_t> starts_;
};

// The text without the UTF-8 byte order mark that some editors put first.
std::string_view WithoutByteOrderMark(std::string_view text);

// Lines that carry no numbers: blank lines, comments starting with '#', and
// the lines of '+' that separate instances.
bool IsDataLine(const TextLine& line);

// Walks the data lines of one instance, lines [begin, end) of the file.
class LineCursor {
  public:
    LineCursor(const SourceText& source, std::size_t begin, std::size_t end);

    // The next data line, or nullptr when the instance has no more; valid
    // until the next call.
    const TextLine* Next();
    // The number of the last line Next returned, or of the line just before
    // the instance when it returned none: where a truncated instance ends.
    std::int32_t LastLine() const { return lastLine_; }

  private:
    const SourceText& source_;
    std::size_t pos_;
    std::size_t end_;
    std::int32_t lastLine_;
    TextLine line_;
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
