#pragma once

#include <cstdint>
#include <vector>

#include "model/Model.h"

namespace jobshop {

// Evaluates the schedule graph: every operation is a node weighted by its p,
// with arcs PO[k] -> k and PM[k] -> k. Operation 0 stands for both the missing
// start and the missing end, so R[0] = Q[0] = 0 at all times.
//
// The work arrays are sized once for an instance; an evaluation costs
// O(OpCount) and allocates nothing.
class GraphEvaluation {
  public:
    explicit GraphEvaluation(std::int32_t opCount);

    // Fills TopoOrder and R for the current links. Returns false if the graph
    // has a cycle (possible only with processing times of 0 or below); TopoOrder
    // and R are then meaningless.
    bool EvaluateGraph(const Model& model) { return Evaluate(model, nullptr); }

    // EvaluateGraph that also raises model.Cmax to every R above it.
    bool EvaluateGraphWithMakespan(Model& model) { return Evaluate(model, &model.Cmax); }

    // Fills Q; needs a successful EvaluateGraph on the same links just before.
    void ComputeTails(const Model& model);

    // Length of the longest path through o once it stands between machine
    // neighbours u and v (0 for none), from the R and Q of the last evaluation:
    // max(R[PO[o]], R[u]) + p[o] + max(Q[NO[o]], Q[v]).
    Time InsertionEstimate(const Model& model, Operation o, Operation u, Operation v) const;

    // Head of each operation, its own p included (its earliest completion
    // time). Entries 0 ... OpCount+1; entry 0 is 0.
    std::vector<Time> R;
    // Tail of each operation, its own p included. Entries 0 ... OpCount+1;
    // entry 0 is 0.
    std::vector<Time> Q;
    // Ranks 1 ... OpCount: the operations level by level, where an operation's
    // level is the number of arcs on the longest path leading to it, and within
    // a level by increasing operation number.
    std::vector<Operation> TopoOrder;

  private:
    bool Evaluate(const Model& model, Time* makespan);

    std::vector<std::int32_t> InDegree;  // predecessors not yet taken
    std::vector<std::int32_t> Level;     // 1 + level; entry 0 is 0
    std::vector<std::int32_t> LevelEnd;  // per level: ranks filled so far
    std::vector<Operation> ready_;       // operations whose predecessors are all taken
};

}  // namespace jobshop
