#include "driver/GenerateCommand.h"

#include <sys/statvfs.h>

#include <CLI/CLI.hpp>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <new>
#include <optional>
#include <random>
#include <vector>

#include "driver/Command.h"
#include "driver/RangeOption.h"
#include "formats/Generator.h"
#include "formats/InstanceWriter.h"

namespace jobshop {
namespace {

namespace fs = std::filesystem;

constexpr Voice kVoice{"jobshop-generate", kGenerateSynopsis};

// The most instances of one run: each is a file of its own in one folder.
constexpr std::int32_t kMaxCount = 10000;

struct GenerateOptions {
    std::int32_t jobs = 0;
    std::int32_t machines = 0;
    std::string times = "1-99";
    std::vector<std::int64_t> taillard;  // TIME_SEED MACHINE_SEED
    std::int64_t seed = 0;               // 0: drawn
    std::int32_t count = 1;
    std::string name;
    std::string output = std::string(kStandardOutputName);
};

std::optional<TimeRange> ParseTimes(std::string_view text) {
    const auto range = ParseRange(text);
    if (!range) return std::nullopt;
    return TimeRange{range->first, range->second};
}

// A number in decimal digits alone, like every number of the instance
// files, from `low` to `high`; written back plainly for CLI11, which would
// read "0x10" as 16 and "010" as 8.
CLI::Validator Decimal(std::int64_t low, std::int64_t high) {
    const std::string expected =
        "expected a decimal number from " + std::to_string(low) + " to " + std::to_string(high);
    return CLI::Validator(
        [=](std::string& text) {
            std::int64_t value = 0;
            const char* end = text.data() + text.size();
            const auto [at, error] = std::from_chars(text.data(), end, value);
            if (error != std::errc() || at != end || value < low || value > high) {
                return expected;
            }
            text = std::to_string(value);
            return std::string();
        },
        "INT in [" + std::to_string(low) + " - " + std::to_string(high) + "]");
}

void DefineOptions(CLI::App& app, GenerateOptions& options) {
    const CLI::Validator positive = Decimal(1, INT32_MAX);
    const CLI::Validator seedRange = Decimal(1, TaillardRandom::kModulus - 1);
    app.add_option("--jobs", options.jobs, "Number of jobs")->required()->transform(positive);
    app.add_option("--machines", options.machines, "Number of machines")
        ->required()
        ->transform(positive);
    app.add_option("--times", options.times, "Range of processing times (default: 1-99)")
        ->check(CLI::Validator(
            [](const std::string& text) {
                return ParseTimes(text) ? "" : "expected LO-HI with 1 <= LO <= HI <= 2147483647";
            },
            "LO-HI"));
    CLI::Option* taillard =
        app.add_option(
               "--taillard", options.taillard,
               "Taillard's two seeds of one instance (ta01-ta80: benchmarks/taillard-seeds.tsv)")
            ->expected(2)
            ->transform(seedRange);
    app.add_option("--seed", options.seed, "Seed of the class (default: drawn at random)")
        ->transform(seedRange)
        ->excludes(taillard);
    app.add_option("--count", options.count, "Number of instances of the class (default: 1)")
        ->transform(Decimal(1, kMaxCount))
        ->excludes(taillard);
    const CLI::Validator validName(
        [](const std::string& name) { return NameProblem(name).value_or(""); }, "NAME");
    app.add_option("--name", options.name, "Name of the instance (default: made from its seeds)")
        ->check(validName)
        ->needs(taillard);
    app.add_option("-o,--output", options.output,
                   "File or existing folder to write; a new folder with --count above 1; "
                   "- for standard output (the default)");
}

// The seeds of every instance to make.
std::vector<GeneratorSeeds> SeedsToUse(const GenerateOptions& options) {
    if (!options.taillard.empty()) {
        return {{static_cast<std::int32_t>(options.taillard[0]),
                 static_cast<std::int32_t>(options.taillard[1])}};
    }
    std::int64_t classSeed = options.seed;
    if (classSeed == 0) {
        std::random_device device;
        classSeed =
            std::uniform_int_distribution<std::int64_t>(1, TaillardRandom::kModulus - 1)(device);
    }
    std::vector<GeneratorSeeds> seeds;
    for (std::int32_t k = 0; k < options.count; ++k) {
        seeds.push_back(ClassSeeds(static_cast<std::int32_t>(classSeed), k));
    }
    return seeds;
}

// The folder the instances go into: the one -o names when it is one, or
// must become one for several instances; nothing when -o names a file or
// standard output.
std::optional<std::string> FolderOf(const GenerateOptions& options) {
    std::error_code error;
    const bool folder =
        options.output != kStandardOutputName && fs::is_directory(fs::path(options.output), error);
    if (folder || options.count > 1) return options.output;
    return std::nullopt;
}

// The fewest bytes an instance's text takes besides its name: every job
// visits each machine once, and no time is written shorter than the lowest.
std::uint64_t LeastTextBytes(const GenerateOptions& options, TimeRange times) {
    std::uint64_t row = 0;
    for (std::int32_t machine = 1; machine <= options.machines; ++machine) {
        row += std::to_string(machine).size() + std::to_string(times.low).size() + 2;
    }
    return 1 + std::to_string(options.jobs).size() + std::to_string(options.machines).size() + 2 +
           row * static_cast<std::uint64_t>(options.jobs);
}

// Instances that cannot fit in the free space of the file system that
// `existing` (the folder or the folder it is made in) is on are refused
// before a byte of them is written.
std::optional<std::string> CheckRoom(const std::string& folder, const fs::path& existing,
                                     std::uint64_t bytes) {
    struct statvfs info {};
    if (::statvfs(existing.c_str(), &info) != 0) return std::nullopt;
    const std::uint64_t free = std::uint64_t{info.f_bavail} * info.f_frsize;
    if (bytes <= free) return std::nullopt;
    constexpr std::uint64_t kMB = 1'000'000;
    return folder + ": the instances take at least " + std::to_string((bytes + kMB - 1) / kMB) +
           " MB, and its file system has " + std::to_string(free / kMB) + " MB free";
}

int Generate(const GenerateOptions& options, Command& command) {
    if (std::int64_t{options.jobs} * options.machines > kMaxGeneratedOps) {
        return command.UsageError("an instance may have at most " +
                                  std::to_string(kMaxGeneratedOps) + " operations");
    }
    if (options.count > 1 && options.output == kStandardOutputName) {
        return command.UsageError("--count above 1 needs -o FOLDER");
    }
    const TimeRange times = *ParseTimes(options.times);
    const std::optional<std::string> folder = FolderOf(options);

    const std::vector<GeneratorSeeds> seeds = SeedsToUse(options);
    std::vector<std::string> names, paths;
    const std::uint64_t text = LeastTextBytes(options, times);
    std::uint64_t least = 0;
    for (const GeneratorSeeds& pair : seeds) {
        names.push_back(options.name.empty()
                            ? GeneratedName(options.jobs, options.machines, pair, times)
                            : options.name);
        paths.push_back(folder ? (fs::path(*folder) / (names.back() + ".txt")).string()
                               : options.output);
        if (auto e = CheckOutputName(paths.back())) return command.Fail(*e);
        least += text + names.back().size();
    }
    std::error_code error;
    NewFolder newFolder;
    if (folder && !fs::is_directory(fs::path(*folder), error)) {
        fs::path named = fs::path(*folder);
        if (!named.has_filename()) named = named.parent_path();  // "new/"
        const fs::path parent = named.parent_path();
        if (auto full = CheckRoom(*folder, parent.empty() ? "." : parent, least)) {
            return command.Fail(*full);
        }
        if (const int failed = newFolder.Make(*folder)) {
            return command.Fail(*folder + ": cannot make the folder: " + std::strerror(failed));
        }
    } else if (folder) {
        if (auto full = CheckRoom(*folder, *folder, least)) return command.Fail(*full);
    }
    // One instance at a time: a class may be far larger than the memory.
    std::string current;
    const int status = command.Write(paths, [&](std::size_t k) {
        current = ProgramText(
            GenerateTaillard(names[k], options.jobs, options.machines, seeds[k], times));
        return std::vector<std::string_view>{current};
    });
    if (status == kExitOk) newFolder.Keep();
    return status;
}

}  // namespace

int RunGenerate(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    Command command(kVoice, out, err);
    CLI::App app("Makes job-shop instances with Taillard's generator, in the program's format.",
                 std::string(kVoice.name));
    GenerateOptions options;
    DefineOptions(app, options);
    if (const std::optional<int> status = command.Parse(app, args)) return *status;
    try {
        return Generate(options, command);
    } catch (const std::bad_alloc&) {
        return command.Fail("not enough memory for an instance of " + std::to_string(options.jobs) +
                            " x " + std::to_string(options.machines));
    }
}

}  // namespace jobshop
