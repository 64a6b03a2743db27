// For the page's tests: jobshop-convert run many times in one process, so
// that the web edition's reading can be checked against it on every
// benchmark without starting the program hundreds of times. Each line of
// standard input holds one run's arguments, separated by tabs; each run is
// printed as "STATUS OUT_BYTES ERR_BYTES\n", its output, its messages.
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "driver/ConvertCommand.h"

int main() {
    for (std::string line; std::getline(std::cin, line);) {
        std::vector<std::string> args;
        std::istringstream words(line);
        for (std::string arg; std::getline(words, arg, '\t');) args.push_back(arg);
        std::ostringstream out, err;
        const int status = jobshop::RunConvert(args, out, err);
        std::cout << status << ' ' << out.str().size() << ' ' << err.str().size() << '\n'
                  << out.str() << err.str();
    }
    return std::cout ? 0 : 1;
}
