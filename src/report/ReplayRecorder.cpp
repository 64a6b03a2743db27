#include "report/ReplayRecorder.h"

#include <algorithm>
#include <numeric>

#include "heuristic/GraphEvaluation.h"
#include "report/Decimal.h"

namespace jobshop {
namespace {

// The characters of `value` in the JSON, its separator included.
std::uint64_t JsonLength(Time value) {
    return static_cast<std::uint64_t>(DecimalLength(value)) + 1;
}

// Kept in `changes` unless only counting (nullptr).
void RecordChange(ReplayRecording::FieldChanges* changes, Operation k, Time& shown, Time value,
                  Operation& previous, std::uint64_t& bytes) {
    if (shown == value) return;
    if (changes != nullptr) changes->emplace_back(k, value - shown);
    bytes += JsonLength(k - previous) + JsonLength(value - shown);
    previous = k;
    shown = value;
}

}  // namespace

void ReplayRecorder::OrderFixed(const Model& model) {
    const auto n = static_cast<std::size_t>(model.OpCount);
    for (std::vector<Time>* field : {&last_.R, &last_.Q, &last_.Level}) field->assign(n + 1, 0);
    // "operations" as [M,p] pairs, and "order".
    for (Operation k = 1; k <= model.OpCount; ++k) {
        bytes_.rest += 2 + JsonLength(model.M[k]) + JsonLength(model.p[k]) +
                       JsonLength(model.InsertionOrder[k]);
    }
    if (keep_ == Keep::kCountOnly) return;
    ReplayRecording& r = recording_;
    r.name = model.InstanceName;
    r.jobs = model.JobCount;
    r.machines = model.MachineCount;
    r.M.assign(model.M.begin(), model.M.begin() + static_cast<std::ptrdiff_t>(n + 1));
    r.p.assign(model.p.begin(), model.p.begin() + static_cast<std::ptrdiff_t>(n + 1));
    r.order.assign(model.InsertionOrder.begin() + 1,
                   model.InsertionOrder.begin() + static_cast<std::ptrdiff_t>(n + 1));
    r.steps.reserve(n);
}

void ReplayRecorder::StepEvaluated(const Model& model, const EvaluatedStep& step) {
    (void)model;
    for (const Time estimate : step.estimates) bytes_.estimates += JsonLength(estimate);
    if (keep_ == Keep::kRecording) estimates_.assign(step.estimates.begin(), step.estimates.end());
    evaluatedStep_ = step.t;
    RecordEvaluation(step.R, step.Q, step.Level, step.changed);
}

void ReplayRecorder::StepPlaced(const Model& model, const PlacedStep& step) {
    (void)model;
    bytes_.rest += kReplayStepFrame + JsonLength(step.op) + JsonLength(step.machine) +
                   JsonLength(step.position);
    if (keep_ == Keep::kCountOnly) return;
    ReplayRecording::Step& s = recording_.steps.emplace_back();
    s.op = step.op;
    s.machine = step.machine;
    s.position = step.position;
    if (evaluatedStep_ == step.t) s.estimates = std::move(estimates_);
    estimates_.clear();
}

void ReplayRecorder::Finished(const Model& model, Time makespan) {
    GraphEvaluation graph(model.OpCount);
    // The loop has just evaluated these links without meeting a cycle.
    if (graph.EvaluateGraph(model)) {
        graph.ComputeTails(model);
        RecordEvaluation(graph.R(), graph.Q(), graph.Level(), std::nullopt);
    }
    // Without operations no machine has a row (ClearSchedule) and every
    // sequence is empty: none is listed, however many machines there are.
    const std::int32_t listed = model.OpCount > 0 ? model.MachineCount : 0;
    bytes_.rest += 3 * static_cast<std::uint64_t>(listed);  // brackets and separator
    for (std::int32_t i = 1; i <= listed; ++i) {
        const Operation* row = model.PI(i);
        const std::span<const Operation> sequence(row + 1, row + 1 + model.Placed(i));
        for (const Operation k : sequence) bytes_.rest += JsonLength(k);
        if (keep_ == Keep::kRecording)
            recording_.sequences.emplace_back(sequence.begin(), sequence.end());
    }
    recording_.cmax = makespan;
}

void ReplayRecorder::RecordEvaluation(std::span<const Time> R, std::span<const Time> Q,
                                      std::span<const std::int32_t> Level,
                                      std::optional<std::span<const Operation>> changed) {
    const auto n = static_cast<Operation>(last_.R.size()) - 1;
    const std::int32_t e = evaluations_++;
    ReplayRecording::Changes* delta =
        keep_ == Keep::kRecording ? &recording_.changes.emplace_back() : nullptr;
    // The change list must run by increasing operation; the loop names its
    // changed operations in no particular order.
    if (changed && e > 0) {
        touched_.assign(changed->begin(), changed->end());
        std::sort(touched_.begin(), touched_.end());
    } else {
        touched_.resize(static_cast<std::size_t>(n));
        std::iota(touched_.begin(), touched_.end(), 1);
    }
    Operation previous[3] = {0, 0, 0};
    std::uint64_t bytes = 0;
    for (const Operation k : touched_) {
        RecordChange(delta ? &delta->R : nullptr, k, last_.R[k], R[k], previous[0], bytes);
        RecordChange(delta ? &delta->Q : nullptr, k, last_.Q[k], Q[k], previous[1], bytes);
        RecordChange(delta ? &delta->Level : nullptr, k, last_.Level[k], Level[k], previous[2],
                     bytes);
    }
    // The first evaluation is a snapshot; it leads from nothing.
    if (e == 0 && delta) *delta = {};
    bytes_.changes += e == 0 ? 0 : bytes;
    if (e % ReplayRecording::kSnapshotEvery == 0) {
        if (keep_ == Keep::kRecording) recording_.snapshots.push_back(last_);
        for (std::size_t k = 1; k <= static_cast<std::size_t>(n); ++k) {
            bytes_.snapshots +=
                JsonLength(last_.R[k]) + JsonLength(last_.Q[k]) + JsonLength(last_.Level[k]);
        }
    }
}

}  // namespace jobshop
