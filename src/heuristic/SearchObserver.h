#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "heuristic/CriticalPath.h"
#include "model/Model.h"

namespace jobshop {

// What the tabu search publishes, iteration by iteration. Every span and
// reference is valid only during the call that shows it.

enum class MoveStatus : std::uint8_t {
    kAllowed,    // not tabu
    kTabu,       // tabu and not better than the best makespan so far
    kAspirated,  // tabu, but better than the best so far: allowed all the same
    kCycle,      // would close a cycle (possible only with times of 0 or below)
};

// How a move changes the order of a block. a stands before b on their
// machine, both in the same block of the critical path, and after the move
// b stands directly before a.
enum class MoveKind : std::uint8_t {
    kSwap,      // a and b, neighbours, change places
    kForward,   // a moves to stand directly after b
    kBackward,  // b moves to stand directly before a
};

struct CandidateMove {
    MoveKind kind = MoveKind::kSwap;
    Operation a = 0;
    Operation b = 0;
    std::int32_t machine = 0;
    std::int32_t block = 0;  // index into the path's blocks
    // No schedule this move makes is shorter than `bound`, computed from the
    // heads and tails of the current schedule (the longest path through the
    // operations it moves). When some time is 0 or below no such bound
    // holds and every move is evaluated exactly; `bound` is then `cmax`.
    Time bound = 0;
    Time cmax = 0;  // the makespan after the move, valid when `exact`
    bool exact = false;
    // Final for an exact move. For one without its exact makespan, kTabu
    // means tabu with aspiration not examined (it could not have changed
    // the choice).
    MoveStatus status = MoveStatus::kAllowed;
};

// "a stood directly before b" until a move parted them: a move that puts a
// directly before b again is tabu up to iteration `until`, inclusive.
struct TabuEntry {
    Operation a = 0;
    Operation b = 0;
    std::int64_t until = 0;
};

// How the move of an iteration was chosen.
enum class ChoiceRule : std::uint8_t {
    kBest,  // the smallest makespan among the allowed moves, the first listed among equal ones
    kOldestTabu,  // every move tabu: the one whose tabu ends first, the first listed among equal
                  // ones
    kNone,        // no move can be made
};

struct SearchStart {
    Time cmax = 0;                   // the insertion's makespan
    std::optional<Time> lowerBound;  // SimpleLowerBound, when one holds
    std::uint64_t seed = 0;
    std::int32_t tenureMin = 0;  // a tabu lasts tenureMin ... tenureMax iterations, drawn per move
    std::int32_t tenureMax = 0;
    std::int64_t stallLimit = 0;  // iterations without a better schedule that end a phase
    std::int32_t poolSize = 0;    // elite schedules kept
};

// One iteration before its move: the model holds the current schedule.
struct SearchIteration {
    std::int64_t iteration = 0;  // 1, 2, ...
    Time cmax = 0;               // of the current schedule
    Time best = 0;               // the best makespan found before this iteration
    // The current schedule's heads and tails, indexed by operation 0 ...
    // OpCount+1 (entry 0 reads 0).
    std::span<const Time> R;
    std::span<const Time> Q;
    const CriticalPath* path = nullptr;
    // Along the path, block by block: a block's first pair, then its last.
    std::span<const CandidateMove> moves;
    std::int32_t chosen = -1;  // index into moves, -1 when ChoiceRule::kNone
    ChoiceRule rule = ChoiceRule::kNone;
    std::span<const TabuEntry> tabu;  // in force during this iteration
};

// After an iteration's move: the model holds the new schedule.
struct AppliedMove {
    std::int64_t iteration = 0;
    CandidateMove move;  // exact
    Time best = 0;       // after this move
    bool improved = false;
    std::span<const TabuEntry> tabu;  // in force from the next iteration on
};

// How the search starts a new phase.
enum class RestartKind : std::uint8_t {
    kRandomStart,  // while the pool of elite schedules fills: a random active schedule
    kRelinked,     // a schedule on the way from one elite schedule to another
};

// A phase of the search ended: it found nothing better for stallLimit
// iterations. Its best schedule was offered to the pool of elite schedules,
// the tabu list emptied, and the model holds the schedule the next phase
// starts from.
struct SearchRestart {
    std::int64_t iteration = 0;  // the last iteration of the phase that ended
    RestartKind kind = RestartKind::kRandomStart;
    Time phaseBest = 0;         // the best makespan of the phase that ended
    std::int32_t poolSize = 0;  // elite schedules in the pool
    std::int32_t from = -1;     // kRelinked: the elite schedules it went from and towards
    std::int32_t towards = -1;
    Time cmax = 0;  // of the schedule the next phase starts from
    Time best = 0;
};

enum class SearchStop : std::uint8_t {
    kIterations,  // the iteration limit
    kTime,        // the time limit
    kLowerBound,  // the best makespan reached the lower bound: it is optimal
    kNoMove,      // the critical path offers no move
    kObserver,    // an observer asked to stop
};

struct SearchResult {
    Time start = 0;  // the insertion's makespan
    Time best = 0;
    std::int64_t iterations = 0;
    std::int64_t bestIteration = 0;  // the iteration that found `best`; 0 for the start
    SearchStop stop = SearchStop::kIterations;
    std::optional<Time> lowerBound;
    std::uint64_t movesEvaluated = 0;    // candidate moves rated, all iterations
    std::uint64_t exactEvaluations = 0;  // of them, evaluated on a whole schedule
};

// Watches the tabu search. The search decides; an observer only looks and
// may ask it to stop.
class SearchObserver {
  public:
    virtual ~SearchObserver() = default;

