#pragma once

#include "model/Model.h"

namespace jobshop {

// Orders InsertionOrder[1 ... OpCount] by non-increasing p, operations of
// equal p by increasing operation number.
void SortInsertionOrder(Model& model);

}  // namespace jobshop
