#include "formats/Fields.h"

#include "model/Model.h"

namespace jobshop {
namespace {

using Kind = FormatError::Kind;

std::string Number(std::int64_t value) {
    return std::to_string(value);
}

}  // namespace

FormatError FaultAt(std::int32_t line, FormatError::Kind kind, std::vector<std::string> args) {
    return FormatError{kind, line, std::move(args), {}};
}

Fault CheckSizes(std::int32_t line, std::int64_t jobs, std::int64_t machines) {
    if (jobs < 1 || machines < 1) {
        return FaultAt(line, Kind::kSizesBelowOne, {Number(jobs), Number(machines)});
    }
    if (jobs * machines > kMaxOpCount) {
        return FaultAt(line, Kind::kTooManyOperations, {Number(jobs), Number(machines)});
    }
    return std::nullopt;
}

Fault ReadSizes(std::int32_t line, std::string_view jobs, std::string_view machines,
                Instance& instance) {
    for (const std::string_view token : {jobs, machines}) {
        if (!ParseInteger(token)) return FaultAt(line, Kind::kCountNotInteger, {Quoted(token)});
    }
    instance.JobCount = *ParseInteger(jobs);
    instance.MachineCount = *ParseInteger(machines);
    return CheckSizes(line, instance.JobCount, instance.MachineCount);
}

Fault ReadMachine(std::int32_t line, std::string_view token, std::int32_t first,
                  std::int32_t machineCount, std::int32_t job, std::int32_t op, std::int32_t& M) {
    const std::optional<std::int32_t> machine = ParseInteger(token);
    if (!machine) {
        return FaultAt(line, Kind::kMachineNotInteger, {Quoted(token), Number(job), Number(op)});
    }
    const std::int64_t last = std::int64_t{first} + machineCount - 1;
    if (*machine < first || *machine > last) {
        return FaultAt(line, Kind::kMachineOutOfRange,
                       {Number(*machine), Number(job), Number(op), Number(first), Number(last)});
    }
    M = *machine - first + 1;
    return std::nullopt;
}

Fault CheckTime(std::int32_t line, std::int32_t p, std::int32_t job, std::int32_t op) {
    if (p >= 0) return std::nullopt;
    return FaultAt(line, Kind::kTimeNegative, {Number(p), Number(job), Number(op)});
}

Fault ReadTime(std::int32_t line, std::string_view token, std::int32_t job, std::int32_t op,
               std::int32_t& p) {
    const std::optional<std::int32_t> time = ParseInteger(token);
    if (!time)
        return FaultAt(line, Kind::kTimeNotInteger, {Quoted(token), Number(job), Number(op)});
    p = *time;
    return CheckTime(line, p, job, op);
}

Fault CheckOperationCount(std::int32_t line, std::int32_t job, std::int64_t count,
                          std::int32_t machineCount) {
    if (count == machineCount) return std::nullopt;
    return FaultAt(line, Kind::kOperationCount, {Number(job), Number(count), Number(machineCount)});
}

FormatError Truncated(const LineCursor& cursor, std::int32_t done, std::int32_t total,
                      std::string_view rowsOf) {
    if (rowsOf.empty()) {
        return FaultAt(cursor.LastLine(), Kind::kTruncatedJobs, {Number(done), Number(total)});
    }
    return FaultAt(cursor.LastLine(), Kind::kTruncatedRows,
                   {Number(done), Number(total), std::string(rowsOf)});
}

Fault CheckNoMoreData(LineCursor& cursor, std::int32_t jobCount) {
    const TextLine* line = cursor.Next();
    if (line == nullptr || !AllIntegers(*line)) return std::nullopt;
    return FaultAt(line->number, Kind::kNumbersAfterJobs, {Number(jobCount)});
}

Fault ReadJobLines(LineCursor& cursor, Instance& instance, JobLineReader readJob) {
    for (std::int32_t job = 1; job <= instance.JobCount; ++job) {
        const TextLine* line = cursor.Next();
        if (line == nullptr) return Truncated(cursor, job - 1, instance.JobCount);
        if (Fault fault = readJob(*line, job, instance)) return fault;
    }
    return CheckNoMoreData(cursor, instance.JobCount);
}

}  // namespace jobshop
