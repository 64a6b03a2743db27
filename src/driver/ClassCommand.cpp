#include "driver/ClassCommand.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <vector>

#include "driver/ChromiumPdf.h"
#include "driver/Command.h"
#include "driver/InsertionOrder.h"
#include "driver/RangeOption.h"
#include "formats/Generator.h"
#include "formats/InstanceCode.h"
#include "formats/InstanceWriter.h"
#include "formats/Loader.h"
#include "heuristic/InsertionLoop.h"
#include "report/ClassSet.h"
#include "report/MoodleXml.h"
#include "report/ReplayJson.h"
#include "report/ReplayRecorder.h"

namespace jobshop {
namespace {

namespace fs = std::filesystem;

constexpr Voice kVoice{"jobshop-class", kClassSynopsis};

// The largest lecture group, with room to spare; each variant is a file of
// its own and a few pages of the one print.
constexpr std::int32_t kMaxStudents = 300;
// The sheets show the schedule graph's tables for at most 15 x 15, and a
// sheet of more than 10 steps is more than one sitting works through (the
// replay page's worksheet keeps the same limits).
constexpr std::int32_t kMaxSize = 15;
constexpr std::int32_t kMaxSteps = 10;
constexpr std::size_t kMaxTitle = 200;

struct ClassOptions {
    std::int32_t students = 0;
    std::int32_t jobs = 0;
    std::int32_t machines = 0;
    // Small times keep the sums a student adds by hand short.
    std::string times = "1-9";
    std::int64_t seed = 0;  // 0: drawn
    std::string steps;      // empty: every step
    std::string ask;        // empty: the default
    std::string lang = "pl";
    std::string title;
    std::string baseUrl;
    bool pdf = false;
    std::string folder;
};

// The names of the set's files in its language.
struct FileNames {
    const char *sheets, *key, *roster, *instances;
};
constexpr FileNames kPolishNames{"arkusze", "klucz", "warianty.csv", "instancje"};
constexpr FileNames kEnglishNames{"worksheets", "key", "roster.csv", "instances"};
constexpr const char* kMoodleName = "moodle.xml";

void DefineOptions(CLI::App& app, ClassOptions& o) {
    const auto range = [](std::string name, std::string what) {
        return CLI::Validator(
            [what](const std::string& text) { return ParseRange(text) ? "" : "expected " + what; },
            name);
    };
    app.add_option("--students", o.students, "Number of students: one variant each")
        ->required()
        ->check(CLI::Range(1, kMaxStudents));
    app.add_option("--jobs", o.jobs, "Number of jobs")->required()->check(CLI::Range(1, kMaxSize));
    app.add_option("--machines", o.machines, "Number of machines")
        ->required()
        ->check(CLI::Range(1, kMaxSize));
    app.add_option("--times", o.times, "Range of processing times (default: 1-9)")
        ->check(range("LO-HI", "LO-HI with 1 <= LO <= HI <= 2147483647"));
    app.add_option("--seed", o.seed,
                   "Seed of the set, as jobshop-generate's (default: drawn at random)")
        ->check(CLI::Range(std::int64_t{1}, std::int64_t{TaillardRandom::kModulus} - 1));
    app.add_option("--steps", o.steps, "Steps of the exercise (default: every step, at most 10)")
        ->check(range("A-B", "A-B with 1 <= A <= B"));
    app.add_option(
        "--ask", o.ask,
        "What the sheets and the quiz ask, comma-separated: rq, links, topo, uv, est, terms, "
        "pos, seq, cmax (default: rq,est,pos,seq,cmax)");
    app.add_option("--lang", o.lang, "Language of the sheets and the quiz (default: pl)")
        ->check(CLI::IsMember({"pl", "en"}));
    app.add_option("--title", o.title, "Title on every page and of the quiz's category");
    app.add_option("--base-url", o.baseUrl,
                   "Address of jobshop-web.html: the roster links each variant's practice there");
    app.add_flag("--pdf", o.pdf, "Also print the worksheets and the key to PDF (needs chromium)");
    app.add_option("-o,--output", o.folder, "Folder to write the set into (made if missing)")
        ->required();
}

// Why `title` cannot stand on the pages and in the quiz, or nothing.
std::optional<std::string> TitleProblem(std::string_view title) {
    if (title.size() > kMaxTitle) return "--title: at most " + std::to_string(kMaxTitle) + " bytes";
    for (std::size_t i = 0; i < title.size();) {
        const auto c = static_cast<unsigned char>(title[i]);
        if (c < 0x20 || c == 0x7f) return "--title: no control characters";
        const std::size_t length = c < 0x80 ? 1 : Utf8SequenceLength(title.substr(i));
        if (length == 0) return "--title: not UTF-8 text";
        i += length;
    }
    return std::nullopt;
}

// Why `url` cannot begin a link of the roster, or nothing.
std::optional<std::string> BaseUrlProblem(std::string_view url) {
    for (const char c : url) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b == 0x7f)
            return "--base-url: no spaces or control characters (write them %-escaped)";
        if (c == '#') return "--base-url: no '#': the link puts the instance there";
    }
    return std::nullopt;
}

