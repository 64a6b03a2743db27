#include "driver/ReplayRun.h"

#include "driver/Run.h"
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

Status PageTooLarge() {
    return Status::Failure(
        "\nBlad: strona tej instancji mialaby ponad 500 MB, wiecej niz przegladarka "
        "moze otworzyc.\n");
}

}  // namespace

Status RecordReplay(Model& model, std::string_view instance, std::string& json) {
    if (model.OpCount > kMaxReplayOpCount) return TooLargeFailure(instance);
    const std::uint64_t frame = ReplayPageTemplate().size() - kReplayDataMarker.size();
    if (frame + ReplayJsonLowerBound(model) > kMaxPageBytes) return PageTooLarge();
    ReplayRecorder recorder(kMaxPageBytes - frame);
    switch (BuildSchedule(model, &recorder)) {
        case ScheduleOutcome::kComplete:
            break;
        case ScheduleOutcome::kCycle:
            return CycleFailure();
        case ScheduleOutcome::kStopped:
            return PageTooLarge();
    }
    json = ReplayJson(recorder.recording());
    return frame + json.size() > kMaxPageBytes ? PageTooLarge() : Status::Ok();
}

std::vector<std::string_view> ReplayPagePieces(std::string_view json) {
    const std::string_view page = ReplayPageTemplate();
    const std::size_t at = page.find(kReplayDataMarker);
    return {page.substr(0, at), json, page.substr(at + kReplayDataMarker.size())};
}

}  // namespace jobshop
