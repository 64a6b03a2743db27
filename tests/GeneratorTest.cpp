#include <gtest/gtest.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <numeric>
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

// Taillard's generator as his paper gives it, in plain 64-bit arithmetic:
// the reference the program's Schrage version is held to.
struct ReferenceStream {
    std::int64_t seed;
    std::int64_t Next() { return seed = seed * 16807 % 2147483647; }
    std::int64_t Uniform(std::int64_t low, std::int64_t high) {
        return low + static_cast<std::int64_t>(static_cast<double>(Next()) / 2147483647.0 *
                                               static_cast<double>(high - low + 1));
    }
};

std::string ReferenceText(const std::string& name, int jobs, int machines, std::int64_t timeSeed,
                          std::int64_t machineSeed, std::int64_t low, std::int64_t high) {
    ReferenceStream times{timeSeed}, order{machineSeed};
    std::vector<std::vector<std::int64_t>> p(jobs);
    for (auto& job : p) {
        for (int i = 0; i < machines; ++i) job.push_back(times.Uniform(low, high));
    }
    std::string text = name + "\n" + std::to_string(jobs) + " " + std::to_string(machines) + "\n";
    for (const auto& job : p) {
        std::vector<int> m(machines);
        std::iota(m.begin(), m.end(), 1);
        for (int j = 1; j <= machines; ++j) std::swap(m[j - 1], m[order.Uniform(j, machines) - 1]);
        for (int i = 0; i < machines; ++i) {
            if (i > 0) text += ' ';
            text += std::to_string(m[i]);
            text += ' ';
            text += std::to_string(job[i]);
        }
        text += "\n";
    }
    return text;
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

// Taillard's instances at the edges of what the options take: seeds at both
// ends of their range, times at the top of theirs (a width of 2^31 that 32
// bits do not hold) or all equal, one machine; named by their seeds without
// --name.
TEST(Generator, NamesCarryWhatMakesTheInstanceAgain) {
    const struct {
        int jobs, machines;
        std::int64_t timeSeed, machineSeed, low, high;
    } cases[] = {
        {3, 4, 1, 2147483646, 1, 2147483647},
        {2, 5, 2147483646, 1, 2147483647, 2147483647},
        {4, 1, 840612802, 398197754, 7, 9},
    };
    for (const auto& c : cases) {
        const std::string times = std::to_string(c.low) + "-" + std::to_string(c.high);
        const std::string name = "gen" + std::to_string(c.jobs) + "x" + std::to_string(c.machines) +
                                 "_t" + times + "_" + std::to_string(c.timeSeed) + "_" +
                                 std::to_string(c.machineSeed);
        const testing::RunResult made = Generate(
            {"--taillard", std::to_string(c.timeSeed), std::to_string(c.machineSeed), "--jobs",
             std::to_string(c.jobs), "--machines", std::to_string(c.machines), "--times", times});
        EXPECT_EQ(made.status, 0) << made.err;
        EXPECT_EQ(made.out, ReferenceText(name, c.jobs, c.machines, c.timeSeed, c.machineSeed,
                                          c.low, c.high));
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

// A class written into a folder: instance k takes the values 2k+1 and 2k+2
// of the stream from the class seed as its time and machine seeds, is named
// by them, and is the instance --taillard makes from them; the same class
// seed gives the same files.
TEST(GenerateCommand, ClassInstancesAreMadeAgainFromTheirNames) {
    TempFolder scratch;
    const std::string folder = (scratch / "class").string();
    const std::vector<std::string> args = {"--jobs", "4",   "--machines", "3", "--times", "10-20",
                                           "--seed", "777", "--count",    "3", "-o",      folder};
    ASSERT_EQ(Generate(args).status, 0);
    ReferenceStream stream{777};
    std::vector<std::string> expected;
    for (int k = 0; k < 3; ++k) {
        const std::int64_t timeSeed = stream.Next();
        const std::int64_t machineSeed = stream.Next();
        const std::string name =
            "gen4x3_t10-20_" + std::to_string(timeSeed) + "_" + std::to_string(machineSeed);
        expected.push_back(name + ".txt");
        EXPECT_EQ(ReadText(fs::path(folder) / expected.back()),
                  ReferenceText(name, 4, 3, timeSeed, machineSeed, 10, 20));
    }
    std::sort(expected.begin(), expected.end());
    const std::vector<std::string> files = testing::FolderContent(folder);
    EXPECT_EQ(files, expected);
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
