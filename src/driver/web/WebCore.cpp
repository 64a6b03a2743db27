// The web edition's core: the program's own loader, insertion order,
// insertion loop, trace writer and replay recorder, compiled to WebAssembly
// and driven by the page (js/core.js wraps these calls).
//
// The page writes an instance's bytes into the room web_input gives and
// runs it. Bytes come back as a view into this module's memory
// (web_view_data, web_view_size), valid until the next call; the trace,
// too large for one view, goes out in chunks through web_trace_chunk.
//
// The search (web_improve and the calls after it) and the optimum
// (web_optimum) run in a second instance of this module in a worker, so
// that the page stays responsive; they work on the instance that instance
// was last given to run.

#include <emscripten.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "driver/FormatReading.h"
#include "driver/ImproveRun.h"
#include "driver/InsertionOrder.h"
#include "driver/LoadMessages.h"
#include "driver/ReplayRun.h"
#include "driver/Run.h"
#include "driver/TraceDestination.h"
#include "formats/Generator.h"
#include "formats/InstanceWriter.h"
#include "formats/Loader.h"
#include "heuristic/BranchAndBound.h"
#include "heuristic/InsertionLoop.h"
#include "heuristic/ScheduleCheck.h"
#include "report/ChunkSink.h"
#include "report/ImproveOutput.h"

// Hands one chunk of the trace to the page, which copies it before the call
// returns.
EM_JS(void, web_trace_chunk, (const char* data, std::size_t size),
      { Module["onTraceChunk"](data, size); });

// Tells the page how far the search has come.
EM_JS(void, web_search_progress, (double iteration, double cmax, double best),
      { Module["onSearchProgress"](iteration, cmax, best); });

namespace jobshop {
namespace {

// What web_run and web_trace answer.
enum RunStatus : int {
    kRunOk = 0,
    kRefusedByLoader = 1,  // the message is in the view, its line in web_line
    kRefusedByRun = 2,     // a cycle, or a replay too large: the message is in the view
    kNoRun = 3,            // nothing to give: the last run was refused, or none was made
};

// The page's one session: the instance of the last run that succeeded and
// its replay data, kept for the downloads.
struct Session {
    std::string input;
    std::string file = std::string(kInstanceFileName);  // the name messages give the input
    std::string name;  // the instance's name a reading gives, when not the file's own
    Model model;       // loaded and sorted, never scheduled: each trace schedules a copy
    bool ready = false;
    std::string json;
    std::string text;     // a message or a generated instance
    std::string english;  // the message's English twin
    std::int64_t line = 0;
    FormatReading reading;
    std::vector<std::int32_t> numbers;
    std::string_view view;
};

Session session;

// The last search on the session's instance, kept for its downloads: its
// data (jobshop-improve --json), its best schedule, the replay's data with
// the search after the steps, and the settings that repeat it with an
// iteration limit, as a trace needs one.
struct SearchSession {
    bool ready = false;
    std::string json;
    std::string schedule;
    std::string page;
    SearchSettings repeat;
};

SearchSession search;

// Tells the page of the search's progress now and then: at most every
// kProgressEvery of wall time, looked at every 64 iterations.
class Progress final : public SearchObserver {
  public:
    void MoveApplied(const Model&, const AppliedMove& move) override {
        if (move.iteration % 64 != 0) return;
        const auto now = std::chrono::steady_clock::now();
        if (now - last_ < kProgressEvery) return;
        last_ = now;
        web_search_progress(static_cast<double>(move.iteration),
                            static_cast<double>(move.move.cmax), static_cast<double>(move.best));
    }

  private:
    static constexpr std::chrono::milliseconds kProgressEvery{150};
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

// Iterations of search before branch and bound, for a good first bound.
constexpr std::int64_t kSearchBeforeProof = 2000;

void Show(std::string_view bytes) {
    session.view = bytes;
}

int Refuse(RunStatus status, std::string message, std::string english, std::int64_t line = 0) {
    session.text = std::move(message);
    session.english = std::move(english);
    session.line = line;
    Show(session.text);
    return status;
}

// Every trace the run opens goes into one ChunkSink, so the sorted list, the
// steps and the closing section reach `take` as one stream of chunks.
class ChunkDestination final : public TraceDestination {
  public:
    ChunkDestination(std::size_t chunkSize, ChunkSink::Take take)
        : chunks_(chunkSize, std::move(take)) {}

