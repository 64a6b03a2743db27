#include "formats/ProgramFormat.h"

#include "formats/Fields.h"

namespace jobshop {

std::vector<InstanceBlock> FindProgramInstances(const SourceText& source) {
    for (std::size_t i = 0; i < source.LineCount(); ++i) {
        const TextLine line = source.Line(i);
        if (!line.tokens.empty()) return {{std::string(line.tokens[0]), 0, source.LineCount()}};
    }
    return {{"", 0, source.LineCount()}};
}

std::optional<FormatError> ProgramInstance(const Model& model, Instance& instance) {
    if (Fault fault = CheckSizes(0, model.JobCount, model.MachineCount)) return fault;
    instance = Instance{model.InstanceName, model.JobCount, model.MachineCount, {}};
    Operation k = 1;
    for (std::int32_t job = 1; job <= model.JobCount; ++job) {
        std::vector<JobStep>& steps = instance.Jobs.emplace_back();
        for (std::int32_t op = 1; op <= model.MachineCount; ++op, ++k) {
            if (Fault fault = CheckTime(0, model.p[k], job, op)) return fault;
            steps.push_back({model.M[k], model.p[k]});
        }
    }
    return std::nullopt;
}

}  // namespace jobshop
