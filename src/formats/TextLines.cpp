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

SourceText::SourceText(std::string displayName, std::string_view text)
    : displayName_(std::move(displayName)), text_(text) {
    for (std::size_t start = 0; start < text.size();) {
        starts_.push_back(static_cast<std::uint32_t>(start));
        const std::size_t lineEnd = text.find('\n', start);
        if (lineEnd == std::string_view::npos) break;
        start = lineEnd + 1;
    }
}

TextLine SourceText::Line(std::size_t i) const {
    const std::size_t start = starts_[i];
    const std::size_t end = i + 1 < starts_.size()
                                ? starts_[i + 1] - 1
                                : std::min(text_.find('\n', start), text_.size());
    const std::string_view line = text_.substr(start, end - start);
    return {static_cast<std::int32_t>(i + 1), line, Tokens(line)};
}

Status SourceText::ErrorAt(std::int32_t line, const std::string& what) const {
    if (line <= 0) return Status::Failure(displayName_ + ": " + what);
    return Status::Failure(displayName_ + ":" + std::to_string(line) + ": " + what);
}

std::string_view WithoutByteOrderMark(std::string_view text) {
    constexpr std::string_view kMark = "\xef\xbb\xbf";
    if (text.substr(0, kMark.size()) == kMark) text.remove_prefix(kMark.size());
    return text;
}

bool IsDataLine(const TextLine& line) {
    if (line.tokens.empty() || line.tokens.front().front() == '#') return false;
    return !std::all_of(line.tokens.begin(), line.tokens.end(), [](std::string_view token) {
        return token.find_first_not_of('+') == std::string_view::npos;
    });
}

LineCursor::LineCursor(const SourceText& source, std::size_t begin, std::size_t end)
    : source_(source), pos_(begin), end_(end), lastLine_(static_cast<std::int32_t>(begin)) {}

const TextLine* LineCursor::Next() {
    for (; pos_ < end_; ++pos_) {
        line_ = source_.Line(pos_);
        if (!IsDataLine(line_)) continue;
        ++pos_;
        lastLine_ = line_.number;
        return &line_;
    }
    return nullptr;
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