    std::unique_ptr<TraceSink> Open(const std::string&, FileSink::Mode) override {
        return std::make_unique<Part>(chunks_);
    }
    bool Finish() { return chunks_.Finish(); }

  private:
    class Part final : public TraceSink {
      public:
        explicit Part(ChunkSink& chunks) : chunks_(chunks) {}
        bool Write(std::span<const std::string_view> parts) override {
            return chunks_.Write(parts);
        }
        bool Close() override { return true; }

      private:
        ChunkSink& chunks_;
    };

    ChunkSink chunks_;
};

// A run's refusal in English, as the tools word it; the program's own
// message when no tool has words for it.
std::string EnglishRefusal(const Status& refused) {
    const std::string_view file = kInstanceFileName;
    if (refused.message() == CycleFailure().message()) {
        return std::string(file) + ": the schedule graph closed a cycle (times of 0 or below)";
    }
    if (refused.message() == TooLargeFailure(file).message()) {
        LoadError tooLarge;
        tooLarge.kind = LoadError::Kind::kTooLarge;
        return ToolLoadMessage(tooLarge, file);
    }
    if (refused.message() == SearchTraceTooLarge().message()) {
        return "the search's trace would be larger than 100 MB; give fewer iterations "
               "(--iterations)";
    }
    if (refused.message() == PageTooLargeFailure().message()) {
        return std::string(file) +
               ": the page of this instance would be larger than 500 MB, more than a browser opens";
    }
    return refused.message();
}

// A refusal of the run's, in Polish and English.
int RefuseRun(const Status& refused) {
    return Refuse(kRefusedByRun, refused.message(), EnglishRefusal(refused));
}

// The session's instance scheduled as jobshop-insert schedules it, in
// `model`; a refusal when the insertion closes a cycle.
int ScheduleSession(Model& model) {
    model = session.model;
    if (BuildSchedule(model) != ScheduleOutcome::kComplete) {
        return RefuseRun(CycleFailure());
    }
    return kRunOk;
}

bool ValidGeneratorSize(std::int32_t jobs, std::int32_t machines, std::int32_t low,
                        std::int32_t high) {
    return jobs >= 1 && machines >= 1 && std::int64_t{jobs} * machines <= kMaxGeneratedOps &&
           low >= 1 && low <= high;
}

int ShowGenerated(std::int32_t jobs, std::int32_t machines, GeneratorSeeds seeds, TimeRange times) {
    session.text = ProgramText(GenerateTaillard(GeneratedName(jobs, machines, seeds, times), jobs,
                                                machines, seeds, times));
    Show(session.text);
    return 0;
}

}  // namespace
}  // namespace jobshop

using namespace jobshop;

extern "C" {

EMSCRIPTEN_KEEPALIVE const char* web_view_data() {
    return session.view.data();
}

EMSCRIPTEN_KEEPALIVE std::size_t web_view_size() {
    return session.view.size();
}

// Room for the `size` bytes of the instance to run next.
EMSCRIPTEN_KEEPALIVE char* web_input(std::size_t size) {
    session.input.assign(size, '\0');
    return session.input.data();
}

// Loads the instance in the input, as jobshop-insert loads input.txt, and
// records its replay as jobshop-replay does. A refusal leaves no session.
EMSCRIPTEN_KEEPALIVE int web_run() {
    session.ready = false;
    search = {};
    session.json.clear();
    session.json.shrink_to_fit();
    Model model;
    if (auto refused = LoadInstance(session.input, model)) {
        return Refuse(kRefusedByLoader, ProgramLoadMessage(*refused, kInstanceFileName),
                      ToolLoadMessage(*refused, kInstanceFileName), refused->line);
    }
    SortInsertionOrder(model);
    Model scheduled = model;
    if (Status s = RecordReplay(scheduled, kInstanceFileName, session.json); !s.ok()) {
        return Refuse(kRefusedByRun, s.message(), EnglishRefusal(s));
    }
    session.model = std::move(model);
    session.ready = true;
    Show(session.json);
    return kRunOk;
}

// The last refusal's message in English (the view).
EMSCRIPTEN_KEEPALIVE void web_english() {
    Show(session.english);
}

// The line of the loader's refusal, 0 when it names none.
EMSCRIPTEN_KEEPALIVE double web_line() {
    return static_cast<double>(session.line);
}

// The last run's replay data (the view; empty without a run).
EMSCRIPTEN_KEEPALIVE void web_replay_data() {
    Show(session.json);
}

// Piece `i` (0, 1, 2) of the last run's replay page: the page's text before
// its data, the data, the text after it.
EMSCRIPTEN_KEEPALIVE int web_page_piece(int i) {
    Show({});
    if (!session.ready) return kNoRun;
    const std::vector<std::string_view> pieces = ReplayPagePieces(session.json);
    if (i >= 0 && static_cast<std::size_t>(i) < pieces.size()) Show(pieces[i]);
    return kRunOk;
}

// The last run's instance: its name's bytes (web_instance_name), and its
// numbers as 32-bit integers (web_instance_numbers): jobs, machines, then
// machine and time of every operation.
EMSCRIPTEN_KEEPALIVE void web_instance_name() {
    Show(session.model.InstanceName);
}

EMSCRIPTEN_KEEPALIVE void web_instance_numbers() {
    const Model& model = session.model;
    session.numbers.assign({model.JobCount, model.MachineCount});
    for (Operation op = 1; op <= model.OpCount; ++op) {
        session.numbers.push_back(model.M[op]);
        session.numbers.push_back(model.p[op]);
    }
    Show({reinterpret_cast<const char*>(session.numbers.data()),
          session.numbers.size() * sizeof(std::int32_t)});
}

// Writes the last run's whole trace, exactly as jobshop-insert writes it,
// in chunks of `chunkSize` bytes through web_trace_chunk.
EMSCRIPTEN_KEEPALIVE int web_trace(std::size_t chunkSize) {
    if (!session.ready) return kNoRun;
    Model model = session.model;
    ChunkDestination traces(chunkSize, [](std::string_view chunk) {
        web_trace_chunk(chunk.data(), chunk.size());
        return true;
    });
    Status s = RunSchedule(model, traces);
    if (s.ok() && !traces.Finish()) s = TraceWriteFailure(model.TraceFileName);
    if (!s.ok()) return Refuse(kRefusedByRun, s.message(), EnglishRefusal(s));
    return kRunOk;
}

// Runs a small generated instance through everything a page does (the
// replay's recording, the trace into no chunk), leaving the session as it
// was. Browsers run WebAssembly first from quickly made code and optimize
// a function only once it has run a while; code that is then still running
// stays slow. Warmed up so, the first trace of a large instance takes a
// fraction of the time it would.
EMSCRIPTEN_KEEPALIVE void web_warm_up() {
    Model model;
    const std::string text = ProgramText(GenerateTaillard("warm-up", 20, 20, {1, 2}, TimeRange{}));
    if (LoadInstance(text, model)) return;
    SortInsertionOrder(model);
    Model recorded = model;
    std::string json;
    if (!RecordReplay(recorded, kInstanceFileName, json).ok()) return;
    ChunkDestination traces(1 << 20, [](std::string_view) { return true; });
    if (RunSchedule(model, traces).ok()) traces.Finish();
}

// The instance jobshop-generate makes with --taillard TIME_SEED MACHINE_SEED
// (and no --name), in the view; 1 for arguments it refuses.
EMSCRIPTEN_KEEPALIVE int web_generate(std::int32_t jobs, std::int32_t machines, std::int32_t low,
                                      std::int32_t high, std::int32_t timeSeed,
                                      std::int32_t machineSeed) {
    if (!ValidGeneratorSize(jobs, machines, low, high) || !IsValidSeed(timeSeed) ||
        !IsValidSeed(machineSeed)) {
        return 1;
    }
    return ShowGenerated(jobs, machines, {timeSeed, machineSeed}, {low, high});
}

// Improves the last run's schedule as jobshop-improve does, with at most
// `iterations` iterations (below 0: no limit) and at most `seconds` seconds
// (0 or below: no limit), and the seed's two halves; shows its data
// (jobshop-improve --json, with the iterations recorded), and keeps its
// schedule, the replay page with the search and the settings that repeat it.
EMSCRIPTEN_KEEPALIVE int web_improve(double iterations, double seconds, std::uint32_t seedHigh,
                                     std::uint32_t seedLow) {
    search = {};
    if (!session.ready) return kNoRun;
    Model model;
    if (const int refused = ScheduleSession(model)) return refused;
    SearchSettings settings;
    settings.seed = std::uint64_t{seedHigh} << 32 | seedLow;
    if (iterations >= 0) settings.iterations = static_cast<std::int64_t>(iterations);
    if (seconds > 0) settings.seconds = seconds;
    ImproveRun run;
    Progress progress;
    if (Status s = RunImproveSearch(model, settings, nullptr, true, &progress, run); !s.ok()) {
        return RefuseRun(s);
    }
    search.json = ImproveJson(model, run.report, run.history, &run.steps.recording());
    search.schedule = ScheduleText(model);
    search.page = session.json;
    // A page too large to open is refused when asked for.
    if (!AppendSearch(search.page, search.json).ok()) search.page.clear();
    // The same seed and iteration limit repeat the run: a limit of time
    // becomes the iterations it allowed; a run that stopped by itself gets
    // room for the iteration that stopped it.
    const SearchResult& result = run.report.search;
    search.repeat.seed = settings.seed;
    const bool limited = result.stop == SearchStop::kIterations || result.stop == SearchStop::kTime;
    search.repeat.iterations = result.iterations + (limited ? 0 : 1);
    search.ready = true;
    Show(search.json);
    return kRunOk;
}

// The iterations that repeat the last search: with its seed, jobshop-improve
// --iterations this many writes its trace and schedule (-1: no search).
EMSCRIPTEN_KEEPALIVE double web_improve_iterations() {
    return search.ready ? static_cast<double>(*search.repeat.iterations) : -1;
}

// The last search's best schedule, as jobshop-improve --schedule writes it.
EMSCRIPTEN_KEEPALIVE int web_improve_schedule() {
    Show({});
    if (!search.ready) return kNoRun;
    Show(search.schedule);
    return kRunOk;
}

// Piece `i` (0, 1, 2) of the replay page with the last search after the
// steps, as jobshop-improve --page writes it; refused for a page too large.
EMSCRIPTEN_KEEPALIVE int web_improve_page_piece(int i) {
    Show({});
    if (!search.ready) return kNoRun;
    if (search.page.empty()) return RefuseRun(PageTooLargeFailure());
    const std::vector<std::string_view> pieces = ReplayPagePieces(search.page);
    if (i >= 0 && static_cast<std::size_t>(i) < pieces.size()) Show(pieces[i]);
    return kRunOk;
}

// The last search's trace, exactly as jobshop-improve -o writes it with its
// seed and web_improve_iterations(): the search is run again, the trace
// going out in chunks through web_trace_chunk. A trace past the program's
// limit is refused with its message, ahead where its least size tells.
EMSCRIPTEN_KEEPALIVE int web_improve_trace() {
    if (!search.ready) return kNoRun;
    Model model;
    if (const int refused = ScheduleSession(model)) return refused;
    if (SearchTraceTooLargeAhead(model, *search.repeat.iterations)) {
        return RefuseRun(SearchTraceTooLarge());
    }
    const ChunkSink::Take toPage = [](std::string_view chunk) {
        web_trace_chunk(chunk.data(), chunk.size());
        return true;
    };
    ImproveRun run;
    if (Status s = RunImproveSearch(model, search.repeat, &toPage, false, nullptr, run); !s.ok()) {
        return RefuseRun(s);
    }
    return kRunOk;
}

// The optimum of the last run's instance as jobshop-improve --exact finds
// it (after a short search, branch and bound with at most `nodes` nodes and
// `seconds` seconds): the view shows jobshop-improve's data with "exact".
EMSCRIPTEN_KEEPALIVE int web_optimum(double nodes, double seconds) {
    if (!session.ready) return kNoRun;
    Model model;
    if (const int refused = ScheduleSession(model)) return refused;
    SearchSettings settings;
    settings.iterations = kSearchBeforeProof;
    ImproveRun run;
    if (Status s = RunImproveSearch(model, settings, nullptr, false, nullptr, run); !s.ok()) {
        return RefuseRun(s);
    }
    ExactLimits limits;
    limits.nodes = static_cast<std::int64_t>(nodes);
    limits.seconds = seconds;
    run.report.exact = ProveOptimum(model, limits);
    if (CheckedMakespan(model) != model.Cmax) {
        return RefuseRun(ScheduleCheckFailure());
    }
    session.text = ImproveJson(model, run.report, run.history);
    Show(session.text);
    return kRunOk;
}

// The instance jobshop-generate makes with --seed CLASS_SEED (one instance).
EMSCRIPTEN_KEEPALIVE int web_generate_class(std::int32_t jobs, std::int32_t machines,
                                            std::int32_t low, std::int32_t high,
                                            std::int32_t classSeed) {
    if (!ValidGeneratorSize(jobs, machines, low, high) || !IsValidSeed(classSeed)) return 1;
    return ShowGenerated(jobs, machines, ClassSeeds(classSeed, 0), {low, high});
}

// Room for the name messages give the input (0; a file's name, input.txt
// when none is given) or for the instance's name a reading gives instead of
// the file's own (1; empty: the file's own).
EMSCRIPTEN_KEEPALIVE char* web_reading_name(int which, std::size_t size) {
    std::string& name = which == 0 ? session.file : session.name;
    name.assign(size, '\0');
    return name.data();
}

// Reads the input as jobshop-convert reads a file (FormatReading): in the
// format `format` (a Format; -1: the one detected), instance `index` (from
// 0). Answers the outcome (0: the program's format, to be run as it is; 1:
// converted; 2: refused); the view holds the converted text, or the
// refusal's Polish message (web_english gives its English).
EMSCRIPTEN_KEEPALIVE int web_read(int format, std::size_t index) {
    std::optional<Format> from;
    if (format >= 0 && static_cast<std::size_t>(format) < kFormatNames.size()) {
        from = static_cast<Format>(format);
    }
    session.reading = ReadFormat(session.input, session.file, from, index, session.name);
    const FormatReading& reading = session.reading;
    session.english = reading.english;
    session.line = reading.line;
    Show(reading.outcome == FormatReading::Outcome::kRefused ? reading.polish
                                                             : reading.programText);
    return static_cast<int>(reading.outcome);
}

// The last reading's numbers (32-bit integers): the format read, whether
// it had `instance` lines, the number of instances and the one read, the
// refusal's line.
EMSCRIPTEN_KEEPALIVE void web_reading_numbers() {
    const FormatReading& reading = session.reading;
    session.numbers.assign({static_cast<std::int32_t>(reading.format), reading.introduced ? 1 : 0,
                            static_cast<std::int32_t>(reading.names.size()),
                            static_cast<std::int32_t>(reading.index), reading.line});
    Show({reinterpret_cast<const char*>(session.numbers.data()),
          session.numbers.size() * sizeof(std::int32_t)});
}

// The name of instance `k` of the last reading's file.
EMSCRIPTEN_KEEPALIVE void web_reading_instance(std::size_t k) {
    Show(k < session.reading.names.size() ? std::string_view(session.reading.names[k])
                                          : std::string_view());
}

}  // extern "C"
