#include "driver/InsertionOrder.h"

#include <algorithm>

namespace jobshop {

void SortInsertionOrder(Model& model) {
    const auto& p = model.p;
    auto first = model.InsertionOrder.begin() + 1;
    // The key (-p, operation number) is unique per operation, so an unstable
    // sort yields the one order the trace documents.
    std::sort(first, first + model.OpCount,
              [&p](Operation a, Operation b) { return p[a] != p[b] ? p[a] > p[b] : a < b; });
}

}  // namespace jobshop
