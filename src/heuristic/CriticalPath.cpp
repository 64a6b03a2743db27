#include "heuristic/CriticalPath.h"

#include <algorithm>

namespace jobshop {

ScheduleGraph::ScheduleGraph(std::int32_t opCount) {
    const std::size_t entries = static_cast<std::size_t>(opCount) + 2;
    R_.assign(entries, 0);
    Q_.assign(entries, 0);
    scratchHead_.assign(entries, 0);
    topo_.assign(entries, 0);
    scratchOrder_.assign(entries, 0);
    inDegree_.assign(entries, 0);
    rank_.assign(entries, 0);
    rank_[0] = -1;
    prefixMax_.assign(entries, 0);
    suffixMax_.assign(entries, 0);
    mark_.assign(entries, 0);
    stamp_.assign(entries, 0);
}

// Kahn's algorithm with a first-in-first-out queue held in `order` itself.
// A missing successor is operation 0, whose counter is set so that two
// decrements never free it: the pushes need no branch.
bool ScheduleGraph::Heads(const Model& model, Time* head, Operation* order, Time& cmax) {
    const Operation n = model.OpCount;
    const std::int32_t* p = model.p.data();
    const Operation* PO = model.PO.data();
    const Operation* PM = model.PM.data();
    const Operation* NO = model.NO.data();
    const Operation* NM = model.NM.data();
    std::int32_t* inDegree = inDegree_.data();
    std::int32_t queued = 0;
    for (Operation k = 1; k <= n; ++k) {
        const std::int32_t degree = (PO[k] != 0) + (PM[k] != 0);
        inDegree[k] = degree;
        order[queued] = k;
        queued += degree == 0;
    }
    Time longest = 0;
    std::int32_t taken = 0;
    head[0] = 0;
    while (taken < queued) {
        const Operation k = order[taken++];
        const Time h = std::max(head[PO[k]], head[PM[k]]) + p[k];
        head[k] = h;
        longest = std::max(longest, h);
        inDegree[0] = 3;
        const Operation s1 = NO[k];
        order[queued] = s1;
        queued += --inDegree[s1] == 0;
        const Operation s2 = NM[k];
        order[queued] = s2;
        queued += --inDegree[s2] == 0;
    }
    cmax = longest;
    return taken == n;
}

bool ScheduleGraph::Evaluate(const Model& model) {
    if (!Heads(model, R_.data(), topo_.data(), cmax_)) return false;
    for (std::int32_t rank = 0; rank < model.OpCount; ++rank) rank_[topo_[rank]] = rank;
    UpdateMaxima(0, model.OpCount - 1);
    const std::int32_t* p = model.p.data();
    const Operation* NO = model.NO.data();
    const Operation* NM = model.NM.data();
    Time* tail = Q_.data();
    for (std::int32_t rank = model.OpCount - 1; rank >= 0; --rank) {
        const Operation k = topo_[rank];
        tail[k] = std::max(tail[NO[k]], tail[NM[k]]) + p[k];
    }
    return true;
}

void ScheduleGraph::UpdateMaxima(std::int32_t from, std::int32_t to) {
    const std::int32_t n = static_cast<std::int32_t>(prefixMax_.size()) - 2;
    Time longest = from > 0 ? prefixMax_[from - 1] : 0;
    for (std::int32_t rank = from; rank < n; ++rank) {
        longest = std::max(longest, R_[topo_[rank]]);
        prefixMax_[rank] = longest;
    }
    longest = suffixMax_[to + 1];
    for (std::int32_t rank = to; rank >= 0; --rank) {
        longest = std::max(longest, R_[topo_[rank]]);
        suffixMax_[rank] = longest;
    }
    cmax_ = n > 0 ? prefixMax_[n - 1] : 0;
}

namespace {

// Marks hold the epoch they were made in, so a new epoch forgets them all
// without clearing; when the count wraps round, they are cleared once.
void NextEpoch(std::vector<std::uint32_t>& marks, std::uint32_t& epoch) {
    if (++epoch == 0) {
        std::fill(marks.begin(), marks.end(), 0);
        epoch = 1;
    }
}

}  // namespace

// The ranks from l1's to lk's in an order of the new graph. Moving l1 = a
// behind lk: first what a does not reach (l2 ... lk among them), then a,
// then what it reaches through its job. Moving lk = b in front of l1: first
// what reaches b through its job, then b, then the rest. Nothing else in the
// stretch changes its place relative to the rest of the order.
void ScheduleGraph::OrderWindow(const Model& model, const RowMove& move) {
    windowFirst_ = rank_[move.first];
    windowLast_ = rank_[move.last];
    NextEpoch(mark_, markEpoch_);
    window_.clear();
    held_.clear();
    const auto marked = [this](Operation k) { return mark_[k] == markEpoch_; };
    mark_[move.moved] = markEpoch_;
    if (move.moved == move.first) {
        for (std::int32_t rank = windowFirst_ + 1; rank <= windowLast_; ++rank) {
            const Operation k = topo_[rank];
            if (marked(model.PO[k]) || marked(model.PM[k])) {
                mark_[k] = markEpoch_;
                held_.push_back(k);
            } else {
                window_.push_back(k);
            }
        }
        window_.push_back(move.moved);
        window_.insert(window_.end(), held_.begin(), held_.end());
        return;
    }
    for (std::int32_t rank = windowLast_ - 1; rank >= windowFirst_; --rank) {
        const Operation k = topo_[rank];
        if (marked(model.NO[k]) || marked(model.NM[k])) mark_[k] = markEpoch_;
    }
    for (std::int32_t rank = windowFirst_; rank < windowLast_; ++rank) {
        const Operation k = topo_[rank];
        (marked(k) ? window_ : held_).push_back(k);
    }
    window_.push_back(move.moved);
    window_.insert(window_.end(), held_.begin(), held_.end());
}

// Heads change only in the window and where a changed head leads; the
// stretch past the window is redone up to the last rank a change reaches
// (the machine successor of the run, whose predecessor changed, included).
Time ScheduleGraph::MakespanAfter(const Model& model, const RowMove& move) {
    OrderWindow(model, move);
    NextEpoch(stamp_, stampEpoch_);
    const std::int32_t* p = model.p.data();
    const Operation* PO = model.PO.data();
    const Operation* PM = model.PM.data();
    const auto head = [this](Operation k) {
        return stamp_[k] == stampEpoch_ ? scratchHead_[k] : R_[k];
    };
    std::int32_t reach = windowLast_;
    Time longest = windowFirst_ > 0 ? prefixMax_[windowFirst_ - 1] : 0;
    const auto redo = [&](Operation k) {
        const Time h = std::max(head(PO[k]), head(PM[k])) + p[k];
        longest = std::max(longest, h);
        if (h == R_[k]) return;
        scratchHead_[k] = h;
        stamp_[k] = stampEpoch_;
        reach = std::max({reach, rank_[model.NO[k]], rank_[model.NM[k]]});
    };
    for (const Operation k : window_) {
        redo(k);
        reach = std::max(reach, rank_[model.NM[k]]);
    }
    for (std::int32_t rank = windowLast_ + 1; rank <= reach; ++rank) redo(topo_[rank]);
    return std::max(longest, suffixMax_[reach + 1]);
}

void ScheduleGraph::UpdateAfter(const Model& model, const RowMove& move) {
    OrderWindow(model, move);
    std::copy(window_.begin(), window_.end(), topo_.begin() + windowFirst_);
    for (std::int32_t rank = windowFirst_; rank <= windowLast_; ++rank) rank_[topo_[rank]] = rank;
    const std::int32_t* p = model.p.data();
    std::int32_t reach = windowLast_;
    for (std::int32_t rank = windowFirst_; rank <= reach; ++rank) {
        const Operation k = topo_[rank];
        const Time h = std::max(R_[model.PO[k]], R_[model.PM[k]]) + p[k];
        if (rank <= windowLast_) reach = std::max(reach, rank_[model.NM[k]]);
        if (h == R_[k]) continue;
        R_[k] = h;
        reach = std::max({reach, rank_[model.NO[k]], rank_[model.NM[k]]});
    }
    // Tails change in the window and where a changed tail leads back to (the
    // machine predecessor of the run, whose successor changed, included).
    const std::int32_t n = model.OpCount;
    const auto rankOf = [&](Operation k) { return k == 0 ? n : rank_[k]; };
    std::int32_t back = windowFirst_;
    for (std::int32_t rank = windowLast_; rank >= back; --rank) {
        const Operation k = topo_[rank];
        const Time q = std::max(Q_[model.NO[k]], Q_[model.NM[k]]) + p[k];
        if (rank >= windowFirst_) back = std::min(back, rankOf(model.PM[k]));
        if (q == Q_[k]) continue;
        Q_[k] = q;
        back = std::min({back, rankOf(model.PO[k]), rankOf(model.PM[k])});
    }
    UpdateMaxima(windowFirst_, reach);
}

std::optional<Time> ScheduleGraph::Makespan(const Model& model) {
    Time cmax = 0;
    if (!Heads(model, scratchHead_.data(), scratchOrder_.data(), cmax)) return std::nullopt;
    return cmax;
}

void ScheduleGraph::FindCriticalPath(const Model& model, CriticalPath& path) const {
    path.ops.clear();
    path.machineArc.clear();
    path.blocks.clear();
    Operation k = 0;
    for (Operation j = 1; j <= model.OpCount && k == 0; ++j) {
        if (R_[j] == cmax_) k = j;
    }
    std::vector<char>& machineArc = path.machineArc;
    while (k != 0) {
        path.ops.push_back(k);  // traced back from the end, reversed below
        const Time start = R_[k] - model.p[k];
        const Operation u = model.PM[k];
        const Operation v = model.PO[k];
        if (u != 0 && R_[u] == start) {
            machineArc.push_back(1);
            k = u;
        } else if (v != 0 && R_[v] == start) {
            machineArc.push_back(0);
            k = v;
        } else {
            machineArc.push_back(0);
            k = 0;
        }
    }
    std::reverse(path.ops.begin(), path.ops.end());
    std::reverse(machineArc.begin(), machineArc.end());
    const std::int32_t length = static_cast<std::int32_t>(path.ops.size());
    for (std::int32_t i = 0; i < length;) {
        std::int32_t j = i;
        while (j + 1 < length && machineArc[j + 1]) ++j;
        if (j > i) path.blocks.push_back({i, j});
        i = j + 1;
    }
}

}  // namespace jobshop
