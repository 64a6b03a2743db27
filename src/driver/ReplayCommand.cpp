#include "driver/ReplayCommand.h"

#include <CLI/CLI.hpp>
#include <new>
#include <optional>
#include <ostream>
#include <system_error>
#include <vector>

#include "driver/CommandSupport.h"
#include "driver/Loader.h"
#include "driver/Run.h"
#include "heuristic/InsertionLoop.h"
#include "report/ReplayJson.h"
#include "report/ReplayPage.h"
#include "report/ReplayRecorder.h"
#include "report/TraceOutput.h"

namespace jobshop {
namespace {

constexpr const char* kUsage =
    "Uzycie: jobshop-replay [INSTANCJA] [-o STRONA] [--json DANE]\n"
    "\n"
    "Buduje harmonogram tak jak jobshop-insert i zapisuje strone HTML, na ktorej\n"
    "mozna przejsc przez kazdy krok wstawiania, w przod i wstecz.\n"
    "\n"
    "  INSTANCJA    plik instancji (domyslnie input.txt w biezacym katalogu)\n"
    "  -o STRONA    plik strony (domyslnie <nazwa>_krok_po_kroku.html\n"
    "               w biezacym katalogu)\n"
    "  --json DANE  zapisuje takze same dane strony (JSON)\n"
    "  -h, --help   wyswietla ten opis\n";

// Every number of the page's data must survive a JSON reader that holds
// numbers as doubles: with at most 2^20 operations every head, tail,
// estimate and change stays within 2^53 in magnitude.
constexpr std::int32_t kMaxReplayOpCount = 1 << 20;

struct ReplayOptions {
    std::string instance = std::string(kInstanceFileName);
    std::optional<std::string> page;
    std::optional<std::string> json;
};

struct UsageError {
    std::string message;
};

// The options, or the reason they are wrong. --help is reported as nothing.
std::optional<ReplayOptions> ParseOptions(std::span<const std::string> args,
                                          std::optional<UsageError>& error) {
    ReplayOptions options;
    CLI::App app;
    app.set_help_flag();  // help is our own text, in the program's language
    bool help = false;
    app.add_flag("-h,--help", help);
    app.add_option("INSTANCE", options.instance);
    app.add_option("-o", options.page);
    app.add_option("--json", options.json);
    app.allow_extras();
    // CLI11 consumes its arguments from the back.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        const std::string name = e.get_name();
        if (name == "ArgumentMismatch") {
            error = UsageError{"opcja wymaga jednej nazwy pliku i moze wystapic tylko raz"};
        } else {
            error = UsageError{"niepoprawne argumenty"};
        }
        return std::nullopt;
    }
    if (help) return std::nullopt;
    if (!app.remaining().empty()) {
        error = UsageError{"nieznany argument: " + app.remaining().front()};
        return std::nullopt;
    }
    for (const auto* value : {&options.page, &options.json}) {
        if (*value && (*value)->empty()) {
            error = UsageError{"pusta nazwa pliku"};
            return std::nullopt;
        }
    }
    if (options.instance.empty()) {
        error = UsageError{"pusta nazwa pliku instancji"};
        return std::nullopt;
    }
    return options;
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code ec;
    if (std::filesystem::equivalent(a, b, ec)) return true;
    const auto absolute = [](const std::filesystem::path& p) {
        std::error_code e;
        return std::filesystem::absolute(p, e).lexically_normal();
    };
    return absolute(a) == absolute(b);
}

// A second output over the instance or over the other output would lose
// what the user has, so it is refused before anything is read.
std::optional<UsageError> CheckTargets(const ReplayOptions& options, const std::string& page) {
    if (SameFile(page, options.instance) ||
        (options.json && SameFile(*options.json, options.instance))) {
        return UsageError{"plik wyjsciowy nie moze byc plikiem instancji"};
    }
    if (options.json && SameFile(*options.json, page)) {
        return UsageError{"strona i dane nie moga trafic do tego samego pliku"};
    }
    return std::nullopt;
}

int ReportUsageError(const UsageError& error, std::ostream& err) {
    err << "Blad: " << error.message << ".\n\n" << kUsage;
    err.flush();
    return 2;
}

// Schedules the loaded instance while recording it; the page's data.
Status RecordSchedule(Model& model, std::string& json) {
    if (model.OpCount > kMaxReplayOpCount) return TooLargeFailure();
    ReplayRecorder recorder;
    if (BuildSchedule(model, &recorder) != ScheduleOutcome::kComplete) return CycleFailure();
    json = ReplayJson(recorder.recording());
    return Status::Ok();
}

// The file is replaced at once or left as it was; the failure is told in the
// program's words.
Status WriteOutput(const std::string& path, std::string_view content) {
    return WriteFileAtomically(path, content).ok() ? Status::Ok() : TraceWriteFailure(path);
}

// The default page name comes from the instance, so its targets are checked
// once it is loaded, still before anything is written.
Status Replay(const ReplayOptions& options, std::ostream& out, std::optional<UsageError>& usage) {
    Model model;
    if (Status s = LoadSortedInstance(options.instance, model); !s.ok()) return s;
    const std::string page = options.page.value_or(model.InstanceName + "_krok_po_kroku.html");
    usage = CheckTargets(options, page);
    if (usage) return Status::Ok();
    std::string json;
    if (Status s = RecordSchedule(model, json); !s.ok()) return s;
    if (Status s = WriteOutput(page, ReplayPage(json)); !s.ok()) return s;
    out << "Zapisano strone " << page << "\n";
    if (options.json) {
        if (Status s = WriteOutput(*options.json, json); !s.ok()) return s;
        out << "Zapisano dane " << *options.json << "\n";
    }
    return Status::Ok();
}

}  // namespace

int RunReplay(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    std::optional<UsageError> usage;
    const std::optional<ReplayOptions> options = ParseOptions(args, usage);
    if (usage) return ReportUsageError(*usage, err);
    if (!options) {
        out << kUsage;
        out.flush();
        return 0;
    }
    Status status = Status::Ok();
    try {
        status = Replay(*options, out, usage);
    } catch (const std::bad_alloc&) {
        status = TooLargeFailure();
    }
    out.flush();
    if (usage) return ReportUsageError(*usage, err);
    if (!status.ok()) {
        err << status.message();
        err.flush();
        return 1;
    }
    return 0;
}

}  // namespace jobshop
