#include "driver/Command.h"
#include "driver/ReplayCommand.h"

int main(int argc, char** argv) {
    return jobshop::RunMain(argc, argv, jobshop::RunReplay);
}
