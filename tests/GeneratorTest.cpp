#include <gtest/gtest.h>
#include <sys/statvfs.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "TestSupport.h"
#include "driver/GenerateCommand.h"
#include "formats/Generator.h"
#include "formats/InstanceWriter.h"

namespace jobshop {
namespace {

namespace fs = std::filesystem;
using testing::ReadText;
using testing::SourcePath;
using testing::TempFolder;

testing::RunResult Generate(const std::vector<std::string>& args) {
    return testing::RunCommand(
        [&](std::ostream& out, std::ostream& err) { return RunGenerate(args, out, err); });
}

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

// A class written into a folder: every file's name says how to make it
// again with --taillard, and doing so gives the same bytes; the same class
// seed gives the same files.
TEST(GenerateCommand, ClassInstancesAreMadeAgainFromTheirNames) {
    TempFolder scratch;
    const std::string folder = (scratch / "class").string();
    const std::vector<std::string> args = {"--jobs", "4",   "--machines", "3", "--times", "10-20",
                                           "--seed", "777", "--count",    "3", "-o",      folder};
    ASSERT_EQ(Generate(args).status, 0);
    std::vector<std::string> files = testing::FolderContent(folder);
    ASSERT_EQ(files.size(), 3u);
    for (const std::string& file : files) {
        const std::string name = file.substr(0, file.size() - 4);
        const std::optional<GeneratedNameParts> parts = ParseGeneratedName(name);
        ASSERT_TRUE(parts) << file;
        EXPECT_EQ(parts->times.low, 10);
        const testing::RunResult again = Generate(
            {"--taillard", std::to_string(parts->seeds.timeSeed),
             std::to_string(parts->seeds.machineSeed), "--jobs", std::to_string(parts->jobs),
             "--machines", std::to_string(parts->machines), "--times", "10-20"});
        EXPECT_EQ(again.out, ReadText(fs::path(folder) / file)) << file;
    }
    TempFolder other;
    ASSERT_EQ(Generate({"--jobs", "4", "--machines", "3", "--times", "10-20", "--seed", "777",
                        "--count", "3", "-o", other.path().string()})
                  .status,
              0);
    EXPECT_EQ(testing::FolderContent(other.path()), files);
}

TEST(GenerateCommand, UsageErrorsWriteNothing) {
    TempFolder scratch;
    const std::string out = (scratch / "x.txt").string();
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--jobs", "3"},
             {"--jobs", "0", "--machines", "3", "-o", out},
             {"--jobs", "3", "--machines", "3", "--times", "0-5", "-o", out},
             {"--jobs", "3", "--machines", "3", "--times", "9-5", "-o", out},
             {"--jobs", "3", "--machines", "3", "--seed", "2147483647", "-o", out},
             {"--jobs", "3", "--machines", "3", "--seed", "5", "--name", "x", "-o", out},
             {"--jobs", "3", "--machines", "3", "--count", "2"},
             {"--jobs", "5000", "--machines", "5000", "-o", out},
             // Numbers are decimal, as in the instance files.
             {"--jobs", "3", "--machines", "3", "--seed", "0x10", "-o", out},
             {"--jobs", "0x3", "--machines", "3", "-o", out},
             {"--jobs", "3", "--machines", "3", "--taillard", "5", "+5", "-o", out},
             {"--jobs", "3", "--machines", "3", "--seed", "5", "--count", "0b11", "-o", out},
         }) {
        const testing::RunResult result = Generate(args);
        EXPECT_EQ(result.status, 2) << args[1] << " " << result.err;
    }
    EXPECT_TRUE(testing::FolderContent(scratch.path()).empty());
    // A leading zero is no octal prefix.
    EXPECT_EQ(Generate({"--jobs", "3", "--machines", "3", "--seed", "010"}).out,
              Generate({"--jobs", "3", "--machines", "3", "--seed", "10"}).out);
}

// A class larger than the free space of its disk is refused at once, its
// folder not even made.
TEST(GenerateCommand, RefusesAClassItsDiskCannotHold) {
    TempFolder scratch;
    struct statvfs disk {};
    ASSERT_EQ(::statvfs(scratch.path().c_str(), &disk), 0);
    if (std::uint64_t{disk.f_bavail} * disk.f_frsize > 1'100'000'000'000) {
        GTEST_SKIP() << "this disk could hold the class";
    }
    const testing::RunResult result =
        Generate({"--jobs", "4096", "--machines", "4096", "--seed", "1", "--count", "10000", "-o",
                  (scratch / "class").string()});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("the instances take at least 1129063 MB"), std::string::npos)
        << result.err;
    EXPECT_TRUE(testing::FolderContent(scratch.path()).empty());
}

}  // namespace
}  // namespace jobshop
