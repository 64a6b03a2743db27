#include "formats/TextLines.h"

#include <algorithm>
#include <charconv>

#include "model/Printable.h"

namespace jobshop {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view TrimmedStart(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && IsSpace(text[start])) ++start;
    return text.substr(start);
}

std::vector<std::string_view> Tokens(std::string_view text) {
    std::vector<std::string_view> tokens;
    std::size_t pos = 0;
    for (;;) {
        while (pos < text.size() && IsSpace(text[pos])) ++pos;
        if (pos == text.size()) return tokens;
        const std::size_t start = pos;
        while (pos < text.size() && !IsSpace(text[pos])) ++pos;
        tokens.push_back(text.substr(start, pos - start));
    }
}

}  // namespace

Status SourceText::ErrorAt(std::int32_t line, const std::string& what) const {
    if (line <= 0) return Status::Failure(displayName + ": " + what);
    return Status::Failure(displayName + ":" + std::to_string(line) + ": " + what);
}

SourceText SplitSource(std::string displayName, std::string_view text) {
    SourceText source{std::move(displayName), text, {}};
    std::size_t start = 0;
    std::int32_t number = 0;
    while (start < text.size()) {
        const std::size_t lineEnd = std::min(text.find('\n', start), text.size());
        const std::string_view line = text.substr(start, lineEnd - start);
        source.lines.push_back({++number, line, Tokens(line)});
        start = lineEnd + 1;
    }
    return source;
}

bool IsDataLine(const TextLine& line) {
    if (line.tokens.empty() || line.tokens.front().front() == '#') return false;
    return !std::all_of(line.tokens.begin(), line.tokens.end(), [](std::string_view token) {
        return token.find_first_not_of('+') == std::string_view::npos;
    });
}

LineCursor::LineCursor(const SourceText& source, std::size_t begin, std::size_t end)
    : source_(source),
      pos_(begin),
      end_(end),
      lastLine_(begin > 0 ? source.lines[begin - 1].number : 0) {}

const TextLine* LineCursor::Next() {
    while (pos_ < end_ && !IsDataLine(source_.lines[pos_])) ++pos_;
    if (pos_ == end_) return nullptr;
    const TextLine* line = &source_.lines[pos_++];
    lastLine_ = line->number;
    return line;
}

std::optional<std::int32_t> ParseInteger(std::string_view token) {
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
    if (token.empty() || error != std::errc() || end != token.data() + token.size()) {
        return std::nullopt;
    }
    return value;
}

bool AllIntegers(const TextLine& line) {
    return std::all_of(line.tokens.begin(), line.tokens.end(),
                       [](std::string_view token) { return ParseInteger(token).has_value(); });
}

bool StartsWithWords(const TextLine& line, std::string_view words) {
    const std::string_view text = TrimmedStart(line.text);
    return text.size() >= words.size() &&
           std::equal(words.begin(), words.end(), text.begin(),
                      [](char expected, char c) { return Lower(c) == expected; });
}

bool IsSectionLine(const TextLine& line, std::string_view word) {
    std::string_view text = line.tokens.size() == 1 ? line.tokens[0] : std::string_view();
    if (!text.empty() && text.back() == ':') text.remove_suffix(1);
    if (line.tokens.size() == 2 && line.tokens[1] == ":") text = line.tokens[0];
    return text.size() == word.size() && StartsWithWords({0, text, {}}, word);
}

std::string Quoted(std::string_view text) {
    std::string quoted(1, '"');
    quoted += Printable(text);
    quoted += '"';
    return quoted;
}

}  // namespace jobshop
