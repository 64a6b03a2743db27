#include "driver/Command.h"
#include "driver/ImproveCommand.h"

int main(int argc, char** argv) {
    return jobshop::RunMain(argc, argv, jobshop::RunImprove);
}
