#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "TestSupport.h"
#include "formats/Generator.h"
#include "formats/InstanceWriter.h"

namespace jobshop {
namespace {

using testing::ReadText;
using testing::SourcePath;

// Taillard published the seeds of his instances; his generator, run from
// them, must give the bundled files byte for byte.
TEST(Generator, MakesEveryTaillardInstanceFromItsSeeds) {
    std::ifstream seeds(SourcePath("benchmarks/taillard-seeds.tsv"));
    std::string line;
    std::getline(seeds, line);  // the header
    int checked = 0;
    while (std::getline(seeds, line)) {
        std::istringstream fields(line);
        std::string name;
        std::int32_t jobs = 0, machines = 0, timeSeed = 0, machineSeed = 0;
        ASSERT_TRUE(fields >> name >> jobs >> machines >> timeSeed >> machineSeed) << line;
        const Instance made = GenerateTaillard(name, jobs, machines, {timeSeed, machineSeed});
        EXPECT_EQ(ProgramText(made), ReadText(SourcePath("benchmarks/" + name + ".txt"))) << name;
        ++checked;
    }
    EXPECT_EQ(checked, 80);
}

// Schrage's method must agree with the plain product in 64 bits, at the
// ends of the seed range too.
TEST(Generator, LehmerStepEqualsTheProductModuloTheMersennePrime) {
    for (const std::int64_t seed : {1LL, 2LL, 127773LL, 127774LL, 2147483646LL, 840612802LL}) {
        TaillardRandom random(static_cast<std::int32_t>(seed));
        random.Uniform(1, 1);
        EXPECT_EQ(random.seed(), seed * 16807 % 2147483647) << seed;
    }
}

TEST(Generator, NamesCarryWhatMakesTheInstanceAgain) {
    const GeneratorSeeds seeds = ClassSeeds(12345, 3);
    const TimeRange times{5, 20};
    const std::string name = GeneratedName(7, 4, seeds, times);
    const std::optional<GeneratedNameParts> parts = ParseGeneratedName(name);
    ASSERT_TRUE(parts) << name;
    EXPECT_EQ(ProgramText(
                  GenerateTaillard(name, parts->jobs, parts->machines, parts->seeds, parts->times)),
              ProgramText(GenerateTaillard(name, 7, 4, seeds, times)));
    for (const char* bad : {"gen7x4_t5-20_1", "gen7x4_t5-20_1_2x", "ta01", "gen7x_t1-2_3_4"}) {
        EXPECT_FALSE(ParseGeneratedName(bad)) << bad;
    }
}

TEST(Generator, TimesStayInTheirRangeAndEachJobVisitsEveryMachineOnce) {
    const Instance made = GenerateTaillard("x", 30, 9, ClassSeeds(99, 0), {3, 5});
    for (const std::vector<JobStep>& job : made.Jobs) {
        std::vector<bool> seen(10, false);
        for (const JobStep& step : job) {
            EXPECT_TRUE(step.p >= 3 && step.p <= 5);
            ASSERT_TRUE(step.M >= 1 && step.M <= 9);
            EXPECT_FALSE(seen[step.M]);
            seen[step.M] = true;
        }
    }
}

}  // namespace
}  // namespace jobshop
