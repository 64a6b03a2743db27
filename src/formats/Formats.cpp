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
    if (!LoadInstance(source.text(), model) && ProgramInstance(source, model, instance).ok()) {
        detection.readable.push_back(Format::kProgram);
    }
    detection.likely = LikelyFormat(source);
    for (const Format format : {Format::kStandard, Format::kTaillard, Format::kFjsp}) {
        if (ReadInstance(format, source, FindInstances(format, source).front(), instance).ok()) {
            detection.readable.push_back(format);
        }
    }
    return detection;
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

Status ReadInstance(Format format, const SourceText& source, const InstanceBlock& block,
                    Instance& instance) {
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
    return source.ErrorAt(0, "the program's format is read by its loader");
}

}  // namespace jobshop
