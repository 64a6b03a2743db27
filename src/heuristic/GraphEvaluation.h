#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "model/Model.h"

namespace jobshop {

// Evaluates the schedule graph: every operation is a node weighted by its p,
// with arcs PO[k] -> k and PM[k] -> k. Operation 0 stands for both the missing
// start and the missing end, so R[0] = Q[0] = 0 at all times.
//
// One object serves the evaluations of one run: p, NO and PO must not change
// between them, while the machine links NM and PM may change in any way. An
// evaluation starts from what the previous one computed and redoes only the
// operations whose links changed and those their changes reach; when that
// work grows past the size of the graph it evaluates the whole graph instead.
// Either way the results are those of a fresh evaluation. The work arrays are
// sized once; an evaluation allocates nothing.
class GraphEvaluation {
  public:
    explicit GraphEvaluation(std::int32_t opCount);

    // Fills TopoOrder, Level and R for the current links. Returns false if
    // the graph has a cycle (possible only with processing times of 0 or
    // below); the results are then meaningless.
    bool EvaluateGraph(const Model& model) { return Evaluate(model); }

    // EvaluateGraph of a finished schedule that also yields its makespan: the
    // largest R, or 0 when no R is positive. Nothing on a cycle.
    std::optional<Time> EvaluateMakespan(const Model& model);

    // Fills Q; needs a successful EvaluateGraph on the same links just before.
    void ComputeTails(const Model& model);

    // The operations whose machine links, R, Q or Level may differ from what
    // they were after the previous evaluation, each named once, in no
    // particular order; nothing when that is not known (every operation may
    // differ, as after the first evaluation).
    std::optional<std::span<const Operation>> ChangedOperations() const;

    // Length of the longest path through o once it stands between machine
    // neighbours u and v (0 for none), from the R and Q of the last evaluation:
    // max(R[PO[o]], R[u]) + p[o] + max(Q[NO[o]], Q[v]).
    Time InsertionEstimate(const Model& model, Operation o, Operation u, Operation v) const;

    // Head of each operation, its own p included (its earliest completion
    // time). Entries 0 ... OpCount+1; entry 0 is 0.
    std::span<const Time> R() const { return R_; }
    // Tail of each operation, its own p included. Entries 0 ... OpCount+1;
    // entry 0 is 0.
    std::span<const Time> Q() const { return Q_; }
    // Ranks 1 ... OpCount: the operations level by level, and within a level
    // by increasing operation number. Entry 0 is unused.
    std::span<const Operation> TopoOrder() const { return TopoOrder_; }
    // Level of each operation plus one: the number of arcs on the longest
    // path that ends at it, plus one (a source has 1). Entries 0 ...
    // OpCount+1; entry 0 is 0.
    std::span<const std::int32_t> Level() const { return Level_; }

  private:
    bool Evaluate(const Model& model);
    bool EvaluateWhole(const Model& model);
    void FindChangedLinks(const Model& model);
    bool UpdateHeads(const Model& model);
    void PlaceLevels(Operation n, std::int32_t fromLevel);
    void ComputeAllTails(const Model& model);
    void UpdateTails(const Model& model);
    void PushTailSeed(Operation k);
    void StartEpoch();
    void MarkChanged(Operation k);
    void Enqueue(Operation k, std::int32_t level);
    Operation TakeLowest();
    Operation TakeHighest();
    Operation TakeFrom(std::int32_t level);
    void ClearQueue();

    std::vector<Time> R_, Q_;
    std::vector<Operation> TopoOrder_;
    std::vector<std::int32_t> Level_;
    // Per level: the number of operations, the rank before its first one, and
    // where PlaceLevels puts the next.
    std::vector<std::int32_t> levelSize_, levelStart_, levelCursor_;
    std::vector<std::int32_t> inDegree_;  // predecessors not yet taken
    std::vector<Operation> ready_;        // operations whose predecessors are all taken

    // The machine links the last evaluation saw, and whether its results
    // (heads, levels, TopoOrder) can be built on.
    std::vector<Operation> seenPM_, seenNM_;
    bool headsValid_ = false;
    std::vector<Operation> headSeeds_;  // predecessor link changed since then

    // Tails: valid for the links of the last ComputeTails; operations whose
    // successor link changed since then are queued once each.
    bool tailsValid_ = false;
    std::vector<Operation> tailSeeds_;
    std::vector<char> tailQueued_;

    // Operations changed since the previous evaluation, each listed once: an
    // operation is listed when its mark equals the current epoch, so a new
    // evaluation forgets the old list by counting up instead of clearing.
    std::vector<Operation> changed_;
    std::vector<std::uint32_t> changeEpoch_;
    std::uint32_t epoch_ = 0;
    bool allChanged_ = true;

    // Work queue: one list of operations per level, each operation in it at
    // most once; lowestBucket_ and highestBucket_ bound the levels in use.
    std::vector<char> queued_;
    std::vector<Operation> bucketFirst_, bucketNext_;  // 0 ends a list
    std::int32_t queuedCount_ = 0;
    std::int32_t lowestBucket_ = INT32_MAX;
    std::int32_t highestBucket_ = 0;
};

}  // namespace jobshop
