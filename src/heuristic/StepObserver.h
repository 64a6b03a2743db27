#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "model/Model.h"

namespace jobshop {

// A step on a machine that already holds operations, as the insertion loop
// saw it: after the step evaluation and the choice of position, before the
// commit. The model still shows the links before the step, so the step's own
// operation has NM = PM = 0.
struct EvaluatedStep {
    std::int32_t t;        // step number, 1 ... OpCount
    Operation op;          // InsertionOrder[t]
    std::int32_t machine;  // M[op]
    // estimates[b-1] is InsertionEstimate of position b = 1 ... c+1, where c
    // operations stood on the machine before the step.
    std::span<const Time> estimates;
    std::int32_t position;  // the chosen b: smallest estimate, front-most on ties

    // The step evaluation. TopoOrder holds ranks 1 ... OpCount (entry 0 is
    // unused); R, Q and Level are indexed by operation 0 ... OpCount+1 with
    // entry 0 reading 0. Level[k] is the number of arcs on the longest path
    // that ends at k, plus one: TopoOrder lists the operations by increasing
    // Level, and within a level by increasing number.
    std::span<const Operation> TopoOrder;
    std::span<const Time> R;
    std::span<const Time> Q;
    std::span<const std::int32_t> Level;

    // The operations whose machine links, R, Q or Level may differ from the
    // previous evaluated step, each named once, in no particular order;
    // nothing when that is not known (every operation may differ, as at the
    // first evaluated step).
    std::optional<std::span<const Operation>> changed;
};

// A step's commit: op now stands at `position` of `machine`, and the model
// shows the sequences, links and PlacedCount after the step.
struct PlacedStep {
    std::int32_t t;
    Operation op;
    std::int32_t machine;
    std::int32_t position;
};

// Watches the insertion loop. The loop decides; an observer only looks at
// what it is shown (the model and the step) and may ask the loop to stop,
// for example because its output failed. Every notification's data is valid
// only during the call.
class StepObserver {
  public:
    virtual ~StepObserver() = default;

    // Before the first step: InsertionOrder is final and the schedule empty.
    virtual void OrderFixed(const Model& model) { (void)model; }
    // A step on an occupied machine, before its commit.
    virtual void StepEvaluated(const Model& model, const EvaluatedStep& step) {
        (void)model;
        (void)step;
    }
    // Every step, after its commit.
    virtual void StepPlaced(const Model& model, const PlacedStep& step) {
        (void)model;
        (void)step;
    }
    // After the final evaluation of the complete schedule.
    virtual void Finished(const Model& model, Time makespan) {
        (void)model;
        (void)makespan;
    }

    // Asked after every notification; true stops the loop at once.
    virtual bool StopRequested() const { return false; }
};

}  // namespace jobshop
