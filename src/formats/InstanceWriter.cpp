#include "formats/InstanceWriter.h"

namespace jobshop {
namespace {

void AppendJobLines(const Instance& instance, std::int32_t firstMachine, std::string& text) {
    for (const std::vector<JobStep>& job : instance.Jobs) {
        const char* separator = "";
        for (const JobStep& step : job) {
            text += separator;
            text += std::to_string(step.M - 1 + firstMachine);
            text += ' ';
            text += std::to_string(step.p);
            separator = " ";
        }
        text += '\n';
    }
}

std::string SizeLine(const Instance& instance) {
    return std::to_string(instance.JobCount) + " " + std::to_string(instance.MachineCount) + "\n";
}

}  // namespace

std::string ProgramText(const Instance& instance) {
    std::string text = instance.InstanceName + "\n" + SizeLine(instance);
    AppendJobLines(instance, 1, text);
    return text;
}

std::string StandardText(const Instance& instance) {
    std::string text = "instance " + instance.InstanceName + "\n" + instance.InstanceName + ": " +
                       std::to_string(instance.JobCount) + " jobs, " +
                       std::to_string(instance.MachineCount) + " machines\n" + SizeLine(instance);
    AppendJobLines(instance, 0, text);
    return text;
}

}  // namespace jobshop
