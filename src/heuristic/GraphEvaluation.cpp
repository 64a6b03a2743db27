#include "heuristic/GraphEvaluation.h"

#include <algorithm>

namespace jobshop {

GraphEvaluation::GraphEvaluation(std::int32_t opCount) {
    const std::size_t entries = static_cast<std::size_t>(opCount) + 2;
    R.assign(entries, 0);
    Q.assign(entries, 0);
    TopoOrder.assign(entries, 0);
    InDegree.assign(entries, 0);
    Level.assign(entries, 0);
    LevelEnd.assign(entries, 0);
    ready_.assign(entries, 0);
}

// One pass in any topological order (Kahn's) gives every operation its level
// and its head, since both depend only on the predecessors. A counting sort by
// level, scanning operations by increasing number, then yields the level-by-
// level order with the number order inside each level.
bool GraphEvaluation::Evaluate(const Model& model, Time* makespan) {
    const Operation n = model.OpCount;
    const std::int32_t* p = model.p.data();
    const Operation* PO = model.PO.data();
    const Operation* PM = model.PM.data();
    const Operation* NO = model.NO.data();
    const Operation* NM = model.NM.data();
    std::int32_t* inDegree = InDegree.data();
    std::int32_t* level = Level.data();
    Time* head = R.data();
    Operation* ready = ready_.data();

    std::int32_t queued = 0;
    for (Operation k = 1; k <= n; ++k) {
        const std::int32_t degree = (PO[k] != 0) + (PM[k] != 0);
        inDegree[k] = degree;
        ready[queued] = k;
        queued += degree == 0;
    }
    std::int32_t* levelSize = LevelEnd.data();
    std::fill(levelSize, levelSize + n + 2, 0);

    // First in, first out: the operation taken next was queued long before,
    // so consecutive iterations do not wait on each other.
    std::int32_t taken = 0;
    std::int32_t levels = 0;
    while (taken < queued) {
        const Operation k = ready[taken++];
        const Operation a = PO[k];
        const Operation b = PM[k];
        const std::int32_t l = std::max(level[a], level[b]) + 1;
        level[k] = l;
        ++levelSize[l];
        levels = std::max(levels, l);
        head[k] = std::max(head[a], head[b]) + p[k];
        // A missing successor is operation 0, whose counter is set so that two
        // decrements never bring it to 0: the pushes need no branch.
        inDegree[0] = 3;
        const Operation s1 = NO[k];
        ready[queued] = s1;
        queued += --inDegree[s1] == 0;
        const Operation s2 = NM[k];
        ready[queued] = s2;
        queued += --inDegree[s2] == 0;
    }
    if (taken != n) return false;

    // levelSize[l] becomes the last rank used before level l starts.
    std::int32_t rank = 0;
    for (std::int32_t l = 1; l <= levels; ++l) {
        const std::int32_t size = levelSize[l];
        levelSize[l] = rank;
        rank += size;
    }
    Operation* order = TopoOrder.data();
    for (Operation k = 1; k <= n; ++k) order[++levelSize[level[k]]] = k;

    if (makespan != nullptr) {
        for (Operation k = 1; k <= n; ++k) *makespan = std::max(*makespan, head[k]);
    }
    return true;
}

void GraphEvaluation::ComputeTails(const Model& model) {
    const std::int32_t* p = model.p.data();
    const Operation* NO = model.NO.data();
    const Operation* NM = model.NM.data();
    const Operation* order = TopoOrder.data();
    Time* tail = Q.data();
    for (std::int32_t r = model.OpCount; r >= 1; --r) {
        const Operation k = order[r];
        tail[k] = std::max(tail[NO[k]], tail[NM[k]]) + p[k];
    }
}

Time GraphEvaluation::InsertionEstimate(const Model& model, Operation o, Operation u,
                                        Operation v) const {
    return std::max(R[model.PO[o]], R[u]) + model.p[o] + std::max(Q[model.NO[o]], Q[v]);
}

}  // namespace jobshop
