#include "heuristic/InsertionLoop.h"

#include "heuristic/GraphEvaluation.h"

namespace jobshop {
namespace {

Status CycleFailure() {
    return Status::Failure(
        "\nBlad: graf rozwiazania zawiera cykl (czasy wykonania musza byc dodatnie).\n");
}

}  // namespace

std::int32_t ChoosePosition(const Model& model, const GraphEvaluation& graph, Operation op,
                            std::int32_t machine) {
    const Operation* row = model.PI(machine);
    const std::int32_t c = model.PlacedCount[machine];
    // Start from the back and let ties move the choice forward, so equal
    // estimates go to the front-most position.
    std::int32_t best = c + 1;
    Time bestEstimate = graph.InsertionEstimate(model, op, row[c], 0);
    for (std::int32_t j = c; j >= 1; --j) {
        const Time estimate = graph.InsertionEstimate(model, op, row[j - 1], row[j]);
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

Status BuildSchedule(Model& model, TraceWriter* trace) {
    ClearSchedule(model);
    GraphEvaluation graph(model.OpCount);
    if (trace != nullptr) trace->WriteSortedList();

    for (std::int32_t t = 1; t <= model.OpCount; ++t) {
        const Operation op = model.InsertionOrder[t];
        const std::int32_t machine = model.M[op];
        if (model.PlacedCount[machine] == 0) {
            // The first operation of a machine has no neighbours to choose
            // between: nothing is evaluated and no table is written.
            model.PlacedCount[machine] = 1;
            model.PI(machine)[1] = op;
        } else {
            if (!graph.EvaluateGraph(model)) return CycleFailure();
            graph.ComputeTails(model);
            if (trace != nullptr) trace->WriteTopologicalLine(graph.TopoOrder);
            const std::int32_t b = ChoosePosition(model, graph, op, machine);
            // The table shows the graph the estimates were taken from, so it
            // goes out before the commit changes any link.
            if (trace != nullptr) trace->WriteTable(graph.R, graph.Q, graph.ChangedOperations());
            graph.ForgetChanges();
            CommitOperation(model, op, machine, b);
        }
        if (trace != nullptr) {
            trace->WritePermutationBlock();
            trace->WriteStepSeparator();
            if (trace->failed()) return TraceWriteFailure(model.TraceFileName);
        }
    }
    if (!graph.EvaluateGraphWithMakespan(model)) return CycleFailure();
    return Status::Ok();
}

}  // namespace jobshop
