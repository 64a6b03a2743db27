#include "driver/ImproveCommand.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <new>
#include <optional>
#include <ostream>
#include <vector>

#include "driver/Command.h"
#include "driver/ImproveRun.h"
#include "driver/LoadMessages.h"
#include "driver/ReplayRun.h"
#include "driver/Run.h"
#include "heuristic/BranchAndBound.h"
#include "heuristic/InsertionLoop.h"
#include "heuristic/ScheduleCheck.h"
#include "heuristic/TabuSearch.h"
#include "report/ChunkSink.h"
#include "report/ImproveOutput.h"
#include "report/SearchTraceWriter.h"

namespace jobshop {
namespace {

constexpr const char* kUsage =
    "Uzycie: jobshop-improve [INSTANCJA] [--iterations K] [--seconds S] [--seed N]\n"
    "                        [-o SLAD] [--schedule PLIK] [--json DANE] [--page STRONA]\n"
    "                        [--exact [--nodes N]]\n"
    "\n"
    "Buduje harmonogram tak jak jobshop-insert i poprawia go przeszukiwaniem z lista\n"
    "tabu: ruchami operacji w blokach sciezki krytycznej.\n"
    "\n"
    "  INSTANCJA        plik instancji (domyslnie input.txt w biezacym katalogu)\n"
    "  --iterations K   najwyzej K iteracji (domyslnie 10000, a z samym --seconds\n"
    "                   bez limitu; slad -o ma zawsze limit)\n"
    "  --seconds S      najwyzej S sekund (limit, nie obietnica tego samego wyniku)\n"
    "  --seed N         ziarno losowania (domyslnie 1): to samo ziarno i ta sama\n"
    "                   liczba iteracji daja ten sam wynik\n"
    "  -o SLAD          zapisuje przeszukiwanie krok po kroku (plik tekstowy)\n"
    "  --schedule PLIK  zapisuje najlepszy harmonogram\n"
    "  --json DANE      zapisuje najlepszy harmonogram i przebieg przeszukiwania (JSON)\n"
    "  --page STRONA    zapisuje strone HTML jak jobshop-replay, z iteracjami\n"
    "                   przeszukiwania po krokach wstawiania\n"
    "  --exact          dowodzi metoda podzialu i ograniczen, ze Cmax jest optymalny\n"
    "                   (instancje do okolo 8 x 8)\n"
    "  --nodes N        najwyzej N wezlow przy --exact (domyslnie 2000000)\n"
    "  -h, --help       wyswietla ten opis\n"
    "\n"
    "Nazwa pliku - to standardowe wyjscie.\n";

constexpr Voice kVoice{"jobshop-improve", kUsage, true};

// Without a limit of its own a run stops after this many iterations; so
// does a trace.
constexpr std::int64_t kDefaultIterations = 10'000;
constexpr std::int64_t kDefaultNodes = 2'000'000;

struct ImproveOptions {
    std::string instance = std::string(kInstanceFileName);
    std::optional<std::string> iterations, seconds, seed, nodes;
    std::optional<std::string> trace, schedule, json, page;
    bool exact = false;
};

// The settings the options name, or the usage error that says why not.
struct Settings {
    SearchSettings search;
    ExactLimits exact;
};

template <class T>
bool ParseWhole(const std::string& text, T& value) {
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && at == end;
}

std::optional<std::string> ReadSettings(const ImproveOptions& options, Settings& settings) {
    if (options.seconds) {
        double seconds = 0;
        if (!ParseWhole(*options.seconds, seconds) || !std::isfinite(seconds) || seconds <= 0) {
            return "--seconds: oczekiwano liczby sekund wiekszej od 0";
        }
        settings.search.seconds = seconds;
        settings.exact.seconds = seconds;
    }
    std::int64_t iterations = kDefaultIterations;
    if (options.iterations && (!ParseWhole(*options.iterations, iterations) || iterations < 0)) {
        return "--iterations: oczekiwano liczby iteracji (0 lub wiecej)";
    }
    if (options.iterations || !options.seconds || options.trace) {
        settings.search.iterations = iterations;
    }
    if (options.seed && !ParseWhole(*options.seed, settings.search.seed)) {
        return "--seed: oczekiwano liczby calkowitej od 0 do 18446744073709551615";
    }
    settings.exact.nodes = kDefaultNodes;
    if (options.nodes) {
        if (!options.exact) return "--nodes dotyczy tylko --exact";
        if (!ParseWhole(*options.nodes, settings.exact.nodes) || settings.exact.nodes < 1) {
            return "--nodes: oczekiwano liczby wezlow (1 lub wiecej)";
        }
    }
    return std::nullopt;
}

std::vector<std::string> Outputs(const ImproveOptions& options) {
    std::vector<std::string> paths;
    for (const auto* path : {&options.trace, &options.schedule, &options.json, &options.page}) {
        if (*path) paths.push_back(**path);
    }
    return paths;
}

// The options, checked as far as they can be before anything is read.
std::optional<std::string> CheckOptions(const CLI::App& app, const ImproveOptions& options) {
    if (!app.remaining().empty()) return "nieznany argument: " + app.remaining().front();
    if (options.instance.empty()) return "pusta nazwa pliku instancji";
    const std::vector<std::string> paths = Outputs(options);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (paths[i].empty()) return "pusta nazwa pliku";
        if (paths[i] != kStandardOutputName && SameFile(paths[i], options.instance)) {
            return "plik wyjsciowy nie moze byc plikiem instancji";
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (paths[i] == paths[j] || SameFile(paths[i], paths[j])) {
                return "dwa wyniki nie moga trafic do tego samego pliku";
            }
        }
    }
    return std::nullopt;
}

std::string Percent(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

std::string Summary(const Model& model, const ImproveReport& report) {
    const SearchResult& search = report.search;
    std::string text = "Instancja " + model.InstanceName + ": " + std::to_string(model.JobCount) +
                       " zadan, " + std::to_string(model.MachineCount) + " maszyn\n" +
                       "Harmonogram wstawiania: Cmax = " + std::to_string(report.insertion) + "\n" +
                       "Przeszukiwanie tabu: " + std::to_string(search.iterations) +
                       " iteracji, najlepszy Cmax = " + std::to_string(search.best) +
                       " (w iteracji " + std::to_string(search.bestIteration) + ")\n";
    if (search.best < report.insertion) {
        text += "Poprawa o " + std::to_string(report.insertion - search.best);
        if (report.insertion > 0) {
            text += " (" +
                    Percent(100.0 * static_cast<double>(report.insertion - search.best) /
                            static_cast<double>(report.insertion)) +
                    "%)";
        }
        text += "\n";
    } else {
        text += search.stop == SearchStop::kIterations || search.stop == SearchStop::kTime
                    ? "Harmonogramu wstawiania nie udalo sie poprawic.\n"
                    : "Harmonogramu wstawiania nie mozna poprawic.\n";
    }
    text += "Koniec: " + std::string(SearchStopText(search.stop)) + "\n";
    if (search.lowerBound)
        text += "Dolne ograniczenie: " + std::to_string(*search.lowerBound) + "\n";
    if (!report.exact) return text;
    const ExactResult& exact = *report.exact;
    text += "Metoda podzialu i ograniczen (" + std::to_string(exact.nodes) + " wezlow): ";
    switch (exact.stop) {
        case ExactStop::kProven:
            return text + "Cmax = " + std::to_string(exact.best) +
                   " jest optymalny (udowodniono).\n";
        case ExactStop::kNodeLimit:
        case ExactStop::kTimeLimit:
            return text + "przerwano (" +
                   (exact.stop == ExactStop::kNodeLimit ? "limit wezlow" : "limit czasu") +
                   "); najlepszy Cmax = " + std::to_string(exact.best) +
                   ", dolne ograniczenie = " + std::to_string(exact.lowerBound.value_or(0)) +
                   ". Optymalnosc NIE zostala udowodniona.\n";
        case ExactStop::kNegativeTimes:
            return text +
                   "ujemne czasy wykonania, zadne ograniczenie nie obowiazuje. "
                   "Optymalnosc NIE zostala udowodniona.\n";
    }
    return text;
}

int Improve(const ImproveOptions& options, const Settings& settings, Command& command) {
    Model model;
    if (auto refused = LoadSortedInstance(options.instance, model)) {
        return command.Fail(ProgramLoadMessage(*refused, options.instance));
    }
    for (const std::string& path : Outputs(options)) {
        if (auto e = CheckOutputName(path)) return command.Fail(*e);
    }
    if (options.trace && SearchTraceTooLargeAhead(model, *settings.search.iterations)) {
        return command.Fail(SearchTraceTooLarge().message());
    }
    // A page records the insertion as jobshop-replay does; the schedule
    // is the same either way.
    std::string replayJson;
    if (options.page) {
        if (Status s = RecordReplay(model, options.instance, replayJson); !s.ok()) {
            return command.Fail(s.message());
        }
    } else if (BuildSchedule(model) != ScheduleOutcome::kComplete) {
        return command.Fail(CycleFailure().message());
    }
    // The trace goes to memory, so that all outputs are written together
    // by the output policy.
    std::string trace;
    const ChunkSink::Take toMemory = [&trace](std::string_view chunk) {
        trace += chunk;
        return true;
    };
    ImproveRun run;
    if (Status s = RunImproveSearch(model, settings.search, options.trace ? &toMemory : nullptr,
                                    options.json || options.page, nullptr, run);
        !s.ok()) {
        return command.Fail(s.message());
    }
    ImproveReport& report = run.report;
    if (options.exact) report.exact = ProveOptimum(model, settings.exact);
    // The schedule reported is checked from its rows alone.
    if (CheckedMakespan(model) != model.Cmax) {
        return command.Fail(ScheduleCheckFailure().message());
    }

    std::vector<OutputFile> outputs;
    const std::string scheduleText = options.schedule ? ScheduleText(model) : std::string();
    const std::string json = options.json || options.page
                                 ? ImproveJson(model, report, run.history, &run.steps.recording())
                                 : std::string();
    if (options.page) {
        if (Status s = AppendSearch(replayJson, json); !s.ok()) return command.Fail(s.message());
    }
    if (options.trace) outputs.push_back({*options.trace, {trace}});
    if (options.schedule) outputs.push_back({*options.schedule, {scheduleText}});
    if (options.json) outputs.push_back({*options.json, {json}});
    if (options.page) outputs.push_back({*options.page, ReplayPagePieces(replayJson)});
    if (const int status = command.Write(outputs)) return status;

    std::string written;
    bool standardOutputTaken = false;
    const std::pair<const std::optional<std::string>*, const char*> names[] = {
        {&options.trace, "slad"},
        {&options.schedule, "harmonogram"},
        {&options.json, "dane"},
        {&options.page, "strone"}};
    for (const auto& [path, what] : names) {
        if (!*path) continue;
        if (**path == kStandardOutputName) {
            standardOutputTaken = true;
        } else {
            written += "Zapisano " + std::string(what) + " " + **path + "\n";
        }
    }
    // Standard output that carries a file has room for nothing else; the
    // summary then goes with the messages.
    const std::string summary = Summary(model, report) + written;
    if (standardOutputTaken) {
        command.err() << summary;
        command.err().flush();
        return kExitOk;
    }
    return command.Print(summary, kOutputFailure);
}

}  // namespace

int RunImprove(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    Command command(kVoice, out, err);
    ImproveOptions options;
    CLI::App app;
    app.add_option("INSTANCE", options.instance);
    app.add_option("--iterations", options.iterations);
    app.add_option("--seconds", options.seconds);
    app.add_option("--seed", options.seed);
    app.add_option("--nodes", options.nodes);
    app.add_option("-o", options.trace);
    app.add_option("--schedule", options.schedule);
    app.add_option("--json", options.json);
    app.add_option("--page", options.page);
    app.add_flag("--exact", options.exact);
    app.allow_extras();
    if (const std::optional<int> status = command.Parse(app, args)) return *status;
    if (auto usage = CheckOptions(app, options)) return command.UsageError(*usage);
    Settings settings;
    if (auto usage = ReadSettings(options, settings)) return command.UsageError(*usage);
    try {
        return Improve(options, settings, command);
    } catch (const std::bad_alloc&) {
        return command.Fail(TooLargeFailure(options.instance).message());
    }
}

}  // namespace jobshop
