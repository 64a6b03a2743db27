#include "driver/ReplayCommand.h"

#include <CLI/CLI.hpp>
#include <new>
#include <optional>
#include <ostream>
#include <vector>

#include "driver/Command.h"
#include "driver/LoadMessages.h"
#include "driver/ReplayRun.h"
#include "driver/Run.h"

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
    "               w biezacym katalogu; - to standardowe wyjscie)\n"
    "  --json DANE  zapisuje takze same dane strony (JSON; - to standardowe\n"
    "               wyjscie)\n"
    "  -h, --help   wyswietla ten opis\n";

constexpr Voice kVoice{"jobshop-replay", kUsage, true};

struct ReplayOptions {
    std::string instance = std::string(kInstanceFileName);
    std::optional<std::string> page;
    std::optional<std::string> json;
};

// The options, checked as far as they can be before anything is read; a
// usage error says what is wrong.
std::optional<std::string> CheckOptions(const CLI::App& app, const ReplayOptions& options) {
    if (!app.remaining().empty()) return "nieznany argument: " + app.remaining().front();
    for (const auto* value : {&options.page, &options.json}) {
        if (*value && (*value)->empty()) return "pusta nazwa pliku";
    }
    if (options.instance.empty()) return "pusta nazwa pliku instancji";
    return std::nullopt;
}

bool IsStandardOutput(const std::optional<std::string>& path) {
    return path && *path == kStandardOutputName;
}

// A second output over the instance or over the other output would lose
// what the user has, so it is refused before anything is written.
std::optional<std::string> CheckTargets(const ReplayOptions& options, const std::string& page) {
    const auto overInstance = [&](const std::string& path) {
        return path != kStandardOutputName && SameFile(path, options.instance);
    };
    if (overInstance(page) || (options.json && overInstance(*options.json))) {
        return "plik wyjsciowy nie moze byc plikiem instancji";
    }
    if (options.json && (page == *options.json || SameFile(*options.json, page))) {
        return "strona i dane nie moga trafic do tego samego pliku";
    }
    return std::nullopt;
}

// The default page name comes from the instance, so its targets are checked
// once it is loaded, still before anything is written.
int Replay(const ReplayOptions& options, Command& command) {
    Model model;
    if (auto refused = LoadSortedInstance(options.instance, model)) {
        return command.Fail(ProgramLoadMessage(*refused, options.instance));
    }
    const std::string page = options.page.value_or(model.InstanceName + "_krok_po_kroku.html");
    if (auto usage = CheckTargets(options, page)) return command.UsageError(*usage);
    std::vector<OutputFile> outputs = {{page, {}}};
    if (options.json) outputs.push_back({*options.json, {}});
    for (const OutputFile& output : outputs) {
        if (auto e = CheckOutputName(output.path)) return command.Fail(*e);
    }
    std::string json;
    if (Status s = RecordReplay(model, options.instance, json); !s.ok()) {
        return command.Fail(s.message());
    }
    outputs[0].pieces = ReplayPagePieces(json);
    if (options.json) outputs[1].pieces = {json};
    if (const int status = command.Write(outputs)) return status;
    // Standard output that carries a page or data has room for nothing else.
    if (page == kStandardOutputName || IsStandardOutput(options.json)) return kExitOk;
    std::string written = "Zapisano strone " + page + "\n";
    if (options.json) written += "Zapisano dane " + *options.json + "\n";
    return command.Print(written, kOutputFailure);
}

}  // namespace

int RunReplay(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    Command command(kVoice, out, err);
    ReplayOptions options;
    CLI::App app;
    app.add_option("INSTANCE", options.instance);
    app.add_option("-o", options.page);
    app.add_option("--json", options.json);
    app.allow_extras();
    if (const std::optional<int> status = command.Parse(app, args)) return *status;
    if (auto usage = CheckOptions(app, options)) return command.UsageError(*usage);
    try {
        return Replay(options, command);
    } catch (const std::bad_alloc&) {
        return command.Fail(TooLargeFailure(options.instance).message());
    }
}

}  // namespace jobshop
