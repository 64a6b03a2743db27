#include "formats/TaillardFormat.h"

#include "formats/Fields.h"

namespace jobshop {
namespace {

constexpr std::string_view kJobShopHeader = "nb of jobs";
constexpr std::string_view kOtherShopHeader = "number of jobs";

// The flow-shop header names one "initial seed"; the open-shop header has a
// time seed and a machine seed like the job-shop one, but in lower case.
std::string OtherShopProblem(const TextLine& header) {
    const bool flowShop = header.text.find("initial seed") != std::string_view::npos;
    return std::string("this is a Taillard ") + (flowShop ? "flow-shop" : "open-shop") +
           " file, not a job-shop file (header \"Nb of jobs, Nb of Machines, ...\")";
}

Status ExpectSection(const SourceText& source, LineCursor& cursor, std::string_view word,
                     std::string_view title) {
    const TextLine* line = cursor.Next();
    if (line != nullptr && IsSectionLine(*line, word)) return Status::Ok();
    const std::string found = line != nullptr ? ", found " + Quoted(line->text) : "";
    return source.ErrorAt(line != nullptr ? line->number : cursor.LastLine(),
                          "expected the line \"" + std::string(title) + "\"" + found);
}

// Reads the n rows of m numbers of one section; `cell` reads one of them.
template <typename ReadCell>
Status ReadRows(const SourceText& source, LineCursor& cursor, Instance& instance,
                std::string_view title, ReadCell cell) {
    const std::int32_t m = instance.MachineCount;
    for (std::int32_t job = 1; job <= instance.JobCount; ++job) {
        const TextLine* row = cursor.Next();
        if (row == nullptr) {
            return Truncated(source, cursor, job - 1, instance.JobCount,
                             "rows of " + std::string(title));
        }
        if (row->tokens.size() != static_cast<std::size_t>(m)) {
            if (!AllIntegers(*row)) {
                return source.ErrorAt(row->number, "expected row " + std::to_string(job) + " of " +
                                                       std::string(title) + ", found " +
                                                       Quoted(row->text));
            }
            return CheckOperationCount(source, row->number, job, row->tokens.size(), m);
        }
        if (instance.Jobs.size() < static_cast<std::size_t>(job)) instance.Jobs.emplace_back(m);
        for (std::int32_t op = 1; op <= m; ++op) {
            JobStep& step = instance.Jobs[job - 1][op - 1];
            if (Status s = cell(*row, OperationLabel(job, op), row->tokens[op - 1], step);
                !s.ok()) {
                return s;
            }
        }
    }
    return Status::Ok();
}

Status ReadHeader(const SourceText& source, LineCursor& cursor, Instance& instance) {
    const TextLine* line = cursor.Next();
    if (line != nullptr && !ParseInteger(line->tokens[0])) {
        if (StartsWithWords(*line, kOtherShopHeader)) {
            return source.ErrorAt(line->number, OtherShopProblem(*line));
        }
        if (!StartsWithWords(*line, kJobShopHeader)) {
            return source.ErrorAt(
                line->number, "expected the header \"Nb of jobs, Nb of Machines, ...\", found " +
                                  Quoted(line->text));
        }
        line = cursor.Next();
    }
    if (line == nullptr) return source.ErrorAt(cursor.LastLine(), "the instance ends early");
    // n, m, the two seeds and the two bounds; only n and m are used.
    if (line->tokens.size() < 2 || line->tokens.size() > 6 || !AllIntegers(*line)) {
        return source.ErrorAt(line->number,
                              "expected the numbers of jobs and machines (then seeds and "
                              "bounds), found " +
                                  Quoted(line->text));
    }
    return ReadSizes(source, line->number, line->tokens[0], line->tokens[1], instance);
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

Status ReadTaillardInstance(const SourceText& source, const InstanceBlock& block,
                            Instance& instance) {
    instance = Instance();
    LineCursor cursor(source, block.begin, block.end);
    if (Status s = ReadHeader(source, cursor, instance); !s.ok()) return s;
    // The rows are read as they come, so a file that claims a huge instance
    // and ends early never reserves memory for the claim.
    const auto readTime = [&](const TextLine& row, const std::string& label, std::string_view token,
                              JobStep& step) {
        return ReadTime(source, row.number, token, label, step.p);
    };
    const auto readMachine = [&](const TextLine& row, const std::string& label,
                                 std::string_view token, JobStep& step) {
        return ReadMachine(source, row.number, token, 1, instance.MachineCount, label, step.M);
    };
    if (Status s = ExpectSection(source, cursor, "times", "Times"); !s.ok()) return s;
    if (Status s = ReadRows(source, cursor, instance, "Times", readTime); !s.ok()) return s;
    if (Status s = ExpectSection(source, cursor, "machines", "Machines"); !s.ok()) return s;
    if (Status s = ReadRows(source, cursor, instance, "Machines", readMachine); !s.ok()) return s;
    return CheckNoMoreData(source, cursor, instance.JobCount);
}

}  // namespace jobshop
