#include "driver/Command.h"
#include "driver/GenerateCommand.h"

int main(int argc, char** argv) {
    return jobshop::RunMain(argc, argv, jobshop::RunGenerate);
}
