#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "heuristic/StepObserver.h"
#include "model/Model.h"

namespace jobshop {

// What an exercise asks for, in the words the worksheets, the quiz and the
// practice page share, and the cells each word asks for at a step, each
// under the key a page's input or a quiz's field carries (data-cell):
//
//   rq     R:<op>, Q:<op>        heads and tails of the step's table
//   links  NM:<op>, PM:<op>      machine successor and predecessor there
//   topo   topo:<index>          the topological order, from 1
//   uv     u:<b>, v:<b>          each candidate position's neighbours
//   terms  head:<b>, tail:<b>    the two max terms of its estimate
//   est    est:<b>               the estimate, a sum
//   pos    pos                   the chosen position
//   seq    seq:<index>           the machine's sequence after the step
//   cmax   cmax                  the makespan after the last step asked
//
// A step on an empty machine asks nothing. Every cell is worth one point.
// src/report/replay/js/ask.js is the same for the pages.
enum class AskWord : std::uint8_t { kRQ, kLinks, kTopo, kUV, kEst, kTerms, kPos, kSeq, kCmax };
inline constexpr std::string_view kAskWords[] = {"rq",    "links", "topo", "uv",  "est",
                                                 "terms", "pos",   "seq",  "cmax"};

class Ask {
  public:
    bool Has(AskWord word) const { return (bits_ >> static_cast<int>(word)) & 1; }
    void Add(AskWord word) { bits_ |= 1u << static_cast<int>(word); }
    // The words in their order above, comma-separated.
    std::string Text() const;

  private:
    std::uint32_t bits_ = 0;
};

// A first exercise: heads and tails, the estimates as sums, the choice, the
// sequence and where it ends.
Ask DefaultAsk();

// The words of "rq,est,pos" (spaces allowed, any order, repeats ignored);
// nothing, with the offending word in `unknown`, when a word is none of
// kAskWords or there is none at all.
std::optional<Ask> ParseAsk(std::string_view text, std::string& unknown);

// One step of the exercise, as the insertion loop showed it.
struct ExerciseStep {
    std::int32_t t = 0;
    Operation op = 0;
    std::int32_t machine = 0;
    bool evaluated = false;  // false on an empty machine: nothing computed
    // The operation's job neighbours and time.
    Operation PO = 0, NO = 0;
    std::int32_t p = 0;
    // The step's table (the graph before the insertion), indexed by
    // operation 0 ... OpCount (entry 0 reads 0); topo[r-1] has rank r.
    std::vector<Operation> topo, NM, PM;
    std::vector<Time> R, Q;
    std::vector<Time> estimates;  // estimates[b-1] of position b
    std::int32_t position = 0;
    std::vector<Operation> before, after;  // the machine's sequence

    // Position b's neighbours: u before it, v after it (0 = none).
    Operation U(std::int32_t b) const { return b >= 2 ? before[b - 2] : 0; }
    Operation V(std::int32_t b) const {
        return b <= static_cast<std::int32_t>(before.size()) ? before[b - 1] : 0;
    }
    // The two max terms of position b's estimate.
    Time Head(std::int32_t b) const { return std::max(R[PO], R[U(b)]); }
    Time Tail(std::int32_t b) const { return std::max(Q[NO], Q[V(b)]); }
};

// Steps from ... to of a run and what follows them.
struct ExerciseRecording {
    std::int32_t from = 0, to = 0;
    std::vector<std::vector<Operation>> start;  // sequences of machines 1 ... m before step `from`
    std::vector<ExerciseStep> steps;
    Time makespan = 0;  // the largest R after step `to` (Cmax after the last step)
};

// Records steps from ... to while it watches the insertion loop.
class ExerciseRecorder final : public StepObserver {
  public:
    ExerciseRecorder(std::int32_t from, std::int32_t to);

    void OrderFixed(const Model& model) override;
    void StepEvaluated(const Model& model, const EvaluatedStep& step) override;
    void StepPlaced(const Model& model, const PlacedStep& step) override;
    void Finished(const Model& model, Time makespan) override;

    // Complete once Finished has been called.
    const ExerciseRecording& recording() const { return recording_; }

  private:
    ExerciseRecording recording_;
    bool makespanKnown_ = false;
};

// A cell asked: its key, the program's number, the step it belongs to.
struct ExerciseCell {
    std::string key;
    Time answer = 0;
    std::int32_t t = 0;
};

// The cells `step` asks for, in the order the computation goes: the
// topological order, the links, R down the topological order and Q up it,
// position by position u, v, the terms and the estimate, the position, the
// sequence.
std::vector<ExerciseCell> StepCells(const ExerciseStep& step, Ask ask);
// The cell after the last step, when asked: its makespan.
std::optional<ExerciseCell> MakespanCell(const ExerciseRecording& recording, Ask ask);

// Two observers watching one run, the first told first.
class BothObservers final : public StepObserver {
  public:
    BothObservers(StepObserver& first, StepObserver& second) : first_(first), second_(second) {}
    void OrderFixed(const Model& model) override;
    void StepEvaluated(const Model& model, const EvaluatedStep& step) override;
    void StepPlaced(const Model& model, const PlacedStep& step) override;
    void Finished(const Model& model, Time makespan) override;
    bool StopRequested() const override {
        return first_.StopRequested() || second_.StopRequested();
    }

  private:
    StepObserver& first_;
    StepObserver& second_;
};

}  // namespace jobshop
