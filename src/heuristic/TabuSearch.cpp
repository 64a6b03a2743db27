#include "heuristic/TabuSearch.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "heuristic/CriticalPath.h"
#include "heuristic/Deadline.h"
#include "heuristic/Dispatching.h"
#include "heuristic/Random.h"
#include "heuristic/Schedule.h"

namespace jobshop {
namespace {

using Clock = std::chrono::steady_clock;

// Stands in for a missing observer, so the search has one path.
class NoObserver final : public SearchObserver {};

// Critical paths are counted up to this many; past it the counts are not
// used. Products of two counts then stay below 2^56.
constexpr std::uint64_t kCountCap = std::uint64_t{1} << 28;

// Where a move took an operation from, so it can be undone.
struct Shifted {
    Operation op;
    std::int32_t from;
};

// One side of a schedule's graph, for the bounds of moves: its heads and
// job predecessors, or its tails and job successors.
struct Side {
    std::span<const Time> length;  // heads or tails
    const Operation* job;          // job predecessors or successors
    const Time* jobAlone;          // the job's own times before or after, with the operation's
};

RowMove RowMoveOf(const CandidateMove& move) {
    return {move.a, move.b, move.kind == MoveKind::kBackward ? move.b : move.a};
}

class TabuSearch {
  public:
    TabuSearch(Model& model, const SearchSettings& settings, SearchObserver& watch);
    SearchResult Run();

  private:
    bool Iterate(std::int64_t t);

    void Shift(Operation op, std::int32_t to);
    Shifted Apply(const CandidateMove& move);
    void Undo(const Shifted& shifted) { Shift(shifted.op, shifted.from); }

    void BuildCandidates();
    void AddBlockMoves(std::int32_t index, bool atStart, bool atEnd);
    void AddMove(MoveKind kind, Operation a, Operation b, std::int32_t block);
    Time RunBound(std::int32_t machine, std::int32_t from, std::int32_t to, const Side& in,
                  const Side& out, bool& through);
    void RateCandidates();
    void Evaluate(std::int32_t i);
    std::int64_t TabuUntil(const CandidateMove& move) const;
    std::int32_t Choose(ChoiceRule& rule);
    void AddTabu(std::int64_t t, const CandidateMove& move);
    void ExpireTabu(std::int64_t t);

    void CountCriticalPaths();
    bool AvoidedByACriticalPath(const CandidateMove& move);

    void Restore(const std::vector<Operation>& rows);
    void Offer(const std::vector<Operation>& rows, Time cmax);
    void Relink(const std::vector<Operation>& guide);
    void NextPhase(std::int64_t t);
    void NoteSchedule(std::int64_t t);
    bool Stopped(std::int64_t t);

    Model& model_;
    const SearchSettings& settings_;
    SearchObserver& watch_;
    ScheduleGraph graph_;
    CriticalPath path_;
    Random random_;
    const bool positive_;
    std::vector<std::int32_t> position_;  // of each operation in its PI row
    std::vector<CandidateMove> moves_;
    // Whether a move's bound is the exact length of the longest path
    // through the operations it moves: the heads and tails it was computed
    // from all hold after the move.
    std::vector<char> through_;
    std::vector<std::int32_t> order_;  // indices into moves_ by bound
    std::vector<Time> segment_;        // work array of the bounds
    // Per operation: its job's times up to it and from it on, itself
    // included; no schedule gives it a shorter head or tail.
    std::vector<Time> jobHead_, jobTail_;
    std::vector<TabuEntry> tabu_;
    std::vector<std::int64_t> tabuUntil_;      // of each move, 0 when not tabu
    std::vector<std::int32_t> tabuEntriesOf_;  // entries naming each operation
    std::int32_t tenureMin_ = 0;
    std::int32_t tenureMax_ = 0;
    // As measured on Taillard's instances (see docs/improve.md).
    static constexpr std::int32_t kPoolSize = 8;