// One variant: its instance, run once with both recorders watching.
std::optional<std::string> RunVariant(const Instance& instance, ClassVariant& v, std::int32_t from,
                                      std::int32_t to) {
    Model model;
    if (LoadInstance(ProgramText(instance), model))
        return "the generator made an instance the loader refuses";
    SortInsertionOrder(model);
    ReplayRecorder replay;
    ExerciseRecorder exercise(from, to);
    BothObservers both(replay, exercise);
    if (BuildSchedule(model, &both) != ScheduleOutcome::kComplete)
        return "the schedule graph closed a cycle";
    v.name = model.InstanceName;
    v.code = InstanceCode(instance);
    v.jobs = model.JobCount;
    v.machines = model.MachineCount;
    v.M.assign(model.M.begin(), model.M.begin() + model.OpCount + 1);
    v.p.assign(model.p.begin(), model.p.begin() + model.OpCount + 1);
    v.replayJson = ReplayJson(replay.recording());
    v.exercise = exercise.recording();
    v.cmax = model.Cmax;
    return std::nullopt;
}

bool WriteWhole(const fs::path& path, std::span<const std::string_view> pieces) {
    std::ofstream out(path, std::ios::binary);
    for (const std::string_view piece : pieces)
        out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
    out.close();
    return static_cast<bool>(out);
}

std::string ReadWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The set the options describe, its variants still to make; or why the
// options make none, as a usage error.
std::optional<std::string> SetFromOptions(const ClassOptions& o, ClassSet& set) {
    if (auto problem = TitleProblem(o.title)) return problem;
    if (auto problem = BaseUrlProblem(o.baseUrl)) return problem;
    set.title = o.title;
    set.english = o.lang == "en";
    set.ask = DefaultAsk();
    if (!o.ask.empty()) {
        std::string unknown;
        const std::optional<Ask> ask = ParseAsk(o.ask, unknown);
        if (!ask && unknown.empty()) return "--ask: name at least one part";
        if (!ask) {
            return "--ask: no part is called '" + unknown +
                   "' (rq, links, topo, uv, est, terms, pos, seq, cmax)";
        }
        set.ask = *ask;
    }
    const std::int32_t steps = o.jobs * o.machines;
    const std::string size = std::to_string(o.jobs) + " x " + std::to_string(o.machines);
    if (o.steps.empty()) {
        if (steps > kMaxSteps) {
            return "--steps A-B is needed: a " + size + " instance has " + std::to_string(steps) +
                   " steps, a sheet at most " + std::to_string(kMaxSteps);
        }
        set.from = 1;
        set.to = steps;
        return std::nullopt;
    }
    std::tie(set.from, set.to) = *ParseRange(o.steps);
    if (set.to > steps)
        return "--steps: a " + size + " instance has steps 1-" + std::to_string(steps);
    if (set.to - set.from + 1 > kMaxSteps) {
        return "--steps: a sheet covers at most " + std::to_string(kMaxSteps) + " steps";
    }
    return std::nullopt;
}

// The two pages printed to PDF by `chromium`, from copies in a scratch
// folder, so that FOLDER gets the PDFs with everything else or not at all.
std::optional<std::string> PrintSheets(const fs::path& chromium, const std::string (&names)[2],
                                       const std::string (&data)[2], std::string (&pdfs)[2]) {
    ScratchFolder scratch("jobshop-class-");
    if (scratch.path().empty()) return "cannot make a scratch folder to print in";
    for (int i = 0; i < 2; ++i) {
        const fs::path html = scratch.path() / (names[i] + ".html");
        const fs::path pdf = scratch.path() / (names[i] + ".pdf");
        if (!WriteWhole(html, ClassSheetsPieces(data[i]))) return "cannot write a page to print";
        if (auto failed = PrintToPdf(chromium, html, pdf, scratch)) return failed;
        pdfs[i] = ReadWhole(pdf);
    }
    return std::nullopt;
}

