#include <iostream>
#include <string>
#include <vector>

#include "driver/ConvertCommand.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return jobshop::RunConvert(args, std::cout, std::cerr);
}
