#include "driver/ReplayRun.h"

#include <algorithm>

#include "driver/InsertionOrder.h"
#include "driver/Run.h"
#include "formats/Loader.h"
#include "heuristic/InsertionLoop.h"
#include "report/ReplayJson.h"
#include "report/ReplayPage.h"
#include "report/ReplayRecorder.h"

namespace jobshop {
namespace {

// Every number of the page's data must survive a JSON reader that holds
// numbers as doubles: with at most 2^20 operations every head, tail,
// estimate and change stays within 2^53 in magnitude.
constexpr std::int32_t kMaxReplayOpCount = 1 << 20;

// The largest page a browser opens: Chromium holds a text of at most
// 2^29 - 24 characters (about 537 MB) in one string, and the page's data
// must be one. Its pages of 480 MB open in about 11 s.
constexpr std::uint64_t kMaxPageBytes = 500'000'000;

// A sample's numbers come about as long, and its changes as dense, as the
// whole instance's, seldom more than 3% over: the prediction keeps well
// below.
constexpr double kPredictionMargin = 0.85;
constexpr std::int32_t kLeastSampleJobs = 8;

// `jobs` of the instance's jobs, spread evenly over them, loaded and sorted
// as an instance of their own.
Model SampleJobs(const Model& model, std::int32_t jobs) {
    const std::int32_t m = model.MachineCount;
    Model sample;
    sample.JobCount = jobs;
    sample.MachineCount = m;
    sample.OpCount = jobs * m;
    sample.M.assign(1, 0);
    sample.p.assign(1, 0);
    for (std::int64_t j = 0; j < jobs; ++j) {
        const std::int64_t first = j * model.JobCount / jobs * m + 1;
        for (std::int64_t k = first; k < first + m; ++k) {
            sample.M.push_back(model.M[k]);
            sample.p.push_back(model.p[k]);
        }
    }
    sample.M.push_back(0);
    sample.p.push_back(0);
    LinkJobs(sample);
    SortInsertionOrder(sample);
    return sample;
}

}  // namespace

std::uint64_t PredictReplayJsonBytes(const Model& model, std::int32_t sampleOps) {
    const std::int32_t m = model.MachineCount;
    if (model.OpCount == 0) return 0;
    // A few jobs change more of each other than many do.
    const std::int32_t jobs = std::max(kLeastSampleJobs, sampleOps / m);
    if (jobs >= model.JobCount || std::int64_t{jobs} * m > 4 * std::int64_t{sampleOps}) return 0;
    Model sample = SampleJobs(model, jobs);
    ReplayRecorder counter(UINT64_MAX, ReplayRecorder::Keep::kCountOnly);
    if (BuildSchedule(sample, &counter) != ScheduleOutcome::kComplete) return 0;
    const ReplayJsonBytes& part = counter.jsonParts();
    const ReplayCounts partCounts = CountReplay(sample);
    const ReplayCounts counts = CountReplay(model);
    // Each kind of number as long on average as in the sample.
    const auto scaled = [](std::uint64_t bytes, double numbers, double wholeNumbers) {
        return numbers > 0 ? static_cast<double>(bytes) / numbers * wholeNumbers : 0.0;
    };
    const double snapshotNumbers = static_cast<double>(partCounts.snapshots) * sample.OpCount;
    double bytes = scaled(part.rest, sample.OpCount, model.OpCount) +
                   scaled(part.estimates, static_cast<double>(partCounts.estimates),
                          static_cast<double>(counts.estimates)) +
                   scaled(part.snapshots, snapshotNumbers,
                          static_cast<double>(counts.snapshots) * model.OpCount);
    // Changes come about evenly for every job at every evaluation.
    bytes += scaled(part.changes, static_cast<double>(jobs) * (partCounts.evaluations - 1),
                    static_cast<double>(model.JobCount) * (counts.evaluations - 1));
    return static_cast<std::uint64_t>(kPredictionMargin * bytes);
}

Status RecordReplay(Model& model, std::string_view instance, std::string& json) {
    if (model.OpCount > kMaxReplayOpCount) return TooLargeFailure(instance);
    const std::uint64_t frame = ReplayPageTemplate().size() - kReplayDataMarker.size();
    if (frame + ReplayJsonLowerBound(model) > kMaxPageBytes ||
        frame + PredictReplayJsonBytes(model) > kMaxPageBytes) {
        return PageTooLargeFailure();
    }
    ReplayRecorder recorder(kMaxPageBytes - frame);
    switch (BuildSchedule(model, &recorder)) {
        case ScheduleOutcome::kComplete:
            break;
        case ScheduleOutcome::kCycle:
            return CycleFailure();
        case ScheduleOutcome::kStopped:
            return PageTooLargeFailure();
    }
    json = ReplayJson(recorder.recording());
    return frame + json.size() > kMaxPageBytes ? PageTooLargeFailure() : Status::Ok();
}

Status PageTooLargeFailure() {
    return Status::Failure(
        "\nBlad: strona tej instancji mialaby ponad 500 MB, wiecej niz przegladarka "
        "moze otworzyc.\n");
}

Status AppendSearch(std::string& json, std::string_view search) {
    // Both texts are one object and a line end.
    while (!search.empty() && search.back() == '\n') search.remove_suffix(1);
    const std::size_t close = json.rfind('}');
    const std::uint64_t frame = ReplayPageTemplate().size() - kReplayDataMarker.size();
    if (close == std::string::npos || frame + json.size() + search.size() + 12 > kMaxPageBytes) {
        return PageTooLargeFailure();
    }
    json.resize(close);
    json.append(",\"search\":").append(search).append("}\n");
    return Status::Ok();
}

std::vector<std::string_view> ReplayPagePieces(std::string_view json) {
    const std::string_view page = ReplayPageTemplate();
    const std::size_t at = page.find(kReplayDataMarker);
    return {page.substr(0, at), json, page.substr(at + kReplayDataMarker.size())};
}

}  // namespace jobshop
