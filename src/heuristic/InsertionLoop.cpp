#include "heuristic/InsertionLoop.h"

namespace jobshop {

std::int32_t ChoosePosition(const Model& model, const GraphEvaluation& graph, Operation op,
                            std::int32_t machine, std::vector<Time>& estimates) {
    const Operation* row = model.PI(machine);
    const std::int32_t c = model.PlacedCount[machine];
    estimates.resize(static_cast<std::size_t>(c) + 1);
    // Start from the back and let ties move the choice forward, so equal
    // estimates go to the front-most position.
    std::int32_t best = c + 1;
    Time bestEstimate = graph.InsertionEstimate(model, op, row[c], 0);
    estimates[c] = bestEstimate;
    for (std::int32_t j = c; j >= 1; --j) {
        const Time estimate = graph.InsertionEstimate(model, op, row[j - 1], row[j]);
        estimates[j - 1] = estimate;
        if (estimate <= bestEstimate) {
            best = j;
            bestEstimate = estimate;
        }
    }
    return best;
}

void CommitOperation(Model& model, Operation op, std::int32_t machine, std::int32_t b) {
    Operation* row = model.PI(machine);
    const std::int32_t c = model.PlacedCount[machine];
    for (std::int32_t j = c; j >= b; --j) row[j + 1] = row[j];
    model.PlacedCount[machine] = c + 1;
    row[b] = op;
    const Operation u = row[b - 1];
    const Operation v = row[b + 1];
    model.PM[op] = u;
    model.NM[op] = v;
    if (u != 0) model.NM[u] = op;
    if (v != 0) model.PM[v] = op;
}

namespace {

// Stands in for a missing observer, so the loop has one path.
class NoObserver final : public StepObserver {};

}  // namespace

ScheduleOutcome BuildSchedule(Model& model, StepObserver* observer) {
    NoObserver nobody;
    StepObserver& watch = observer != nullptr ? *observer : nobody;
    ClearSchedule(model);
    GraphEvaluation graph(model.OpCount);
    std::vector<Time> estimates;
    watch.OrderFixed(model);
    if (watch.StopRequested()) return ScheduleOutcome::kStopped;

    for (std::int32_t t = 1; t <= model.OpCount; ++t) {
        const Operation op = model.InsertionOrder[t];
        const std::int32_t machine = model.M[op];
        std::int32_t b = 1;
        if (model.PlacedCount[machine] > 0) {
            if (!graph.EvaluateGraph(model)) return ScheduleOutcome::kCycle;
            graph.ComputeTails(model);
            b = ChoosePosition(model, graph, op, machine, estimates);
            // Shown before the commit: the graph the estimates came from.
            watch.StepEvaluated(model, {t, op, machine, estimates, b, graph.TopoOrder(), graph.R(),
                                        graph.Q(), graph.Level(), graph.ChangedOperations()});
            if (watch.StopRequested()) return ScheduleOutcome::kStopped;
        }
        // The first operation of a machine has no neighbours to choose
        // between, so nothing is evaluated for it.
        CommitOperation(model, op, machine, b);
        watch.StepPlaced(model, {t, op, machine, b});
        if (watch.StopRequested()) return ScheduleOutcome::kStopped;
    }
    const std::optional<Time> makespan = graph.EvaluateMakespan(model);
    if (!makespan) return ScheduleOutcome::kCycle;
    model.Cmax = *makespan;
    watch.Finished(model, *makespan);
    return ScheduleOutcome::kComplete;
}

}  // namespace jobshop
