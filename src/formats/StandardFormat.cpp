#include "formats/StandardFormat.h"

#include "formats/Fields.h"

namespace jobshop {
namespace {

bool IsSizeLine(const TextLine& line) {
    return line.tokens.size() == 2 && AllIntegers(line);
}

Status ReadJobLine(const SourceText& source, const TextLine& line, std::int32_t job,
                   Instance& instance) {
    const std::int32_t m = instance.MachineCount;
    const std::size_t count = line.tokens.size();
    if (count != 2 * static_cast<std::size_t>(m)) {
        if (!AllIntegers(line)) {
            return source.ErrorAt(line.number, "expected the machine/time pairs of job " +
                                                   std::to_string(job) + ", found " +
                                                   Quoted(line.text));
        }
        if (count % 2 != 0) {
            return source.ErrorAt(line.number, "job " + std::to_string(job) + " has " +
                                                   std::to_string(count) +
                                                   " numbers, not machine/time pairs");
        }
        return CheckOperationCount(source, line.number, job, count / 2, m);
    }
    std::vector<JobStep>& steps = instance.Jobs.emplace_back(m);
    for (std::int32_t op = 1; op <= m; ++op) {
        const std::string label = OperationLabel(job, op);
        JobStep& step = steps[op - 1];
        const std::string_view machine = line.tokens[2 * (op - 1)];
        const std::string_view time = line.tokens[2 * (op - 1) + 1];
        if (Status s = ReadMachine(source, line.number, machine, 0, m, label, step.M); !s.ok()) {
            return s;
        }
        if (Status s = ReadTime(source, line.number, time, label, step.p); !s.ok()) return s;
    }
    return Status::Ok();
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

Status ReadStandardInstance(const SourceText& source, const InstanceBlock& block,
                            Instance& instance) {
    instance = Instance{block.name, 0, 0, {}};
    if (block.begin > 0) {
        const TextLine header = source.Line(block.begin - 1);
        if (header.tokens.size() != 2) {
            return source.ErrorAt(header.number,
                                  "expected \"instance NAME\", one word after "
                                  "\"instance\", found " +
                                      Quoted(header.text));
        }
    }
    LineCursor cursor(source, block.begin, block.end);
    const TextLine* sizes = cursor.Next();
    // An instance introduced by its `instance` line has its line of
    // description first; tolerate a file that leaves it out. One without
    // (the JSPLIB layout, named after its file later) starts with its counts.
    const bool introduced = block.begin > 0;
    if (introduced && sizes != nullptr && !IsSizeLine(*sizes)) sizes = cursor.Next();
    if (sizes == nullptr) {
        return source.ErrorAt(cursor.LastLine(),
                              "the instance ends before its line of job and machine counts");
    }
    if (!IsSizeLine(*sizes)) {
        return source.ErrorAt(
            sizes->number,
            "expected the number of jobs and the number of machines, found " + Quoted(sizes->text));
    }
    if (Status s = ReadSizes(source, sizes->number, sizes->tokens[0], sizes->tokens[1], instance);
        !s.ok()) {
        return s;
    }
    return ReadJobLines(source, cursor, instance, ReadJobLine);
}

}  // namespace jobshop
