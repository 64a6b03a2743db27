#include "heuristic/GraphEvaluation.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace jobshop {
namespace {

// The graph as an evaluation reads it: the weights and the four links.
struct GraphView {
    explicit GraphView(const Model& model)
        : n(model.OpCount),
          p(model.p.data()),
          PO(model.PO.data()),
          PM(model.PM.data()),
          NO(model.NO.data()),
          NM(model.NM.data()) {}
    Operation n;
    const std::int32_t* p;
    const Operation* PO;
    const Operation* PM;
    const Operation* NO;
    const Operation* NM;
};

}  // namespace

GraphEvaluation::GraphEvaluation(std::int32_t opCount) {
    const std::size_t entries = static_cast<std::size_t>(opCount) + 2;
    R_.assign(entries, 0);
    Q_.assign(entries, 0);
    TopoOrder_.assign(entries, 0);
    Level_.assign(entries, 0);
    levelSize_.assign(entries, 0);
    levelStart_.assign(entries, 0);
    levelCursor_.assign(entries, 0);
    inDegree_.assign(entries, 0);
    ready_.assign(entries, 0);
    seenPM_.assign(entries, 0);
    seenNM_.assign(entries, 0);
    tailQueued_.assign(entries, 0);
    headSeeds_.reserve(entries);
    tailSeeds_.reserve(entries);
    queued_.assign(entries, 0);
    changeEpoch_.assign(entries, 0);
    changed_.reserve(entries);
    bucketFirst_.assign(entries, 0);
    bucketNext_.assign(entries, 0);
}

bool GraphEvaluation::Evaluate(const Model& model) {
    StartEpoch();
    bool done = false;
    if (headsValid_) {
        FindChangedLinks(model);
        done = UpdateHeads(model);
    }
    if (!done) {
        // The first evaluation, or one whose changes reach too far (or round a
        // cycle): evaluate everything, tails included.
        std::copy(model.PM.begin(), model.PM.end(), seenPM_.begin());
        std::copy(model.NM.begin(), model.NM.end(), seenNM_.begin());
        tailsValid_ = false;
        headsValid_ = EvaluateWhole(model);
        allChanged_ = true;
        if (!headsValid_) return false;
    }
    return true;
}

std::optional<Time> GraphEvaluation::EvaluateMakespan(const Model& model) {
    if (!Evaluate(model)) return std::nullopt;
    Time makespan = 0;
    for (Operation k = 1; k <= model.OpCount; ++k) makespan = std::max(makespan, R_[k]);
    return makespan;
}

// Kahn's algorithm with a first-in-first-out queue: the operation taken next
// was queued long before, so consecutive iterations do not wait on each
// other. The queue also stays sorted by level: an operation is freed by its
// last predecessor taken, which has the highest level among its
// predecessors, so it is one level above the operation being taken, and
// everything queued is at most that. Each level therefore fills one stretch
// of the queue.
bool GraphEvaluation::EvaluateWhole(const Model& model) {
    const GraphView g(model);
    const Operation n = g.n;
    std::int32_t* inDegree = inDegree_.data();
    std::int32_t* level = Level_.data();
    Time* head = R_.data();
    Operation* ready = ready_.data();

    std::int32_t queued = 0;
    for (Operation k = 1; k <= n; ++k) {
        const std::int32_t degree = (g.PO[k] != 0) + (g.PM[k] != 0);
        inDegree[k] = degree;
        ready[queued] = k;
        queued += degree == 0;
    }
    std::fill(levelSize_.begin(), levelSize_.end(), 0);
    std::int32_t* levelSize = levelSize_.data();
    std::int32_t taken = 0;
    while (taken < queued) {
        const Operation k = ready[taken++];
        const Operation a = g.PO[k];
        const Operation b = g.PM[k];
        const std::int32_t l = std::max(level[a], level[b]) + 1;
        level[k] = l;
        ++levelSize[l];
        head[k] = std::max(head[a], head[b]) + g.p[k];
        // A missing successor is operation 0, whose counter is set so that two
        // decrements never bring it to 0: the pushes need no branch.
        inDegree[0] = 3;
        const Operation s1 = g.NO[k];
        ready[queued] = s1;
        queued += --inDegree[s1] == 0;
        const Operation s2 = g.NM[k];
        ready[queued] = s2;
        queued += --inDegree[s2] == 0;
    }
    if (taken != n) return false;
    PlaceLevels(n, 1);
    return true;
}

