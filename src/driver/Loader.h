#pragma once

#include <string_view>

#include "model/Model.h"
#include "model/Status.h"

namespace jobshop {

// The instance file the program reads from its working folder.
inline constexpr std::string_view kInstanceFileName = "input.txt";

// Reads an instance from the text of input.txt into a fresh model: the name
// and TraceFileName, JobCount, MachineCount, OpCount, M and p of every
// operation, the technological links NO and PO, and the identity
// InsertionOrder (SortInsertionOrder orders it). Tokens are separated by any
// whitespace, so the line layout and CR LF line ends do not matter; text after
// the last pair is ignored. A file the program cannot schedule is rejected
// with a message naming what is wrong and where; the model is then unusable.
Status LoadInstance(std::string_view content, Model& model);

}  // namespace jobshop
