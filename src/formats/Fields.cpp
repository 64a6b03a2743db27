#include "formats/Fields.h"

#include "model/Model.h"

namespace jobshop {

std::string OperationLabel(std::int32_t job, std::int32_t op) {
    return "job " + std::to_string(job) + ", operation " + std::to_string(op);
}

Status CheckSizes(const SourceText& source, std::int32_t line, std::int64_t jobs,
                  std::int64_t machines) {
    if (jobs < 1 || machines < 1) {
        return source.ErrorAt(line, "the numbers of jobs and machines must be at least 1, found " +
                                        std::to_string(jobs) + " and " + std::to_string(machines));
    }
    if (jobs * machines > kMaxOpCount) {
        return source.ErrorAt(line, std::to_string(jobs) + " jobs on " + std::to_string(machines) +
                                        " machines are more operations than the program holds");
    }
    return Status::Ok();
}

Status ReadSizes(const SourceText& source, std::int32_t line, std::string_view jobs,
                 std::string_view machines, Instance& instance) {
    for (const std::string_view token : {jobs, machines}) {
        if (!ParseInteger(token)) {
            return source.ErrorAt(line, "the count " + Quoted(token) + " is not an integer");
        }
    }
    instance.JobCount = *ParseInteger(jobs);
    instance.MachineCount = *ParseInteger(machines);
    return CheckSizes(source, line, instance.JobCount, instance.MachineCount);
}

Status ReadMachine(const SourceText& source, std::int32_t line, std::string_view token,
                   std::int32_t first, std::int32_t machineCount, const std::string& label,
                   std::int32_t& M) {
    const std::optional<std::int32_t> machine = ParseInteger(token);
    if (!machine) {
        return source.ErrorAt(line,
                              "machine " + Quoted(token) + " of " + label + " is not an integer");
    }
    const std::int64_t last = std::int64_t{first} + machineCount - 1;
    if (*machine < first || *machine > last) {
        return source.ErrorAt(line, "machine " + std::to_string(*machine) + " of " + label +
                                        " is out of range " + std::to_string(first) + ".." +
                                        std::to_string(last));
    }
    M = *machine - first + 1;
    return Status::Ok();
}

Status CheckTime(const SourceText& source, std::int32_t line, std::int32_t p,
                 const std::string& label) {
    if (p >= 0) return Status::Ok();
    return source.ErrorAt(line, "time " + std::to_string(p) + " of " + label + " is negative");
}

Status ReadTime(const SourceText& source, std::int32_t line, std::string_view token,
                const std::string& label, std::int32_t& p) {
    const std::optional<std::int32_t> time = ParseInteger(token);
    if (!time) {
        return source.ErrorAt(line,
                              "time " + Quoted(token) + " of " + label + " is not an integer");
    }
    p = *time;
    return CheckTime(source, line, p, label);
}

Status CheckOperationCount(const SourceText& source, std::int32_t line, std::int32_t job,
                           std::int64_t count, std::int32_t machineCount) {
    if (count == machineCount) return Status::Ok();
    return source.ErrorAt(line, "job " + std::to_string(job) + " has " + std::to_string(count) +
                                    " operations; the program needs exactly " +
                                    std::to_string(machineCount) + ", one per machine");
}

Status Truncated(const SourceText& source, const LineCursor& cursor, std::int32_t done,
                 std::int32_t total, std::string_view items) {
    return source.ErrorAt(cursor.LastLine(), "the instance ends after " + std::to_string(done) +
                                                 " of its " + std::to_string(total) + " " +
                                                 std::string(items) + " (file truncated?)");
}

Status CheckNoMoreData(const SourceText& source, LineCursor& cursor, std::int32_t jobCount) {
    const TextLine* line = cursor.Next();
    if (line == nullptr || !AllIntegers(*line)) return Status::Ok();
    return source.ErrorAt(line->number, "numbers after the last of the " +
                                            std::to_string(jobCount) +
                                            " jobs (more jobs than the instance declares?)");
}

Status ReadJobLines(const SourceText& source, LineCursor& cursor, Instance& instance,
                    JobLineReader readJob) {
    for (std::int32_t job = 1; job <= instance.JobCount; ++job) {
        const TextLine* line = cursor.Next();
        if (line == nullptr) return Truncated(source, cursor, job - 1, instance.JobCount, "jobs");
        if (Status s = readJob(source, *line, job, instance); !s.ok()) return s;
    }
    return CheckNoMoreData(source, cursor, instance.JobCount);
}

}  // namespace jobshop
