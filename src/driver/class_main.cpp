#include "driver/ClassCommand.h"
#include "driver/Command.h"

int main(int argc, char** argv) {
    return jobshop::RunMain(argc, argv, jobshop::RunClass);
}