// Writes `outputs` into `folders` (made here if missing, and taken away
// again when the files could not be written, so that a failed run leaves
// nothing behind).
int WriteInto(std::initializer_list<fs::path> folders, std::span<const OutputFile> outputs,
              Command& command) {
    std::vector<fs::path> made;
    const auto takeAway = [&made] {
        std::error_code ignored;
        for (auto it = made.rbegin(); it != made.rend(); ++it) fs::remove(*it, ignored);
    };
    for (const fs::path& dir : folders) {
        std::error_code error;
        if (fs::is_directory(dir, error)) continue;
        if (!fs::create_directory(dir, error)) {
            takeAway();
            return command.Fail(dir.string() + ": cannot make the folder: " + error.message());
        }
        made.push_back(dir);
    }
    const int status = command.Write(outputs);
    if (status != kExitOk) takeAway();
    return status;
}

int MakeClass(const ClassOptions& o, Command& command) {
    ClassSet set;
    if (auto usage = SetFromOptions(o, set)) return command.UsageError(*usage);
    std::optional<fs::path> chromium;
    if (o.pdf && !(chromium = FindChromium())) {
        return command.Fail(std::string("--pdf prints with chromium, which is not installed "
                                        "(Debian: sudo apt-get install ") +
                            kChromiumPackage + "); nothing was written");
    }
    set.seed = o.seed;
    if (set.seed == 0) {
        std::random_device device;
        set.seed =
            std::uniform_int_distribution<std::int64_t>(1, TaillardRandom::kModulus - 1)(device);
    }

    const FileNames& names = set.english ? kEnglishNames : kPolishNames;
    const fs::path folder(o.folder), instances = folder / names.instances;
    const auto [low, high] = *ParseRange(o.times);
    const TimeRange times{low, high};
    std::vector<std::string> texts;
    std::vector<OutputFile> outputs;
    for (std::int32_t k = 0; k < o.students; ++k) {
        const GeneratorSeeds seeds = ClassSeeds(static_cast<std::int32_t>(set.seed), k);
        const Instance instance = GenerateTaillard(GeneratedName(o.jobs, o.machines, seeds, times),
                                                   o.jobs, o.machines, seeds, times);
        ClassVariant& v = set.variants.emplace_back();
        v.number = k + 1;
        if (auto failed = RunVariant(instance, v, set.from, set.to)) return command.Fail(*failed);
        texts.push_back(ProgramText(instance));
        outputs.push_back({(instances / (v.name + ".txt")).string(), {}});
    }
    for (std::size_t k = 0; k < texts.size(); ++k) outputs[k].pieces = {texts[k]};

    const std::string data[2] = {ClassSheetsData(set, false), ClassSheetsData(set, true)};
    const std::string moodle = MoodleXml(set), roster = ClassRoster(set, o.baseUrl);
    const std::string pages[2] = {names.sheets, names.key};
    const std::string &sheetsName = pages[0], &keyName = pages[1];
    outputs.push_back({(folder / (sheetsName + ".html")).string(), ClassSheetsPieces(data[0])});
    outputs.push_back({(folder / (keyName + ".html")).string(), ClassSheetsPieces(data[1])});
    outputs.push_back({(folder / kMoodleName).string(), {moodle}});
    outputs.push_back({(folder / names.roster).string(), {roster}});
    std::string pdfs[2];
    if (o.pdf) {
        outputs.push_back({(folder / (sheetsName + ".pdf")).string(), {}});
        outputs.push_back({(folder / (keyName + ".pdf")).string(), {}});
    }
    for (const OutputFile& output : outputs) {
        if (auto e = CheckOutputName(output.path)) return command.Fail(*e);
    }
    if (o.pdf) {
        if (auto failed = PrintSheets(*chromium, pages, data, pdfs)) return command.Fail(*failed);
        outputs[outputs.size() - 2].pieces = {pdfs[0]};
        outputs.back().pieces = {pdfs[1]};
    }
    if (const int status = WriteInto({folder, instances}, outputs, command)) return status;

    std::string written = "Wrote " + std::to_string(o.students) + " variants (seed " +
                          std::to_string(set.seed) + ", steps " + std::to_string(set.from) + "-" +
                          std::to_string(set.to) + ", asking " + set.ask.Text() + ") to " +
                          folder.string() + ": " + sheetsName + ".html, " + keyName + ".html";
    if (o.pdf) written += ", " + sheetsName + ".pdf, " + keyName + ".pdf";
    written +=
        std::string(", ") + kMoodleName + ", " + names.roster + ", " + names.instances + "/\n";
    return command.Print(written);
}

}  // namespace

int RunClass(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    Command command(kVoice, out, err);
    CLI::App app(
        "Makes a class set: an instance for every student, worksheets, answer keys and a Moodle "
        "quiz.",
        std::string(kVoice.name));
    ClassOptions options;
    DefineOptions(app, options);
    if (const std::optional<int> status = command.Parse(app, args)) return *status;
    return MakeClass(options, command);
}

}  // namespace jobshop
