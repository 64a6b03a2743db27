#include "driver/GenerateCommand.h"

#include <filesystem>
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

void DefineOptions(CLI::App& app, GenerateOptions& options) {
    const CLI::Range positive(1, INT32_MAX);
    const CLI::Range seedRange(1, TaillardRandom::kModulus - 1);
    app.add_option("--jobs", options.jobs, "Number of jobs")->required()->check(positive);
    app.add_option("--machines", options.machines, "Number of machines")
        ->required()
        ->check(positive);
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
            ->check(seedRange);
    app.add_option("--seed", options.seed, "Seed of the class (default: drawn at random)")
        ->check(seedRange)
        ->excludes(taillard);
    app.add_option("--count", options.count, "Number of instances of the class (default: 1)")
        ->check(CLI::Range(1, kMaxCount))
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

    std::vector<std::string> texts;
    std::vector<OutputFile> outputs;
    for (const GeneratorSeeds& seeds : SeedsToUse(options)) {
        std::string name = options.name.empty()
                               ? GeneratedName(options.jobs, options.machines, seeds, times)
                               : options.name;
        const std::string path =
            folder ? (fs::path(*folder) / (name + ".txt")).string() : options.output;
        texts.push_back(ProgramText(
            GenerateTaillard(std::move(name), options.jobs, options.machines, seeds, times)));
        outputs.push_back({path, {}});
    }
    for (std::size_t k = 0; k < outputs.size(); ++k) outputs[k].pieces = {texts[k]};
    for (const OutputFile& output : outputs) {
        if (auto e = CheckOutputName(output.path)) return command.Fail(*e);
    }
    std::error_code error;
    if (folder && !fs::is_directory(fs::path(*folder), error) &&
        !fs::create_directory(fs::path(*folder), error)) {
        return command.Fail(*folder + ": cannot make the folder: " + error.message());
    }
    return command.Write(outputs);
}

}  // namespace

int RunGenerate(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    Command command(kVoice, out, err);
    CLI::App app("Makes job-shop instances with Taillard's generator, in the program's format.",
                 std::string(kVoice.name));
    GenerateOptions options;
    DefineOptions(app, options);
    if (const std::optional<int> status = command.Parse(app, args)) return *status;
    return Generate(options, command);
}

}  // namespace jobshop
