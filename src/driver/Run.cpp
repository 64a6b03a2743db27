#include "driver/Run.h"

#include <istream>
#include <new>
#include <ostream>

#include "driver/InsertionOrder.h"
#include "driver/LoadMessages.h"
#include "formats/InputFile.h"
#include "heuristic/InsertionLoop.h"
#include "report/TraceOutput.h"
#include "report/TraceWriter.h"

namespace jobshop {
namespace {

// Opens the trace file, lets `write` fill it, flushes and closes it. What
// `write` reports comes first; otherwise any failure on the way (opening, a
// write, closing) is a failure to write the trace. What was written stays in
// the file either way.
template <class Write>
Status WriteTraceFile(const Model& model, TraceDestination& traces, FileSink::Mode mode,
                      Write write) {
    const std::unique_ptr<TraceSink> file = traces.Open(model.TraceFileName, mode);
    if (!file) return TraceWriteFailure(model.TraceFileName);
    TraceOutput out(*file);
    Status written = write(out);
    out.Flush();
    const bool closed = file->Close();
    if (!written.ok()) return written;
    if (out.failed() || !closed) return TraceWriteFailure(model.TraceFileName);
    return Status::Ok();
}

// The insertion loop's part of the trace: created or emptied, the sorted list
// and every step section. A loop stopped by a failed write is reported as
// that failure once the file is closed.
Status WriteScheduleTrace(Model& model, TraceDestination& traces) {
    return WriteTraceFile(model, traces, FileSink::Mode::kTruncate, [&model](TraceOutput& out) {
        TraceWriter trace(model, out);
        const ScheduleOutcome outcome = BuildSchedule(model, &trace);
        return outcome == ScheduleOutcome::kCycle ? CycleFailure() : Status::Ok();
    });
}

Status AppendClosingSection(const Model& model, TraceDestination& traces) {
    return WriteTraceFile(model, traces, FileSink::Mode::kAppend, [&model](TraceOutput& out) {
        TraceWriter(model, out).WriteClosingSection();
        return Status::Ok();
    });
}

}  // namespace

std::optional<LoadError> LoadSortedInstance(const std::filesystem::path& file, Model& model) {
    if (auto refused = LoadInstanceFile(file, model)) return refused;
    SortInsertionOrder(model);
    return std::nullopt;
}

Status CycleFailure() {
    return Status::Failure(
        "\nBlad: graf rozwiazania zawiera cykl (czasy wykonania musza byc dodatnie).\n");
}

Status TooLargeFailure(std::string_view file) {
    LoadError tooLarge;
    tooLarge.kind = LoadError::Kind::kTooLarge;
    return Status::Failure(ProgramLoadMessage(tooLarge, file));
}

Status RunSchedule(Model& model, TraceDestination& traces) {
    if (Status s = WriteScheduleTrace(model, traces); !s.ok()) return s;
    if (Status s = AppendClosingSection(model, traces); !s.ok()) return s;
    model.Cmax = 0;
    return Status::Ok();
}

Status RunSchedule(Model& model, const std::filesystem::path& folder) {
    FolderDestination traces(folder);
    return RunSchedule(model, traces);
}

int RunProgram(std::istream& in, std::ostream& out, std::ostream& err,
               const std::filesystem::path& folder) {
    FolderDestination traces(folder);
    return RunProgram(in, out, err, folder, traces);
}

int RunProgram(std::istream& in, std::ostream& out, std::ostream& err,
               const std::filesystem::path& folder, TraceDestination& traces) {
    for (const char* text : kStartTexts) out << text;
    out.flush();
    in.get();  // the user confirms with ENTER; end of input confirms too

    Status status = Status::Ok();
    try {
        Model model;
        if (auto refused = LoadSortedInstance(folder / kInstanceFileName, model)) {
            status = Status::Failure(ProgramLoadMessage(*refused, kInstanceFileName));
        } else {
            status = RunSchedule(model, traces);
        }
    } catch (const std::bad_alloc&) {
        status = TooLargeFailure();
    }
    if (!status.ok()) {
        err << status.message();
        err.flush();
        return 1;
    }
    out << kFinalText;
    out.flush();
    // Status 0 promises that the final text was printed; a full disk or a
    // closed standard output (here or already at the start texts) breaks
    // that promise, although the trace is complete.
    if (!out) {
        err << kOutputFailure;
        err.flush();
        return 1;
    }
    return 0;
}

}  // namespace jobshop
