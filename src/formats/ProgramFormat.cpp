#include "formats/ProgramFormat.h"

#include "driver/Loader.h"
#include "formats/Fields.h"

namespace jobshop {
namespace {

// The loader speaks of input.txt and frames its message in line ends for the
// console; here it becomes one line about the file really read.
std::string RenamedMessage(std::string message, const std::string& displayName) {
    const std::size_t at = message.find(kInstanceFileName);
    if (at != std::string::npos) message.replace(at, kInstanceFileName.size(), displayName);
    const std::size_t first = message.find_first_not_of('\n');
    const std::size_t last = message.find_last_not_of('\n');
    return first == std::string::npos ? std::string() : message.substr(first, last - first + 1);
}

}  // namespace

Status LoadProgramText(std::string_view text, const std::string& displayName, Model& model) {
    Status status = LoadInstance(text, model);
    if (status.ok()) return status;
    return Status::Failure(RenamedMessage(status.message(), displayName));
}

std::vector<InstanceBlock> FindProgramInstances(const SourceText& source) {
    for (const TextLine& line : source.lines) {
        if (!line.tokens.empty()) return {{std::string(line.tokens[0]), 0, source.lines.size()}};
    }
    return {{"", 0, source.lines.size()}};
}

Status ReadProgramInstance(const SourceText& source, const InstanceBlock&, Instance& instance) {
    Model model;
    if (Status s = LoadProgramText(source.text, source.displayName, model); !s.ok()) return s;
    // The format has no lines, so the messages below name the file alone.
    if (Status s = CheckSizes(source, 0, model.JobCount, model.MachineCount); !s.ok()) return s;
    instance = Instance{model.InstanceName, model.JobCount, model.MachineCount, {}};
    Operation k = 1;
    for (std::int32_t job = 1; job <= model.JobCount; ++job) {
        std::vector<JobStep>& steps = instance.Jobs.emplace_back();
        for (std::int32_t op = 1; op <= model.MachineCount; ++op, ++k) {
            if (Status s = CheckTime(source, 0, model.p[k], OperationLabel(job, op)); !s.ok()) {
                return s;
            }
            steps.push_back({model.M[k], model.p[k]});
        }
    }
    return Status::Ok();
}

}  // namespace jobshop