// Ranks of the levels below fromLevel stay as they are; the operations of
// fromLevel and above are placed anew, by increasing number within a level.
void GraphEvaluation::PlaceLevels(Operation n, std::int32_t fromLevel) {
    std::int32_t* start = levelStart_.data();
    std::int32_t* cursor = levelCursor_.data();
    std::int32_t rank = fromLevel == 1 ? 0 : start[fromLevel - 1] + levelSize_[fromLevel - 1];
    for (std::int32_t l = fromLevel; rank < n && l <= n; ++l) {
        start[l] = rank;
        cursor[l] = rank;
        rank += levelSize_[l];
    }
    const std::int32_t* level = Level_.data();
    Operation* order = TopoOrder_.data();
    // Without a branch: whether an operation moves is as good as random. One
    // that stays writes to entry 0, which is cleared afterwards. (Merging the
    // few moved operations into the others takes fewer instructions, but its
    // unpredictable branches make it slower.)
    for (Operation k = 1; k <= n; ++k) {
        const std::int32_t l = level[k];
        const std::int32_t moves = l >= fromLevel;
        cursor[l] += moves;
        order[moves * cursor[l]] = k;
    }
    order[0] = 0;
}

// Compares the machine links with those of the last evaluation, in chunks
// first since only a few change between steps.
void GraphEvaluation::FindChangedLinks(const Model& model) {
    constexpr Operation kChunk = 64;
    const Operation n = model.OpCount;
    const Operation* PM = model.PM.data();
    const Operation* NM = model.NM.data();
    headSeeds_.clear();
    // The last chunk is cut at n, so `first` stops at n + 1 (a step of a
    // whole chunk would overflow an Operation for n near 2^31).
    Operation size = 0;
    for (Operation first = 1; first <= n; first += size) {
        size = std::min(kChunk, n - first + 1);
        const std::size_t bytes = static_cast<std::size_t>(size) * sizeof(Operation);
        const bool samePM = std::memcmp(PM + first, &seenPM_[first], bytes) == 0;
        const bool sameNM = std::memcmp(NM + first, &seenNM_[first], bytes) == 0;
        if (samePM && sameNM) continue;
        for (Operation k = first; k < first + size; ++k) {
            if (PM[k] != seenPM_[k]) {
                seenPM_[k] = PM[k];
                headSeeds_.push_back(k);
                MarkChanged(k);
            }
            if (NM[k] != seenNM_[k]) {
                seenNM_[k] = NM[k];
                PushTailSeed(k);
                MarkChanged(k);
            }
        }
    }
}

void GraphEvaluation::Enqueue(Operation k, std::int32_t level) {
    if (queued_[k]) return;
    queued_[k] = 1;
    bucketNext_[k] = bucketFirst_[level];
    bucketFirst_[level] = k;
    lowestBucket_ = std::min(lowestBucket_, level);
    highestBucket_ = std::max(highestBucket_, level);
    ++queuedCount_;
}

Operation GraphEvaluation::TakeLowest() {
    while (bucketFirst_[lowestBucket_] == 0) ++lowestBucket_;
    return TakeFrom(lowestBucket_);
}

Operation GraphEvaluation::TakeHighest() {
    while (bucketFirst_[highestBucket_] == 0) --highestBucket_;
    return TakeFrom(highestBucket_);
}

Operation GraphEvaluation::TakeFrom(std::int32_t level) {
    const Operation k = bucketFirst_[level];
    bucketFirst_[level] = bucketNext_[k];
    queued_[k] = 0;
    --queuedCount_;
    return k;
}

void GraphEvaluation::ClearQueue() {
    while (queuedCount_ > 0) TakeLowest();
    lowestBucket_ = std::numeric_limits<std::int32_t>::max();
    highestBucket_ = 0;
}

