#include "driver/ImproveRun.h"

#include <vector>

#include "heuristic/ScheduleCheck.h"
#include "report/SearchTraceWriter.h"
#include "report/TraceOutput.h"

namespace jobshop {

Status SearchTraceTooLarge() {
    return Status::Failure(
        "\nBlad: slad przeszukiwania mialby ponad 100 MB; prosze podac mniej iteracji "
        "(--iterations).\n");
}

Status ScheduleCheckFailure() {
    return Status::Failure("\nBlad: harmonogram nie przeszedl kontroli (blad programu).\n");
}

bool SearchTraceTooLargeAhead(const Model& model, std::int64_t iterations) {
    return static_cast<double>(SearchTraceWriter::LeastIterationBytes(model)) *
               static_cast<double>(iterations) >
           static_cast<double>(kMaxSearchTraceBytes);
}

Status RunImproveSearch(Model& model, const SearchSettings& settings, const ChunkSink::Take* trace,
                        bool record, SearchObserver* watcher, ImproveRun& run) {
    run.report.insertion = model.Cmax;
    run.report.seed = settings.seed;
    std::uint64_t traced = 0;
    ChunkSink traceSink(64 * 1024, [&](std::string_view chunk) {
        traced += chunk.size();
        return traced <= kMaxSearchTraceBytes && (*trace)(chunk);
    });
    TraceOutput traceOut(traceSink);
    SearchTraceWriter traceWriter(model, traceOut);
    std::vector<SearchObserver*> watchers = {&run.history};
    if (trace != nullptr) watchers.push_back(&traceWriter);
    if (record) watchers.push_back(&run.steps);
    if (watcher != nullptr) watchers.push_back(watcher);
    SearchObservers watch(watchers);
    run.report.search = ImproveSchedule(model, settings, &watch);
    if (trace != nullptr) {
        traceOut.Flush();
        if (traceOut.failed() || !traceSink.Finish()) return SearchTraceTooLarge();
    }
    if (CheckedMakespan(model) != model.Cmax) return ScheduleCheckFailure();
    return Status::Ok();
}

}  // namespace jobshop