    // Once, before the first iteration: the model holds the start.
    virtual void SearchStarted(const Model& model, const SearchStart& start) {
        (void)model;
        (void)start;
    }
    virtual void IterationEvaluated(const Model& model, const SearchIteration& iteration) {
        (void)model;
        (void)iteration;
    }
    virtual void MoveApplied(const Model& model, const AppliedMove& move) {
        (void)model;
        (void)move;
    }
    virtual void Restarted(const Model& model, const SearchRestart& restart) {
        (void)model;
        (void)restart;
    }
    // Once, at the end: the model holds the best schedule found.
    virtual void SearchFinished(const Model& model, const SearchResult& result) {
        (void)model;
        (void)result;
    }

    // True: every candidate's makespan is evaluated exactly, not only those
    // the choice needs. The choice is the same either way.
    virtual bool WantsExactMoves() const { return false; }
    // Asked after every notification; true stops the search.
    virtual bool StopRequested() const { return false; }
};

// Shows every notification to several observers, in the order given; wants
// exact moves or a stop when any of them does.
class SearchObservers final : public SearchObserver {
  public:
    explicit SearchObservers(std::vector<SearchObserver*> observers)
        : observers_(std::move(observers)) {}

    void SearchStarted(const Model& model, const SearchStart& start) override {
        for (SearchObserver* o : observers_) o->SearchStarted(model, start);
    }
    void IterationEvaluated(const Model& model, const SearchIteration& iteration) override {
        for (SearchObserver* o : observers_) o->IterationEvaluated(model, iteration);
    }
    void MoveApplied(const Model& model, const AppliedMove& move) override {
        for (SearchObserver* o : observers_) o->MoveApplied(model, move);
    }
    void Restarted(const Model& model, const SearchRestart& restart) override {
        for (SearchObserver* o : observers_) o->Restarted(model, restart);
    }
    void SearchFinished(const Model& model, const SearchResult& result) override {
        for (SearchObserver* o : observers_) o->SearchFinished(model, result);
    }
    bool WantsExactMoves() const override {
        for (const SearchObserver* o : observers_) {
            if (o->WantsExactMoves()) return true;
        }
        return false;
    }
    bool StopRequested() const override {
        for (const SearchObserver* o : observers_) {
            if (o->StopRequested()) return true;
        }
        return false;
    }

  private:
    std::vector<SearchObserver*> observers_;
};

}  // namespace jobshop
