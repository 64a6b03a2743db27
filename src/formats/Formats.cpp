#include "formats/Formats.h"

#include <algorithm>

#include "formats/FjspFormat.h"
#include "formats/Loader.h"
#include "formats/ProgramFormat.h"
#include "formats/StandardFormat.h"
#include "formats/TaillardFormat.h"

namespace jobshop {
namespace {

bool AnyLine(const SourceText& source, bool (*test)(const TextLine&)) {
    for (std::size_t i = 0; i < source.LineCount(); ++i) {
        if (test(source.Line(i))) return true;
    }
    return false;
}

bool IsTimesLine(const TextLine& line) {
    return IsSectionLine(line, "times");
}

// A file that opens with two counts is the JSPLIB layout when the next line
// holds m pairs, the flexible layout when it parses as a flexible job.
std::optional<Format> DetectByFirstJob(const SourceText& source, const TextLine& sizes) {
    const std::optional<std::int32_t> m = ParseInteger(sizes.tokens[1]);
    LineCursor cursor(source, static_cast<std::size_t>(sizes.number), source.LineCount());
    const TextLine* job = cursor.Next();
    if (m && job != nullptr && job->tokens.size() != 2 * static_cast<std::size_t>(*m) &&
        IsFjspJobLine(*job)) {
        return Format::kFjsp;
    }
    return Format::kStandard;
}

// The format the layout suggests, from its marks: `instance` lines, Taillard's
// header or sections, a first word (the program's instance name), a first
// line of two or three counts.
std::optional<Format> LikelyFormat(const SourceText& source) {
    LineCursor cursor(source, 0, source.LineCount());
    const TextLine* first = cursor.Next();
    if (first == nullptr) return std::nullopt;
    if (AnyLine(source, IsInstanceLine)) return Format::kStandard;
    if (StartsWithWords(*first, "nb of jobs") || StartsWithWords(*first, "number of jobs") ||
        AnyLine(source, IsTimesLine)) {
        return Format::kTaillard;
    }
    if (!ParseInteger(first->tokens[0])) return Format::kProgram;
    if (first->tokens.size() == 3) return Format::kFjsp;
    if (first->tokens.size() == 2) return DetectByFirstJob(source, *first);
    return std::nullopt;
}

// The file's name without its folder and its last extension, as
// std::filesystem::path's stem() gives it ("a/b.c.txt": "b.c"; ".txt",
// "..": themselves), without the path library the web edition would carry.
std::string_view Stem(std::string_view file) {
    const std::size_t slash = file.rfind('/');
    if (slash != std::string_view::npos) file.remove_prefix(slash + 1);
    if (file == "..") return file;
    const std::size_t dot = file.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? file : file.substr(0, dot);
}

}  // namespace

std::string_view FormatName(Format format) {
    return kFormatNames[static_cast<int>(format)];
}

std::optional<Format> FormatNamed(std::string_view name) {
    const auto it = std::find(kFormatNames.begin(), kFormatNames.end(), name);
    if (it == kFormatNames.end()) return std::nullopt;
    return static_cast<Format>(it - kFormatNames.begin());
}

FormatDetection DetectFormat(const SourceText& source) {
    FormatDetection detection;
    Model model;
    Instance instance;
    detection.loaded = !LoadInstance(source.text(), model);
    if (detection.loaded && !ProgramInstance(model, instance)) {
        detection.readable.push_back(Format::kProgram);
        return detection;
    }
    detection.likely = LikelyFormat(source);
    for (const Format format : {Format::kStandard, Format::kTaillard, Format::kFjsp}) {
        if (!ReadInstance(format, source, FindInstances(format, source).front(), instance)) {
            detection.readable.push_back(format);
        }
    }
    return detection;
}

std::variant<Format, FormatError> ChooseFormat(const FormatDetection& detection) {
    const std::vector<Format>& readable = detection.readable;
    if (readable.size() > 1) {
        FormatError alike{FormatError::Kind::kReadsAlike, 0, {}, {}};
        for (const Format format : readable) alike.args.emplace_back(FormatName(format));
        return alike;
    }
    if (!readable.empty()) return readable.front();
    if (detection.likely) return *detection.likely;
    return FormatError{FormatError::Kind::kCannotTell, 0, {}, {}};
}

void NameUnnamed(std::vector<InstanceBlock>& blocks, std::string_view file) {
    const std::string base(Stem(file));
    for (std::size_t k = 0; k < blocks.size(); ++k) {
        if (!blocks[k].name.empty()) continue;
        blocks[k].name = blocks.size() == 1 ? base : base + "_" + std::to_string(k + 1);
    }
}

std::optional<FormatError> NameRefused(std::string_view name) {
    const std::optional<FormatError::Kind> problem = NameError(name);
    if (!problem) return std::nullopt;
    return FormatError{FormatError::Kind::kNameRefused, 0, {Quoted(name)}, *problem};
}

std::vector<InstanceBlock> FindInstances(Format format, const SourceText& source) {
    switch (format) {
        case Format::kStandard:
            return FindStandardInstances(source);
        case Format::kTaillard:
            return FindTaillardInstances(source);
        case Format::kFjsp:
            return FindFjspInstances(source);
        case Format::kProgram:
            return FindProgramInstances(source);
    }
    return {};
}

std::optional<FormatError> ReadInstance(Format format, const SourceText& source,
                                        const InstanceBlock& block, Instance& instance) {
    switch (format) {
        case Format::kStandard:
            return ReadStandardInstance(source, block, instance);
        case Format::kTaillard:
            return ReadTaillardInstance(source, block, instance);
        case Format::kFjsp:
            return ReadFjspInstance(source, block, instance);
        case Format::kProgram:
            break;
    }
    return FormatError{FormatError::Kind::kProgramFormat, 0, {}, {}};
}

}  // namespace jobshop
