#include "formats/TaillardFormat.h"

#include "formats/Fields.h"

namespace jobshop {
namespace {

constexpr std::string_view kJobShopHeader = "nb of jobs";
constexpr std::string_view kOtherShopHeader = "number of jobs";

using Kind = FormatError::Kind;

// The flow-shop header names one "initial seed"; the open-shop header has a
// time seed and a machine seed like the job-shop one, but in lower case.
FormatError OtherShopFile(const TextLine& header) {
    const bool flowShop = header.text.find("initial seed") != std::string_view::npos;
    return FaultAt(header.number, flowShop ? Kind::kFlowShopFile : Kind::kOpenShopFile);
}

Fault ExpectSection(LineCursor& cursor, std::string_view word, std::string_view title) {
    const TextLine* line = cursor.Next();
    if (line != nullptr && IsSectionLine(*line, word)) return std::nullopt;
    if (line == nullptr) return FaultAt(cursor.LastLine(), Kind::kNoSection, {std::string(title)});
    return FaultAt(line->number, Kind::kNotSection, {std::string(title), Quoted(line->text)});
}

// Reads the n rows of m numbers of one section; `cell` reads one of them.
template <typename ReadCell>
Fault ReadRows(LineCursor& cursor, Instance& instance, std::string_view title, ReadCell cell) {
    const std::int32_t m = instance.MachineCount;
    for (std::int32_t job = 1; job <= instance.JobCount; ++job) {
        const TextLine* row = cursor.Next();
        if (row == nullptr) return Truncated(cursor, job - 1, instance.JobCount, title);
        if (row->tokens.size() != static_cast<std::size_t>(m)) {
            if (!AllIntegers(*row)) {
                return FaultAt(row->number, Kind::kNotSectionRow,
                               {std::to_string(job), std::string(title), Quoted(row->text)});
            }
            return CheckOperationCount(row->number, job, row->tokens.size(), m);
        }
        if (instance.Jobs.size() < static_cast<std::size_t>(job)) instance.Jobs.emplace_back(m);
        for (std::int32_t op = 1; op <= m; ++op) {
            JobStep& step = instance.Jobs[job - 1][op - 1];
            if (Fault fault = cell(row->number, row->tokens[op - 1], job, op, step)) return fault;
        }
    }
    return std::nullopt;
}

Fault ReadHeader(LineCursor& cursor, Instance& instance) {
    const TextLine* line = cursor.Next();
    if (line != nullptr && !ParseInteger(line->tokens[0])) {
        if (StartsWithWords(*line, kOtherShopHeader)) return OtherShopFile(*line);
        if (!StartsWithWords(*line, kJobShopHeader)) {
            return FaultAt(line->number, Kind::kNotTaillardHeader, {Quoted(line->text)});
        }
        line = cursor.Next();
    }
    if (line == nullptr) return FaultAt(cursor.LastLine(), Kind::kEndsEarly);
    // n, m, the two seeds and the two bounds; only n and m are used.
    if (line->tokens.size() < 2 || line->tokens.size() > 6 || !AllIntegers(*line)) {
        return FaultAt(line->number, Kind::kNotTaillardSizes, {Quoted(line->text)});
    }
    return ReadSizes(line->number, line->tokens[0], line->tokens[1], instance);
}

// The index of the last data line before line i, or i when there is none.
std::size_t PreviousDataLine(const SourceText& source, std::size_t i) {
    for (std::size_t j = i; j > 0; --j) {
        if (IsDataLine(source.Line(j - 1))) return j - 1;
    }
    return i;
}

}  // namespace

std::vector<InstanceBlock> FindTaillardInstances(const SourceText& source) {
    std::vector<InstanceBlock> blocks;
    const std::size_t lines = source.LineCount();
    for (std::size_t i = 0; i < lines; ++i) {
        if (!IsSectionLine(source.Line(i), "times")) continue;
        // Back over the numbers line and the header text above it.
        std::size_t start = PreviousDataLine(source, i);
        const std::size_t above = PreviousDataLine(source, start);
        if (above < start && StartsWithWords(source.Line(above), kJobShopHeader)) start = above;
        if (!blocks.empty()) blocks.back().end = start;
        blocks.push_back({"", start, lines});
    }
    if (blocks.empty()) blocks.push_back({"", 0, lines});
    return blocks;
}

Fault ReadTaillardInstance(const SourceText& source, const InstanceBlock& block,
                           Instance& instance) {
    instance = Instance();
    LineCursor cursor(source, block.begin, block.end);
    if (Fault fault = ReadHeader(cursor, instance)) return fault;
    // The rows are read as they come, so a file that claims a huge instance
    // and ends early never reserves memory for the claim.
    const auto readTime = [](std::int32_t line, std::string_view token, std::int32_t job,
                             std::int32_t op,
                             JobStep& step) { return ReadTime(line, token, job, op, step.p); };
    const auto readMachine = [&](std::int32_t line, std::string_view token, std::int32_t job,
                                 std::int32_t op, JobStep& step) {
        return ReadMachine(line, token, 1, instance.MachineCount, job, op, step.M);
    };
    if (Fault fault = ExpectSection(cursor, "times", "Times")) return fault;
    if (Fault fault = ReadRows(cursor, instance, "Times", readTime)) return fault;
    if (Fault fault = ExpectSection(cursor, "machines", "Machines")) return fault;
    if (Fault fault = ReadRows(cursor, instance, "Machines", readMachine)) return fault;
    return CheckNoMoreData(cursor, instance.JobCount);
}

}  // namespace jobshop
