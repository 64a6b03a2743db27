#include "driver/Command.h"
#include "driver/QualityCommand.h"

int main(int argc, char** argv) {
    return jobshop::RunMain(argc, argv, [](auto args, auto& out, auto& err) {
        return jobshop::RunQuality(args, JOBSHOP_BENCHMARKS_DIR, out, err);
    });
}
