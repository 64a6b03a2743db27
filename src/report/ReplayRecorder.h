#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "heuristic/StepObserver.h"
#include "model/Model.h"

namespace jobshop {

// Everything the replay page shows, as the insertion loop published it.
//
// Evaluations are numbered 0 ... K: one per step on an occupied machine, in
// step order, and last the evaluation of the finished schedule (tails
// included). Their R, Q and Level are kept as full snapshots of every
// kSnapshotEvery-th evaluation and, for every evaluation after the first,
// the operations whose values differ from the evaluation before it, so a
// reader reaches any evaluation from the nearest snapshot.
struct ReplayRecording {
    static constexpr std::int32_t kSnapshotEvery = 64;

    struct Step {
        Operation op = 0;
        std::int32_t machine = 0;
        std::int32_t position = 0;    // 1 ... c+1
        std::vector<Time> estimates;  // estimates[b-1] of position b; empty on an empty machine
    };
    // R, Q and Level of every operation, indexed by operation 0 ... OpCount.
    struct Snapshot {
        std::vector<Time> R, Q, Level;
    };
    // (operation, new value minus old value), by increasing operation.
    using FieldChanges = std::vector<std::pair<Operation, Time>>;
    struct Changes {
        FieldChanges R, Q, Level;
    };

    std::string name;
    std::int32_t jobs = 0;
    std::int32_t machines = 0;
    std::vector<std::int32_t> M, p;   // indexed by operation 0 ... OpCount
    std::vector<Operation> order;     // InsertionOrder[1 ... OpCount], from index 0
    std::vector<Step> steps;          // steps[t-1] is step t
    std::vector<Snapshot> snapshots;  // snapshots[s] is evaluation s * kSnapshotEvery
    std::vector<Changes> changes;     // changes[e] leads from evaluation e-1 to e; [0] empty
    // The final sequence of machines 1 ... machines; empty without
    // operations, when every machine's sequence is.
    std::vector<std::vector<Operation>> sequences;
    Time cmax = 0;
};

// The least text of a step in the page's JSON besides its numbers and their
// separators: {"op":,"machine":,"position":,"estimates":[]}.
inline constexpr std::uint64_t kReplayStepFrame = 42;

// The bytes of the numbers of a replay's JSON, separators included, by the
// part of the data they belong to.
struct ReplayJsonBytes {
    std::uint64_t estimates = 0;  // the steps' estimates
    std::uint64_t snapshots = 0;
    std::uint64_t changes = 0;
    std::uint64_t rest = 0;  // operations, order, the steps' other numbers, sequences
    std::uint64_t Total() const { return estimates + snapshots + changes + rest; }
};

// Collects a ReplayRecording while it watches the insertion loop, and counts
// the bytes its JSON will take (ReplayJson). It asks the loop to stop once
// they pass `jsonLimit`, so that a page too large to open costs neither the
// time nor the memory of recording it whole. Counting alone (kCountOnly)
// keeps only the last evaluation, for what its JSON would take.
class ReplayRecorder final : public StepObserver {
  public:
    enum class Keep { kRecording, kCountOnly };

    explicit ReplayRecorder(std::uint64_t jsonLimit = UINT64_MAX, Keep keep = Keep::kRecording)
        : jsonLimit_(jsonLimit), keep_(keep) {}

    void OrderFixed(const Model& model) override;
    void StepEvaluated(const Model& model, const EvaluatedStep& step) override;
    void StepPlaced(const Model& model, const PlacedStep& step) override;
    // Also evaluates the finished schedule, tails included, so the page shows
    // the critical path and slack of the end result in the program's numbers.
    void Finished(const Model& model, Time makespan) override;

    bool StopRequested() const override { return jsonBytes() > jsonLimit_; }

    // Complete once Finished has been called; empty when only counting.
    const ReplayRecording& recording() const { return recording_; }
    // The bytes of the numbers recorded so far as the JSON writes them,
    // separators included: all of it but the fixed text around them.
    std::uint64_t jsonBytes() const { return bytes_.Total(); }
    const ReplayJsonBytes& jsonParts() const { return bytes_; }

  private:
    void RecordEvaluation(std::span<const Time> R, std::span<const Time> Q,
                          std::span<const std::int32_t> Level,
                          std::optional<std::span<const Operation>> changed);

    std::uint64_t jsonLimit_;
    Keep keep_;
    ReplayJsonBytes bytes_;
    std::int32_t evaluations_ = 0;
    ReplayRecording recording_;
    std::vector<Time> estimates_;  // of the step evaluated last, until it is placed
    std::int32_t evaluatedStep_ = 0;
    // The values of the evaluation recorded last.
    ReplayRecording::Snapshot last_;
    std::vector<Operation> touched_;
};

}  // namespace jobshop
