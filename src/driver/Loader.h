#pragma once

#include <cstddef>
#include <filesystem>
#include <string_view>

#include "model/Model.h"
#include "model/Status.h"

namespace jobshop {

// The instance file the program reads from its working folder.
inline constexpr std::string_view kInstanceFileName = "input.txt";

// The longest instance name: the trace's file name, the name followed by
// "_krok_po_kroku.txt", must fit the 255 bytes a file name may have.
inline constexpr std::size_t kMaxInstanceNameLength = 237;

// Reads an instance from the text of input.txt into a fresh model: the name
// and TraceFileName, JobCount, MachineCount, OpCount, M and p of every
// operation, the technological links NO and PO, and the identity
// InsertionOrder (SortInsertionOrder orders it). Tokens are separated by any
// whitespace, so the line layout and CR LF line ends do not matter; text after
// the last pair is ignored. A file the program cannot schedule is rejected
// with a message naming what is wrong and where; the model is then unusable.
Status LoadInstance(std::string_view content, Model& model);

// The same from a file, with the same rules and messages, read only as far
// as the tokens need: reading stops after the last pair or at the first bad
// token, and no token is held whole, so memory follows the instance, not the
// file (an endless device or a pipe kept open ends the reading all the same).
// A file that cannot be opened or read is reported as such.
Status LoadInstanceFile(const std::filesystem::path& path, Model& model);

}  // namespace jobshop
