#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "model/Model.h"

namespace jobshop {

// A run of at least two operations that follow each other on a critical
// path through machine arcs: they stand directly one after the other on
// their machine, each starting when the one before it ends.
struct Block {
    std::int32_t first;  // index into the path of the block's first operation
    std::int32_t last;   // index of its last one, > first
};

// A longest path of a complete schedule, from its start to its end.
struct CriticalPath {
    std::vector<Operation> ops;
    std::vector<char> machineArc;  // machineArc[i]: ops[i-1] -> ops[i] is a machine arc; [0] is 0
    std::vector<Block> blocks;     // in path order
};

// A move inside one machine row: the run l1 ... lk of operations that
// stood back to back there, linked by machine arcs, and the one that moved
// (l1 to stand behind lk, or lk to stand in front of l1).
struct RowMove {
    Operation first;  // l1
    Operation last;   // lk
    Operation moved;  // first or last
};

// Evaluates a complete schedule from its links alone (PO/NO and PM/NM):
// heads, tails, a topological order, the makespan and a critical path.
// Evaluate starts from scratch, so any links may change between two; the
// RowMove functions build on the last evaluation and redo only what a move
// reaches.
class ScheduleGraph {
  public:
    explicit ScheduleGraph(std::int32_t opCount);

    // Fills R, Q, TopoOrder and Cmax; false if the graph has a cycle (then
    // they are meaningless).
    bool Evaluate(const Model& model);

    // The makespan alone, computed in arrays of its own, so R, Q and
    // TopoOrder keep what the last Evaluate found; nothing on a cycle.
    std::optional<Time> Makespan(const Model& model);

    // The makespan after `move`, which the model already shows, where the
    // evaluation holds the schedule before it; R, Q and TopoOrder stay.
    // The move must close no cycle.
    Time MakespanAfter(const Model& model, const RowMove& move);
    // The same evaluation brought up to date with `move`: R, Q, TopoOrder
    // and Cmax as Evaluate would find them (TopoOrder may differ, but is
    // one).
    void UpdateAfter(const Model& model, const RowMove& move);

    // Head and tail of each operation, its own p included, indexed by
    // operation 0 ... OpCount+1; entries 0 and OpCount+1 read 0.
    std::span<const Time> R() const { return R_; }
    std::span<const Time> Q() const { return Q_; }
    // The operations in a topological order, ranks 0 ... OpCount-1.
    std::span<const Operation> TopoOrder() const { return topo_; }
    // The largest R, or 0 when no R is positive.
    Time Cmax() const { return cmax_; }

    // The critical path after Evaluate: traced back from the lowest-numbered
    // operation that ends at Cmax, each time to the machine predecessor when
    // it ends exactly where the operation starts, else to the job
    // predecessor when that one does, else the path starts there. Empty
    // when no operation ends at Cmax (every head below 0).
    void FindCriticalPath(const Model& model, CriticalPath& path) const;

  private:
    bool Heads(const Model& model, Time* head, Operation* order, Time& cmax);
    void OrderWindow(const Model& model, const RowMove& move);
    void UpdateMaxima(std::int32_t from, std::int32_t to);

    std::vector<Time> R_, Q_, scratchHead_;
    std::vector<Operation> topo_, scratchOrder_;
    std::vector<std::int32_t> inDegree_;
    Time cmax_ = 0;

    // rank_[k]: where k stands in topo_; rank_[0] is -1. Over topo_, the
    // largest R up to a rank (prefixMax_) and from it on (suffixMax_, one
    // entry more, reading 0 past the end), both at least 0.
    std::vector<std::int32_t> rank_;
    std::vector<Time> prefixMax_, suffixMax_;
    // A move reorders the ranks from l1's to lk's: window_ is that stretch
    // in a topological order of the new graph.
    std::vector<Operation> window_, held_;
    std::int32_t windowFirst_ = 0, windowLast_ = 0;
    // Marks for one window (mark_) and heads of one MakespanAfter
    // (scratchHead_ valid where stamp_ is the current one).
    std::vector<std::uint32_t> mark_, stamp_;
    std::uint32_t markEpoch_ = 0, stampEpoch_ = 0;
};

}  // namespace jobshop
