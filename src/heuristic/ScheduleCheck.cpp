#include "heuristic/ScheduleCheck.h"

#include <algorithm>
#include <vector>

namespace jobshop {
namespace {

bool RowsArePermutations(const Model& model) {
    std::vector<char> seen(static_cast<std::size_t>(model.OpCount) + 1, 0);
    std::int64_t placed = 0;
    for (std::int32_t i = 1; i < static_cast<std::int32_t>(model.PlacedCount.size()); ++i) {
        const Operation* row = model.PI(i);
        for (std::int32_t j = 1; j <= model.PlacedCount[i]; ++j) {
            const Operation k = row[j];
            if (k < 1 || k > model.OpCount || model.M[k] != i || seen[k]) return false;
            if (model.PM[k] != row[j - 1] || model.NM[k] != row[j + 1]) return false;
            seen[k] = 1;
            ++placed;
        }
        if (row[0] != 0 || row[model.PlacedCount[i] + 1] != 0) return false;
    }
    return placed == model.OpCount;
}

}  // namespace

std::optional<Time> CheckedMakespan(const Model& model) {
    if (!RowsArePermutations(model)) return std::nullopt;
    const std::int32_t machines = static_cast<std::int32_t>(model.PlacedCount.size());
    // The token game: next[i] is the position of machine i's next operation;
    // an operation is ready when it is next on its machine and its job
    // predecessor has ended.
    std::vector<std::int32_t> next(machines, 1);
    std::vector<Time> end(static_cast<std::size_t>(model.OpCount) + 1, 0);
    std::vector<char> done(static_cast<std::size_t>(model.OpCount) + 1, 0);
    std::vector<Time> machineEnd(machines, 0);
    std::vector<Operation> ready;
    const auto offer = [&](std::int32_t i) {
        if (next[i] > model.PlacedCount[i]) return;
        const Operation k = model.PI(i)[next[i]];
        if (model.PO[k] == 0 || done[model.PO[k]]) ready.push_back(k);
    };
    for (std::int32_t i = 1; i < machines; ++i) offer(i);
    std::int64_t finished = 0;
    Time makespan = 0;
    while (!ready.empty()) {
        const Operation k = ready.back();
        ready.pop_back();
        const std::int32_t i = model.M[k];
        const Time jobEnd = model.PO[k] == 0 ? 0 : end[model.PO[k]];
        end[k] = std::max(jobEnd, machineEnd[i]) + model.p[k];
        machineEnd[i] = end[k];
        done[k] = 1;
        makespan = std::max(makespan, end[k]);
        ++finished;
        ++next[i];
        offer(i);
        // The job successor, if it already stands first on another machine.
        const Operation s = model.NO[k];
        if (s != 0 && model.M[s] != i) {
            const std::int32_t at = model.M[s];
            if (next[at] <= model.PlacedCount[at] && model.PI(at)[next[at]] == s)
                ready.push_back(s);
        }
    }
    if (finished != model.OpCount) return std::nullopt;
    return makespan;
}

}  // namespace jobshop
