#include <iostream>
#include <string>
#include <vector>

#include "driver/QualityCommand.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return jobshop::RunQuality(args, JOBSHOP_BENCHMARKS_DIR, std::cout, std::cerr);
}
