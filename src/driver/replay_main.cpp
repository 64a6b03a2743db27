#include <iostream>
#include <string>
#include <vector>

#include "driver/ReplayCommand.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return jobshop::RunReplay(args, std::cout, std::cerr);
}
