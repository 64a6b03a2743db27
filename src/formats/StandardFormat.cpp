#include "formats/StandardFormat.h"

#include "formats/Fields.h"

namespace jobshop {
namespace {

using Kind = FormatError::Kind;

bool IsSizeLine(const TextLine& line) {
    return line.tokens.size() == 2 && AllIntegers(line);
}

Fault ReadJobLine(const TextLine& line, std::int32_t job, Instance& instance) {
    const std::int32_t m = instance.MachineCount;
    const std::size_t count = line.tokens.size();
    if (count != 2 * static_cast<std::size_t>(m)) {
        if (!AllIntegers(line)) {
            return FaultAt(line.number, Kind::kNotJobPairs,
                           {std::to_string(job), Quoted(line.text)});
        }
        if (count % 2 != 0) {
            return FaultAt(line.number, Kind::kOddNumbers,
                           {std::to_string(job), std::to_string(count)});
        }
        return CheckOperationCount(line.number, job, count / 2, m);
    }
    std::vector<JobStep>& steps = instance.Jobs.emplace_back(m);
    for (std::int32_t op = 1; op <= m; ++op) {
        JobStep& step = steps[op - 1];
        const std::string_view machine = line.tokens[2 * (op - 1)];
        const std::string_view time = line.tokens[2 * (op - 1) + 1];
        if (Fault fault = ReadMachine(line.number, machine, 0, m, job, op, step.M)) return fault;
        if (Fault fault = ReadTime(line.number, time, job, op, step.p)) return fault;
    }
    return std::nullopt;
}

}  // namespace

bool IsInstanceLine(const TextLine& line) {
    return !line.tokens.empty() && line.tokens[0] == "instance";
}

std::vector<InstanceBlock> FindStandardInstances(const SourceText& source) {
    std::vector<InstanceBlock> blocks;
    for (std::size_t i = 0; i < source.LineCount(); ++i) {
        const TextLine line = source.Line(i);
        if (!IsInstanceLine(line)) continue;
        if (!blocks.empty()) blocks.back().end = i;
        const std::string_view name = line.tokens.size() == 2 ? line.tokens[1] : "";
        blocks.push_back({std::string(name), i + 1, source.LineCount()});
    }
    if (blocks.empty()) blocks.push_back({"", 0, source.LineCount()});
    return blocks;
}

Fault ReadStandardInstance(const SourceText& source, const InstanceBlock& block,
                           Instance& instance) {
    instance = Instance{block.name, 0, 0, {}};
    if (block.begin > 0) {
        const TextLine header = source.Line(block.begin - 1);
        if (header.tokens.size() != 2) {
            return FaultAt(header.number, Kind::kBadInstanceLine, {Quoted(header.text)});
        }
    }
    LineCursor cursor(source, block.begin, block.end);
    const TextLine* sizes = cursor.Next();
    // An instance introduced by its `instance` line has its line of
    // description first; tolerate a file that leaves it out. One without
    // (the JSPLIB layout, named after its file later) starts with its counts.
    const bool introduced = block.begin > 0;
    if (introduced && sizes != nullptr && !IsSizeLine(*sizes)) sizes = cursor.Next();
    if (sizes == nullptr) return FaultAt(cursor.LastLine(), Kind::kNoSizeLine);
    if (!IsSizeLine(*sizes))
        return FaultAt(sizes->number, Kind::kNotSizeLine, {Quoted(sizes->text)});
    if (Fault fault = ReadSizes(sizes->number, sizes->tokens[0], sizes->tokens[1], instance)) {
        return fault;
    }
    return ReadJobLines(cursor, instance, ReadJobLine);
}

}  // namespace jobshop