// Re-evaluates the operations whose predecessors changed, and from each one
// whose level or head changed, its successors; lowest level first, which
// keeps repeats rare. An operation waits in the queue at most once, and is
// queued again if a predecessor changes after it was taken. Whatever the
// order, every operation ends up consistent with its predecessors, and on an
// acyclic graph that is the one solution. Returns false when the work passes
// the size of the graph (or a level passes OpCount, which only a cycle
// allows): the caller then evaluates the whole graph.
bool GraphEvaluation::UpdateHeads(const Model& model) {
    const GraphView g(model);
    const Operation n = g.n;
    std::int32_t* level = Level_.data();
    Time* head = R_.data();

    for (const Operation k : headSeeds_) Enqueue(k, level[k]);
    std::int32_t lowestChanged = std::numeric_limits<std::int32_t>::max();
    std::int32_t budget = n;
    while (queuedCount_ > 0) {
        if (--budget < 0) {
            ClearQueue();
            return false;
        }
        const Operation k = TakeLowest();
        const Operation a = g.PO[k];
        const Operation b = g.PM[k];
        const std::int32_t l = std::max(level[a], level[b]) + 1;
        const Time r = std::max(head[a], head[b]) + g.p[k];
        if (l == level[k] && r == head[k]) continue;
        if (l > n) {
            ClearQueue();
            return false;
        }
        if (l != level[k]) {
            lowestChanged = std::min({lowestChanged, l, level[k]});
            --levelSize_[level[k]];
            ++levelSize_[l];
            level[k] = l;
        }
        head[k] = r;
        MarkChanged(k);
        if (g.NO[k] != 0) Enqueue(g.NO[k], l + 1);
        if (g.NM[k] != 0) Enqueue(g.NM[k], l + 1);
    }
    ClearQueue();
    if (lowestChanged <= n) PlaceLevels(n, lowestChanged);
    return true;
}

void GraphEvaluation::PushTailSeed(Operation k) {
    if (tailQueued_[k]) return;
    tailQueued_[k] = 1;
    tailSeeds_.push_back(k);
}

void GraphEvaluation::ComputeTails(const Model& model) {
    if (tailsValid_) {
        UpdateTails(model);
    } else {
        ComputeAllTails(model);
        tailsValid_ = true;
    }
}

void GraphEvaluation::StartEpoch() {
    changed_.clear();
    allChanged_ = false;
    if (++epoch_ == 0) {
        // After 2^32 evaluations the marks could alias: start them over.
        std::fill(changeEpoch_.begin(), changeEpoch_.end(), 0);
        epoch_ = 1;
    }
}

void GraphEvaluation::MarkChanged(Operation k) {
    if (changeEpoch_[k] == epoch_) return;
    changeEpoch_[k] = epoch_;
    changed_.push_back(k);
}

std::optional<std::span<const Operation>> GraphEvaluation::ChangedOperations() const {
    if (allChanged_) return std::nullopt;
    return std::span<const Operation>(changed_);
}

void GraphEvaluation::ComputeAllTails(const Model& model) {
    allChanged_ = true;
    const GraphView g(model);
    const Operation* order = TopoOrder_.data();
    Time* tail = Q_.data();
    for (std::int32_t r = model.OpCount; r >= 1; --r) {
        const Operation k = order[r];
        tail[k] = std::max(tail[g.NO[k]], tail[g.NM[k]]) + g.p[k];
    }
    for (const Operation k : tailSeeds_) tailQueued_[k] = 0;
    tailSeeds_.clear();
}

// Re-evaluates the operations whose successors changed, highest level first.
// Levels are final by now and every successor stands on a higher level, so
// each operation is taken once, after all its successors are settled; work
// beyond the size of the graph cannot happen then, and would be answered by
// computing all tails.
void GraphEvaluation::UpdateTails(const Model& model) {
    const GraphView g(model);
    const std::int32_t* level = Level_.data();
    Time* tail = Q_.data();

    for (const Operation k : tailSeeds_) {
        tailQueued_[k] = 0;
        Enqueue(k, level[k]);
    }
    tailSeeds_.clear();
    std::int32_t budget = model.OpCount;
    while (queuedCount_ > 0) {
        if (--budget < 0) {
            ClearQueue();
            ComputeAllTails(model);
            return;
        }
        const Operation k = TakeHighest();
        const Time q = std::max(tail[g.NO[k]], tail[g.NM[k]]) + g.p[k];
        if (q == tail[k]) continue;
        tail[k] = q;
        MarkChanged(k);
        if (g.PO[k] != 0) Enqueue(g.PO[k], level[g.PO[k]]);
        if (g.PM[k] != 0) Enqueue(g.PM[k], level[g.PM[k]]);
    }
    ClearQueue();
}

Time GraphEvaluation::InsertionEstimate(const Model& model, Operation o, Operation u,
                                        Operation v) const {
    return std::max(R_[model.PO[o]], R_[u]) + model.p[o] + std::max(Q_[model.NO[o]], Q_[v]);
}

}  // namespace jobshop
