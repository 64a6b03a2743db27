#include "heuristic/Schedule.h"

#include <algorithm>
#include <vector>

namespace jobshop {

bool AllTimesPositive(const Model& model) {
    for (Operation k = 1; k <= model.OpCount; ++k) {
        if (model.p[k] < 1) return false;
    }
    return true;
}

void LinkMachineRows(Model& model) {
    for (std::int32_t i = 1; i < static_cast<std::int32_t>(model.PlacedCount.size()); ++i) {
        const Operation* row = model.PI(i);
        for (std::int32_t j = 1; j <= model.PlacedCount[i]; ++j) {
            model.PM[row[j]] = row[j - 1];
            model.NM[row[j]] = row[j + 1];
        }
    }
}

std::optional<Time> SimpleLowerBound(const Model& model) {
    std::vector<Time> load(static_cast<std::size_t>(model.MachineCount) + 1, 0);
    Time bound = 0;
    Time job = 0;
    for (Operation k = 1; k <= model.OpCount; ++k) {
        if (model.p[k] < 0) return std::nullopt;
        job = (model.PO[k] == 0 ? 0 : job) + model.p[k];
        bound = std::max(bound, job);
        load[model.M[k]] += model.p[k];
    }
    return std::max(bound, *std::max_element(load.begin(), load.end()));
}

}  // namespace jobshop
