#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "heuristic/SearchObserver.h"

namespace jobshop {

// The search iteration by iteration, as a page needs it to show every
// iteration and to check a student's critical path, moves, makespans and
// pick: everything an iteration's notification holds but the heads and
// tails, which follow from the sequences (the start's, each move, and the
// schedule of every restart).
struct SearchRecording {
    struct Move {
        MoveKind kind;
        Operation a;
        Operation b;
        std::int32_t block;
        Time bound;
        Time cmax;  // exact; meaningless for a move closing a cycle
        MoveStatus status;
    };
    struct Iteration {
        std::int64_t iteration = 0;
        Time cmax = 0;
        Time best = 0;  // before the iteration
        std::vector<Operation> path;
        std::vector<Block> blocks;
        std::vector<Move> moves;
        std::int32_t chosen = -1;
        ChoiceRule rule = ChoiceRule::kNone;
        std::vector<TabuEntry> tabu;  // in force during the iteration
        Time after = 0;               // the makespan after its move
        bool improved = false;
    };
    struct Restart {
        std::int64_t iteration = 0;  // the last iteration before it
        RestartKind kind = RestartKind::kRandomStart;
        Time cmax = 0;
        std::vector<std::vector<Operation>> sequences;  // machines 1 ... MachineCount
    };
    std::vector<std::vector<Operation>> start;  // the insertion's sequences
    std::vector<Iteration> iterations;
    std::vector<Restart> restarts;
    // False when the recording stopped at its limit before the search did;
    // what it holds is then a beginning of the search.
    bool complete = true;
};

// Records the search until its JSON would pass `byteLimit` (a count made as
// it goes, of the numbers and the fixed text around them); then it stops
// recording, and stops asking for every move's exact makespan, but lets the
// search go on.
class SearchRecorder final : public SearchObserver {
  public:
    explicit SearchRecorder(std::uint64_t byteLimit) : byteLimit_(byteLimit) {}

    void SearchStarted(const Model& model, const SearchStart& start) override;
    void IterationEvaluated(const Model& model, const SearchIteration& iteration) override;
    void MoveApplied(const Model& model, const AppliedMove& move) override;
    void Restarted(const Model& model, const SearchRestart& restart) override;
    bool WantsExactMoves() const override { return recording_.complete; }

    const SearchRecording& recording() const { return recording_; }

  private:
    // Whether `bytes` more stay within the limit; counts them if so, else
    // ends the recording.
    bool Fits(std::uint64_t bytes);

    std::uint64_t byteLimit_;
    std::uint64_t bytes_ = 0;
    SearchRecording recording_;
};

// The machine sequences the model holds, machines 1 ... MachineCount.
std::vector<std::vector<Operation>> Sequences(const Model& model);

}  // namespace jobshop
