// For the page's tests: the instance code the C++ encoder gives, so that
// the web edition's decoder can be checked against it. Reads lines of
// "NAME_HEX JOBS MACHINES M p M p ..." (any name bytes, any 32-bit numbers)
// on standard input and prints each instance's code on a line.
#include <iostream>
#include <sstream>
#include <string>

#include "formats/InstanceCode.h"

int main() {
    for (std::string line; std::getline(std::cin, line);) {
        std::istringstream in(line);
        std::string hex;
        jobshop::Instance instance;
        in >> hex >> instance.JobCount >> instance.MachineCount;
        if (hex == "-") hex.clear();
        for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
            instance.InstanceName += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
        }
        instance.Jobs.assign(static_cast<std::size_t>(instance.JobCount), {});
        for (auto& job : instance.Jobs) {
            job.resize(static_cast<std::size_t>(instance.MachineCount));
            for (auto& step : job) in >> step.M >> step.p;
        }
        std::cout << jobshop::InstanceCode(instance) << '\n';
    }
    return std::cout ? 0 : 1;
}