    // Critical paths into each operation from the start (forward_) and out
    // of it to the end (backward_), total_ in all; counted when an
    // iteration first needs them.
    std::vector<std::uint64_t> forward_, backward_;
    std::uint64_t total_ = 0;
    bool counted_ = false;
    bool countsHold_ = false;

    std::vector<Operation> bestRows_;  // PIStorage of the best schedule
    SearchResult result_;

    // The search runs in phases: tabu search from one start until it finds
    // nothing better for settings_.stallLimit iterations. The best schedule of each
    // phase is offered to a pool of elite schedules; the next phase starts
    // from a random active schedule while the pool fills, then from a
    // schedule on the way between two elite ones.
    struct Elite {
        std::vector<Operation> rows;
        Time cmax;
    };
    std::vector<Elite> pool_;
    std::vector<Operation> phaseRows_;
    Time phaseBest_ = 0;
    std::int64_t phaseImproved_ = 0;
    std::vector<std::int32_t> guidePosition_;
    std::vector<std::int32_t> wrongPairs_;
    Clock::time_point deadline_;
};

TabuSearch::TabuSearch(Model& model, const SearchSettings& settings, SearchObserver& watch)
    : model_(model),
      settings_(settings),
      watch_(watch),
      graph_(model.OpCount),
      random_(settings.seed),
      positive_(AllTimesPositive(model)) {
    const std::size_t entries = static_cast<std::size_t>(model.OpCount) + 2;
    position_.assign(entries, 0);
    forward_.assign(entries, 0);
    backward_.assign(entries, 0);
    segment_.assign(entries, 0);
    jobHead_.assign(entries, 0);
    jobTail_.assign(entries, 0);
    for (Operation k = 1; k <= model.OpCount; ++k) {
        jobHead_[k] = jobHead_[model.PO[k]] + model.p[k];
    }
    for (Operation k = model.OpCount; k >= 1; --k) {
        jobTail_[k] = jobTail_[model.NO[k]] + model.p[k];
    }
    tabuEntriesOf_.assign(entries, 0);
    // Tenures drawn as Zhang, Li, Guan and Rao draw them, from a shorter
    // base that did better here with the elite pool.
    // Without machines there is nothing to search (and the job count alone
    // may be near the largest int); a ratio past any real instance's is
    // held where the tenure and its half on top still fit.
    const std::int32_t ratio = model.MachineCount > 0 ? model.JobCount / model.MachineCount : 0;
    tenureMin_ = 6 + std::min(ratio, std::int32_t{1} << 29);
    tenureMax_ = tenureMin_ + tenureMin_ / 2;
    guidePosition_.assign(entries, 0);
}

// Takes op out of its row and puts it back at position `to`, the
// operations between moving up or down by one; relinks them all.
void TabuSearch::Shift(Operation op, std::int32_t to) {
    Operation* row = model_.PI(model_.M[op]);
    const std::int32_t from = position_[op];
    const std::int32_t step = from < to ? 1 : -1;
    for (std::int32_t j = from; j != to; j += step) {
        row[j] = row[j + step];
        position_[row[j]] = j;
    }
    row[to] = op;
    position_[op] = to;
    const std::int32_t low = std::min(from, to);
    const std::int32_t high = std::max(from, to);
    for (std::int32_t j = low - 1; j <= high + 1; ++j) {
        const Operation k = row[j];
        if (k == 0) continue;
        model_.PM[k] = row[j - 1];
        model_.NM[k] = row[j + 1];
    }
}

Shifted TabuSearch::Apply(const CandidateMove& move) {
    if (move.kind == MoveKind::kForward) {
        const Shifted shifted{move.a, position_[move.a]};
        Shift(move.a, position_[move.b]);
        return shifted;
    }
    const Shifted shifted{move.b, position_[move.b]};
    Shift(move.b, position_[move.a]);
    return shifted;
}

void TabuSearch::AddMove(MoveKind kind, Operation a, Operation b, std::int32_t block) {
    if (positive_) {
        // Moves the heads and tails cannot show to be free of cycles are
        // left out (Balas and Vazacopoulos): a moved behind b closes none
        // when b's tail is at least that of a's job successor, unless that
        // successor is b itself (a job visiting the machine twice in a
        // row); b moved in front of a none when a's head is at least that
        // of b's job predecessor, unless that is a.
        const std::span<const Time> R = graph_.R();
        const std::span<const Time> Q = graph_.Q();
        const Operation after = model_.NO[a];
        const Operation before = model_.PO[b];
        if (kind == MoveKind::kForward && (Q[b] < Q[after] || after == b)) return;
        if (kind == MoveKind::kBackward && (R[a] < R[before] || before == a)) return;
    }
    if (kind == MoveKind::kSwap && model_.NO[a] == b) return;
    CandidateMove move;
    move.kind = kind;
    move.a = a;
    move.b = b;
    move.machine = model_.M[a];
    move.block = block;
    moves_.push_back(move);
}

// The moves of one block l1 ... lk (N7 of Zhang, Li, Guan and Rao): the
// swaps of its first two and its last two operations (N5 of Nowicki and
// Smutnicki), an inner operation moved to the front or the back, and the
// first or the last operation moved inside. When the block starts the
// path, a move that keeps lk last leaves a path just as long (the same
// operations back to back from time 0), so only moves that change the last
// operation are made; when it ends the path, only moves that change the
// first; a block that is the whole path offers none.
void TabuSearch::AddBlockMoves(std::int32_t index, bool atStart, bool atEnd) {
    if (atStart && atEnd) return;
    const Block& block = path_.blocks[index];
    const Operation* l = path_.ops.data() + block.first - 1;  // l[1] ... l[k]
    const std::int32_t k = block.last - block.first + 1;
    // A move is made when it changes the first operation (if the block
    // ends the path) and the last (if it starts it).
    const auto add = [&](MoveKind kind, std::int32_t a, std::int32_t b, bool first, bool last) {
        if ((atStart && !last) || (atEnd && !first)) return;
        AddMove(kind, l[a], l[b], index);
    };
    add(MoveKind::kSwap, 1, 2, true, k == 2);
    if (k > 2) add(MoveKind::kSwap, k - 1, k, false, true);
    for (std::int32_t j = 3; j <= k; ++j) add(MoveKind::kBackward, 1, j, true, j == k);
    for (std::int32_t j = 1; j <= k - 2; ++j) add(MoveKind::kForward, j, k, j == 1, true);
    for (std::int32_t j = 3; j <= k - 1; ++j) add(MoveKind::kForward, 1, j, true, false);
    for (std::int32_t j = 2; j <= k - 2; ++j) add(MoveKind::kBackward, j, k, false, true);
}

void TabuSearch::BuildCandidates() {
    moves_.clear();
    const std::int32_t last = static_cast<std::int32_t>(path_.ops.size()) - 1;
    for (std::int32_t b = 0; b < static_cast<std::int32_t>(path_.blocks.size()); ++b) {
        AddBlockMoves(b, path_.blocks[b].first == 0, path_.blocks[b].last == last);
    }
}

// A move takes the operation at one end of a run l1 ... lk of its row past
// the others to the far end. Seen from the side the run is entered from
// (heads and job predecessors when l1 moves behind lk; tails and job
// successors, the row read backwards, when lk moves in front of l1), the
// new lengths of the passed operations and then of the moved one follow
// from their predecessors', and those of the other side from their
// successors', as Balas and Vazacopoulos estimate them. With positive times,
// and the move closing no cycle, every length taken holds after the move
// but a job neighbour's that the moved operation's old place could reach
// (one longer than the moved operation's own): that one may drop as far as
// what its job alone gives it, and is taken so. The longest path through
// the run is then a lower bound of the new makespan, and exact when nothing
// had to be taken lower.
Time TabuSearch::RunBound(std::int32_t machine, std::int32_t from, std::int32_t to, const Side& in,
                          const Side& out, bool& through) {
    const std::int32_t* p = model_.p.data();
    const Operation* row = model_.PI(machine);
    const std::int32_t step = from < to ? 1 : -1;
    const Operation moved = row[from];
    through = true;
    Time length = in.length[row[from - step]];
    for (std::int32_t j = from + step; j != to + step; j += step) {
        const Operation w = row[j];
        Time job = in.length[in.job[w]];
        if (job > in.length[moved]) {
            job = in.jobAlone[in.job[w]];
            through = false;
        }
        length = std::max(length, job) + p[w];
        segment_[j] = length;
    }
    const Time movedIn = std::max(in.length[in.job[moved]], length) + p[moved];
    Time other = std::max(out.length[out.job[moved]], out.length[row[to + step]]) + p[moved];
    Time longest = movedIn + other - p[moved];
    for (std::int32_t j = to; j != from; j -= step) {
        const Operation w = row[j];
        other = std::max(out.length[out.job[w]], other) + p[w];
        longest = std::max(longest, segment_[j] + other - p[w]);
    }
    return longest;
}

void TabuSearch::RateCandidates() {
    through_.assign(moves_.size(), 0);
    tabuUntil_.resize(moves_.size());
    for (std::int32_t i = 0; i < static_cast<std::int32_t>(moves_.size()); ++i) {
        CandidateMove& move = moves_[i];
        tabuUntil_[i] = TabuUntil(move);
        move.status = tabuUntil_[i] != 0 ? MoveStatus::kTabu : MoveStatus::kAllowed;
        if (!positive_) {
            Evaluate(i);
            move.bound = move.cmax;
            continue;
        }
        const Side heads{graph_.R(), model_.PO.data(), jobHead_.data()};
        const Side tails{graph_.Q(), model_.NO.data(), jobTail_.data()};
        const std::int32_t first = position_[move.a];
        const std::int32_t last = position_[move.b];
        bool through = false;
        move.bound = move.kind == MoveKind::kBackward
                         ? RunBound(move.machine, last, first, tails, heads, through)
                         : RunBound(move.machine, first, last, heads, tails, through);
        through_[i] = through;
    }
    result_.movesEvaluated += moves_.size();
}

// The exact makespan after move i: from its bound when that is exact and
// no shorter path can be left, else from the whole schedule with the move
// made.
void TabuSearch::Evaluate(std::int32_t i) {
    CandidateMove& move = moves_[i];
    if (move.exact) return;
    move.exact = true;
    const Time cmax = graph_.Cmax();
    if (positive_ && through_[i] && move.bound >= cmax) {
        move.cmax = move.bound;
    } else if (positive_ && through_[i] && AvoidedByACriticalPath(move)) {
        move.cmax = cmax;
    } else if (positive_) {
        // Moves that could close a cycle were left out, so the makespan
        // follows from the current evaluation.
        const Shifted shifted = Apply(move);
        move.cmax = graph_.MakespanAfter(model_, RowMoveOf(move));
        Undo(shifted);
        ++result_.exactEvaluations;
    } else {
        const Shifted shifted = Apply(move);
        const std::optional<Time> makespan = graph_.Makespan(model_);
        Undo(shifted);
        ++result_.exactEvaluations;
        if (!makespan) {
            move.status = MoveStatus::kCycle;
            move.cmax = 0;
            return;
        }
        move.cmax = *makespan;
    }
    if (move.status != MoveStatus::kAllowed) {
        move.status = move.cmax < result_.best ? MoveStatus::kAspirated : MoveStatus::kTabu;
    }
}

// The last iteration in which the move is tabu, 0 if it is not: a move is
// tabu while it would put some x before y again where x stood before y
// until a move put y first. Every order a move makes has the moved
// operation on one side and an operation of the run it passes on the
// other: a forward move puts l2 ... lk before a, a backward one b before
// l1 ... l(k-1).
std::int64_t TabuSearch::TabuUntil(const CandidateMove& move) const {
    const Operation moved = move.kind == MoveKind::kBackward ? move.b : move.a;
    if (tabuEntriesOf_[moved] == 0) return 0;
    const std::int32_t first = position_[move.a];
    const std::int32_t last = position_[move.b];
    const auto inRun = [&](Operation k) {
        return model_.M[k] == move.machine && position_[k] >= first && position_[k] <= last &&
               k != moved;
    };
    std::int64_t until = 0;
    for (const TabuEntry& entry : tabu_) {
        const bool restores = move.kind == MoveKind::kBackward ? entry.a == moved && inRun(entry.b)
                                                               : entry.b == moved && inRun(entry.a);
        if (restores) until = std::max(until, entry.until);
    }
    return until;
}

// The allowed move with the smallest makespan, the first listed among
// equal ones. Moves are looked at by increasing bound, and evaluated
// exactly only while their bound could still beat or tie the best so far.
std::int32_t TabuSearch::Choose(ChoiceRule& rule) {
    const std::int32_t count = static_cast<std::int32_t>(moves_.size());
    order_.resize(count);
    for (std::int32_t i = 0; i < count; ++i) order_[i] = i;
    std::sort(order_.begin(), order_.end(), [this](std::int32_t x, std::int32_t y) {
        return std::pair(moves_[x].bound, x) < std::pair(moves_[y].bound, y);
    });
    std::int32_t chosen = -1;
    for (const std::int32_t i : order_) {
        CandidateMove& move = moves_[i];
        if (chosen >= 0) {
            if (move.bound > moves_[chosen].cmax) break;
            if (move.bound == moves_[chosen].cmax && i > chosen) continue;
        }
        if (move.status != MoveStatus::kAllowed && move.bound >= result_.best) continue;
        Evaluate(i);
        if (move.status == MoveStatus::kTabu || move.status == MoveStatus::kCycle) continue;
        if (chosen < 0 || std::pair(move.cmax, i) < std::pair(moves_[chosen].cmax, chosen)) {
            chosen = i;
        }
    }
    rule = ChoiceRule::kBest;
    if (chosen >= 0) return chosen;
    // Every move tabu: the one whose tabu ends first.
    std::int64_t soonest = INT64_MAX;
    for (std::int32_t i = 0; i < count; ++i) {
        if (moves_[i].status != MoveStatus::kCycle && tabuUntil_[i] < soonest) {
            soonest = tabuUntil_[i];
            chosen = i;
        }
    }
    rule = chosen >= 0 ? ChoiceRule::kOldestTabu : ChoiceRule::kNone;
    return chosen;
}

// Before the move is made: every order it reverses becomes tabu, for one
// tenure drawn for the move.
void TabuSearch::AddTabu(std::int64_t t, const CandidateMove& move) {
    const std::int64_t until =
        t + tenureMin_ + static_cast<std::int32_t>(random_.Below(tenureMax_ - tenureMin_ + 1));
    const Operation* row = model_.PI(move.machine);
    const std::int32_t first = position_[move.a];
    const std::int32_t last = position_[move.b];
    for (std::int32_t j = first; j <= last; ++j) {
        const Operation k = row[j];
        if (move.kind == MoveKind::kBackward ? k == move.b : k == move.a) continue;
        const TabuEntry entry = move.kind == MoveKind::kBackward ? TabuEntry{k, move.b, until}
                                                                 : TabuEntry{move.a, k, until};
        tabu_.push_back(entry);
        ++tabuEntriesOf_[entry.a];
        ++tabuEntriesOf_[entry.b];
    }
}

void TabuSearch::ExpireTabu(std::int64_t t) {
    std::erase_if(tabu_, [this, t](const TabuEntry& entry) {
        if (entry.until >= t) return false;
        --tabuEntriesOf_[entry.a];
        --tabuEntriesOf_[entry.b];
        return true;
    });
}

// Forward and backward counts of critical paths, along the topological
// order; a job arc that doubles a machine arc (a job visiting a machine
// twice in a row) is one way, not two.
void TabuSearch::CountCriticalPaths() {
    counted_ = true;
    countsHold_ = true;
    const std::span<const Time> R = graph_.R();
    const std::span<const Time> Q = graph_.Q();
    const std::span<const Operation> topo = graph_.TopoOrder();
    const std::int32_t* p = model_.p.data();
    const Time cmax = graph_.Cmax();
    const auto add = [this](std::uint64_t& sum, std::uint64_t count) {
        sum += count;
        if (sum >= kCountCap) {
            sum = kCountCap;
            countsHold_ = false;
        }
    };
    total_ = 0;
    for (std::int32_t rank = 0; rank < model_.OpCount; ++rank) {
        const Operation k = topo[rank];
        forward_[k] = 0;
        if (R[k] + Q[k] - p[k] != cmax) continue;
        const Time start = R[k] - p[k];
        std::uint64_t count = start == 0 ? 1 : 0;
        const Operation u = model_.PM[k];
        const Operation v = model_.PO[k];
        if (u != 0 && R[u] == start) add(count, forward_[u]);
        if (v != 0 && v != u && R[v] == start) add(count, forward_[v]);
        forward_[k] = count;
    }
    for (std::int32_t rank = model_.OpCount - 1; rank >= 0; --rank) {
        const Operation k = topo[rank];
        backward_[k] = 0;
        if (R[k] + Q[k] - p[k] != cmax) continue;
        const Time rest = Q[k] - p[k];
        std::uint64_t count = rest == 0 ? 1 : 0;
        const Operation u = model_.NM[k];
        const Operation v = model_.NO[k];
        if (u != 0 && Q[u] == rest) add(count, backward_[u]);
        if (v != 0 && v != u && Q[v] == rest) add(count, backward_[v]);
        backward_[k] = count;
        if (R[k] - p[k] == 0) add(total_, count);
    }
}

// Whether some critical path passes none of the operations a move moves: a
// run l1 ... lk that stands back to back on a block. A critical path that
// meets the run first meets it at some li and, unless i = 1, does not come
// from l(i-1); those are forward[li] - forward[l(i-1)] of the paths into
// li (with positive times no other way between two of them is as long).
bool TabuSearch::AvoidedByACriticalPath(const CandidateMove& move) {
    if (!counted_) CountCriticalPaths();
    if (!countsHold_) return false;
    const Operation* row = model_.PI(move.machine);
    const std::int32_t first = position_[move.a];
    const std::int32_t last = position_[move.b];
    std::uint64_t touching = forward_[row[first]] * backward_[row[first]];
    for (std::int32_t j = first + 1; j <= last && touching < total_; ++j) {
        touching += (forward_[row[j]] - forward_[row[j - 1]]) * backward_[row[j]];
    }
    return touching < total_;
}

void TabuSearch::Restore(const std::vector<Operation>& rows) {
    model_.PIStorage = rows;
    LinkMachineRows(model_);
    for (std::int32_t i = 1; i < static_cast<std::int32_t>(model_.PlacedCount.size()); ++i) {
        const Operation* row = model_.PI(i);
        for (std::int32_t j = 1; j <= model_.PlacedCount[i]; ++j) position_[row[j]] = j;
    }
}

// Into the pool while it has room, else in place of its worst schedule
// when better; a schedule already there is not taken twice.
void TabuSearch::Offer(const std::vector<Operation>& rows, Time cmax) {
    for (const Elite& elite : pool_) {
        if (elite.cmax == cmax && elite.rows == rows) return;
    }
    if (static_cast<std::int32_t>(pool_.size()) < kPoolSize) {
        pool_.push_back({rows, cmax});
        return;
    }
    const auto worst = std::max_element(
        pool_.begin(), pool_.end(), [](const Elite& x, const Elite& y) { return x.cmax < y.cmax; });
    if (cmax < worst->cmax) *worst = {rows, cmax};
}

// Path relinking: swaps neighbours of the current schedule that stand the
// other way round in `guide`, drawn at random, a swap that would close a
// cycle left out, until a fraction of the way is gone.
void TabuSearch::Relink(const std::vector<Operation>& guide) {
    const std::int32_t machines = static_cast<std::int32_t>(model_.PlacedCount.size());
    std::int64_t distance = 0;
    for (std::int32_t i = 1; i < machines; ++i) {
        const Operation* row = guide.data() + model_.PIRowStart[i];
        for (std::int32_t j = 1; j <= model_.PlacedCount[i]; ++j) guidePosition_[row[j]] = j;
        const Operation* own = model_.PI(i);
        for (std::int32_t x = 1; x <= model_.PlacedCount[i]; ++x) {
            for (std::int32_t y = x + 1; y <= model_.PlacedCount[i]; ++y) {
                distance += guidePosition_[own[x]] > guidePosition_[own[y]];
            }
        }
    }
    const std::int64_t steps = distance * (25 + random_.Below(26)) / 100;
    for (std::int64_t step = 0; step < steps; ++step) {
        wrongPairs_.clear();
        for (std::int32_t i = 1; i < machines; ++i) {
            const Operation* own = model_.PI(i);
            for (std::int32_t j = 1; j < model_.PlacedCount[i]; ++j) {
                if (guidePosition_[own[j]] > guidePosition_[own[j + 1]])
                    wrongPairs_.push_back(own[j]);
            }
        }
        bool swapped = false;
        while (!wrongPairs_.empty() && !swapped) {
            const std::uint32_t pick =
                random_.Below(static_cast<std::uint32_t>(wrongPairs_.size()));
            const Operation a = wrongPairs_[pick];
            const std::int32_t from = position_[a];
            Shift(a, from + 1);
            swapped = graph_.Evaluate(model_);
            if (!swapped) {
                Shift(a, from);
                wrongPairs_[pick] = wrongPairs_.back();
                wrongPairs_.pop_back();
            }
        }
        if (!swapped) break;
    }
    graph_.Evaluate(model_);
}

// Takes note of the schedule the model now holds, the best so far or of
// the phase.
void TabuSearch::NoteSchedule(std::int64_t t) {
    const Time cmax = graph_.Cmax();
    if (cmax < phaseBest_) {
        phaseBest_ = cmax;
        phaseRows_ = model_.PIStorage;
        phaseImproved_ = t;
    }
    if (cmax < result_.best) {
        result_.best = cmax;
        result_.bestIteration = t;
        bestRows_ = model_.PIStorage;
    }
}

void TabuSearch::NextPhase(std::int64_t t) {
    Offer(phaseRows_, phaseBest_);
    ExpireTabu(INT64_MAX);
    SearchRestart restart;
    restart.iteration = t;
    restart.phaseBest = phaseBest_;
    restart.poolSize = static_cast<std::int32_t>(pool_.size());
    if (restart.poolSize < kPoolSize) {
        restart.kind = RestartKind::kRandomStart;
        DispatchSchedule(model_, DispatchRule::kRandom, &random_);
        Restore(model_.PIStorage);
        graph_.Evaluate(model_);
    } else {
        restart.kind = RestartKind::kRelinked;
        const std::uint32_t size = static_cast<std::uint32_t>(pool_.size());
        restart.from = static_cast<std::int32_t>(random_.Below(size));
        restart.towards =
            static_cast<std::int32_t>((restart.from + 1 + random_.Below(size - 1)) % size);
        Restore(pool_[restart.from].rows);
        Relink(pool_[restart.towards].rows);
    }
    phaseBest_ = INT64_MAX;
    NoteSchedule(t);
    restart.cmax = graph_.Cmax();
    restart.best = result_.best;
    watch_.Restarted(model_, restart);
}

bool TabuSearch::Stopped(std::int64_t t) {
    if (watch_.StopRequested()) {
        result_.stop = SearchStop::kObserver;
        return true;
    }
    if (result_.lowerBound && result_.best <= *result_.lowerBound) {
        result_.stop = SearchStop::kLowerBound;
        return true;
    }
    if (settings_.iterations && t >= *settings_.iterations) {
        result_.stop = SearchStop::kIterations;
        return true;
    }
    if (settings_.seconds && t % 16 == 0 && Clock::now() >= deadline_) {
        result_.stop = SearchStop::kTime;
        return true;
    }
    return false;
}

// One iteration: false when the search cannot go on.
bool TabuSearch::Iterate(std::int64_t t) {
    ExpireTabu(t);
    counted_ = false;
    graph_.FindCriticalPath(model_, path_);
    BuildCandidates();
    RateCandidates();
    if (watch_.WantsExactMoves()) {
        for (std::int32_t i = 0; i < static_cast<std::int32_t>(moves_.size()); ++i) Evaluate(i);
    }
    ChoiceRule rule = ChoiceRule::kNone;
    const std::int32_t chosen = moves_.empty() ? -1 : Choose(rule);
    watch_.IterationEvaluated(model_, {t, graph_.Cmax(), result_.best, graph_.R(), graph_.Q(),
                                       &path_, moves_, chosen, rule, tabu_});
    if (chosen < 0) {
        result_.stop = SearchStop::kNoMove;
        return false;
    }
    CandidateMove move = moves_[chosen];
    AddTabu(t, move);
    const RowMove row = RowMoveOf(move);
    const Shifted shifted = Apply(move);
    if (positive_) {
        graph_.UpdateAfter(model_, row);
    } else if (!graph_.Evaluate(model_)) {
        // Only a move nobody evaluated can get here, and only with times of
        // 0 or below; it is taken back and the search ends.
        Undo(shifted);
        graph_.Evaluate(model_);
        result_.stop = SearchStop::kNoMove;
        return false;
    }
    move.cmax = graph_.Cmax();
    move.exact = true;
    result_.iterations = t;
    const bool improved = move.cmax < result_.best;
    NoteSchedule(t);
    watch_.MoveApplied(model_, {t, move, result_.best, improved, tabu_});
    if (t - phaseImproved_ >= settings_.stallLimit) NextPhase(t);
    return true;
}

SearchResult TabuSearch::Run() {
    deadline_ = DeadlineAfter(settings_.seconds.value_or(0));
    bestRows_ = model_.PIStorage;
    phaseRows_ = model_.PIStorage;
    Restore(bestRows_);
    if (!graph_.Evaluate(model_)) {
        result_.stop = SearchStop::kNoMove;
        return result_;
    }
    result_.start = result_.best = phaseBest_ = graph_.Cmax();
    result_.lowerBound = SimpleLowerBound(model_);
    watch_.SearchStarted(model_, {result_.start, result_.lowerBound, settings_.seed, tenureMin_,
                                  tenureMax_, settings_.stallLimit, kPoolSize});
    for (std::int64_t t = 1; !Stopped(t - 1) && Iterate(t); ++t) {
    }
    Restore(bestRows_);
    graph_.Evaluate(model_);
    model_.Cmax = graph_.Cmax();
    watch_.SearchFinished(model_, result_);
    return result_;
}

}  // namespace

SearchResult ImproveSchedule(Model& model, const SearchSettings& settings,
                             SearchObserver* observer) {
    NoObserver nobody;
    TabuSearch search(model, settings, observer != nullptr ? *observer : nobody);
    return search.Run();
}

}  // namespace jobshop
