#pragma once

#include <optional>
#include <vector>

#include "formats/FormatError.h"
#include "formats/Instance.h"
#include "formats/TextLines.h"

namespace jobshop {

// Taillard's job-shop layout, one or more instances per file, each:
//
//   Nb of jobs, Nb of Machines, Time seed, Machine seed, Upper bound, Lower bound
//   15 15 840612802 398197754 1231 1005
//   Times
//   n rows of m processing times
//   Machines
//   n rows of m machines, numbered from 1
//
// The header text line may be missing; the numbers line needs only n and m.
// His flow-shop and open-shop files (headers "number of jobs, ...") are told
// apart and rejected.

// One block per "Times" section, starting at its header; the whole file when
// there is none, so that reading it says what is missing.
std::vector<InstanceBlock> FindTaillardInstances(const SourceText& source);

std::optional<FormatError> ReadTaillardInstance(const SourceText& source,
                                                const InstanceBlock& block, Instance& instance);

}  // namespace jobshop
