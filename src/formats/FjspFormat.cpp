#include "formats/FjspFormat.h"

#include "formats/Fields.h"

namespace jobshop {
namespace {

using Kind = FormatError::Kind;

// The average is often a fraction ("1.5"); it only has to look like a number.
bool IsAverage(std::string_view token) {
    return !token.empty() && token.find_first_not_of("0123456789.") == std::string_view::npos;
}

Fault ReadJobLine(const TextLine& line, std::int32_t job, Instance& instance) {
    const std::string jobNumber = std::to_string(job);
    if (!AllIntegers(line))
        return FaultAt(line.number, Kind::kNotFjspJob, {jobNumber, Quoted(line.text)});
    const std::vector<std::string_view>& tokens = line.tokens;
    const std::int32_t count = *ParseInteger(tokens[0]);
    std::vector<JobStep> steps;
    std::size_t pos = 1;
    for (std::int32_t op = 1; op <= count; ++op) {
        const std::string opNumber = std::to_string(op);
        if (pos == tokens.size()) {
            return FaultAt(line.number, Kind::kJobEndsBefore,
                           {jobNumber, opNumber, std::to_string(count)});
        }
        const std::int32_t choices = *ParseInteger(tokens[pos]);
        if (choices != 1) {
            return FaultAt(line.number, Kind::kFlexibleOperation,
                           {jobNumber, opNumber, std::to_string(choices)});
        }
        if (tokens.size() - pos < 3) {
            return FaultAt(line.number, Kind::kJobEndsInside, {jobNumber, opNumber});
        }
        JobStep& step = steps.emplace_back();
        if (Fault fault = ReadMachine(line.number, tokens[pos + 1], 1, instance.MachineCount, job,
                                      op, step.M)) {
            return fault;
        }
        if (Fault fault = ReadTime(line.number, tokens[pos + 2], job, op, step.p)) return fault;
        pos += 3;
    }
    if (pos != tokens.size()) {
        return FaultAt(line.number, Kind::kNumbersAfterOps, {jobNumber, std::to_string(count)});
    }
    if (Fault fault = CheckOperationCount(line.number, job, count, instance.MachineCount)) {
        return fault;
    }
    instance.Jobs.push_back(std::move(steps));
    return std::nullopt;
}

}  // namespace

bool IsFjspJobLine(const TextLine& line) {
    if (line.tokens.empty() || !AllIntegers(line)) return false;
    std::int64_t left = *ParseInteger(line.tokens[0]);
    std::size_t pos = 1;
    for (; left > 0 && pos < line.tokens.size(); --left) {
        const std::int64_t choices = *ParseInteger(line.tokens[pos]);
        if (choices < 1) return false;
        pos += 1 + 2 * static_cast<std::size_t>(choices);
    }
    return left == 0 && pos == line.tokens.size();
}

std::vector<InstanceBlock> FindFjspInstances(const SourceText& source) {
    return {{"", 0, source.LineCount()}};
}

Fault ReadFjspInstance(const SourceText& source, const InstanceBlock& block, Instance& instance) {
    instance = Instance();
    LineCursor cursor(source, block.begin, block.end);
    const TextLine* sizes = cursor.Next();
    if (sizes == nullptr) return FaultAt(0, Kind::kNoInstance);
    const std::vector<std::string_view>& tokens = sizes->tokens;
    if (tokens.size() < 2 || tokens.size() > 3 || (tokens.size() == 3 && !IsAverage(tokens[2]))) {
        return FaultAt(sizes->number, Kind::kNotFjspSizes, {Quoted(sizes->text)});
    }
    if (Fault fault = ReadSizes(sizes->number, tokens[0], tokens[1], instance)) return fault;
    return ReadJobLines(cursor, instance, ReadJobLine);
}

}  // namespace jobshop
