#include "driver/Command.h"
#include "driver/ConvertCommand.h"

int main(int argc, char** argv) {
    return jobshop::RunMain(argc, argv, jobshop::RunConvert);
}
