#include <iostream>

#include "driver/Console.h"
#include "driver/Run.h"

int main() {
    jobshop::PrepareProcess();
    const int status = jobshop::RunProgram(std::cin, std::cout, std::cerr, ".");
    jobshop::WaitForKeyPress();
    return status;
}
