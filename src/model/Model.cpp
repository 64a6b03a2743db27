#include "model/Model.h"

namespace jobshop {

void ClearSchedule(Model& model) {
    // Without operations no machine needs a row, however many machines the
    // instance names; Placed() reads such machines as empty.
    const std::size_t machines =
        model.OpCount > 0 ? static_cast<std::size_t>(model.MachineCount) + 1 : 1;
    std::vector<std::size_t> operationsOn(machines, 0);
    for (Operation k = 1; k <= model.OpCount; ++k) ++operationsOn[model.M[k]];

    model.PIRowStart.assign(machines + 1, 0);
    std::size_t next = 0;
    for (std::size_t i = 0; i < machines; ++i) {
        model.PIRowStart[i] = next;
        next += operationsOn[i] + 2;
    }
    model.PIRowStart[machines] = next;
    model.PIStorage.assign(next, 0);
    model.PlacedCount.assign(machines, 0);

    const std::size_t entries = static_cast<std::size_t>(model.OpCount) + 2;
    model.NM.assign(entries, 0);
    model.PM.assign(entries, 0);
    model.Cmax = 0;
}

}  // namespace jobshop
