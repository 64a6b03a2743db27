#include "formats/FjspFormat.h"

#include "formats/Fields.h"

namespace jobshop {
namespace {

// The average is often a fraction ("1.5"); it only has to look like a number.
bool IsAverage(std::string_view token) {
    return !token.empty() && token.find_first_not_of("0123456789.") == std::string_view::npos;
}

Status ReadJobLine(const SourceText& source, const TextLine& line, std::int32_t job,
                   Instance& instance) {
    const std::string jobName = "job " + std::to_string(job);
    if (!AllIntegers(line)) {
        return source.ErrorAt(
            line.number, "expected the operations of " + jobName + ", found " + Quoted(line.text));
    }
    const std::vector<std::string_view>& tokens = line.tokens;
    const std::int32_t count = *ParseInteger(tokens[0]);
    std::vector<JobStep> steps;
    std::size_t pos = 1;
    for (std::int32_t op = 1; op <= count; ++op) {
        const std::string label = OperationLabel(job, op);
        if (pos == tokens.size()) {
            return source.ErrorAt(line.number, jobName + " ends before its operation " +
                                                   std::to_string(op) + " of " +
                                                   std::to_string(count));
        }
        const std::int32_t choices = *ParseInteger(tokens[pos]);
        if (choices != 1) {
            return source.ErrorAt(line.number,
                                  label + " can run on " + std::to_string(choices) +
                                      " machines; only operations with exactly one machine "
                                      "form a job shop");
        }
        if (tokens.size() - pos < 3) {
            return source.ErrorAt(line.number, jobName + " ends inside " + label);
        }
        JobStep& step = steps.emplace_back();
        if (Status s = ReadMachine(source, line.number, tokens[pos + 1], 1, instance.MachineCount,
                                   label, step.M);
            !s.ok()) {
            return s;
        }
        if (Status s = ReadTime(source, line.number, tokens[pos + 2], label, step.p); !s.ok()) {
            return s;
        }
        pos += 3;
    }
    if (pos != tokens.size()) {
        return source.ErrorAt(line.number, jobName + " has numbers after its " +
                                               std::to_string(count) + " operations");
    }
    if (Status s = CheckOperationCount(source, line.number, job, count, instance.MachineCount);
        !s.ok()) {
        return s;
    }
    instance.Jobs.push_back(std::move(steps));
    return Status::Ok();
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

Status ReadFjspInstance(const SourceText& source, const InstanceBlock& block, Instance& instance) {
    instance = Instance();
    LineCursor cursor(source, block.begin, block.end);
    const TextLine* sizes = cursor.Next();
    if (sizes == nullptr) return source.ErrorAt(0, "the file holds no instance");
    const std::vector<std::string_view>& tokens = sizes->tokens;
    if (tokens.size() < 2 || tokens.size() > 3 || (tokens.size() == 3 && !IsAverage(tokens[2]))) {
        return source.ErrorAt(sizes->number,
                              "expected the numbers of jobs and machines (and the average "
                              "number of machines per operation), found " +
                                  Quoted(sizes->text));
    }
    if (Status s = ReadSizes(source, sizes->number, tokens[0], tokens[1], instance); !s.ok()) {
        return s;
    }
    return ReadJobLines(source, cursor, instance, ReadJobLine);
}

}  // namespace jobshop
