#pragma once

#include <optional>
#include <vector>

#include "formats/FormatError.h"
#include "formats/Instance.h"
#include "formats/TextLines.h"

namespace jobshop {

// The flexible job-shop layout: a line `n m [average machines per operation]`,
// then one line per job: its number of operations, then per operation the
// number of machines that can run it followed by that many `machine time`
// pairs, machines numbered from 1. Only files without a choice of machine are
// job-shop instances, so any operation with more or fewer than one machine is
// rejected.

// Whether a job line has the flexible layout, whatever its choices.
bool IsFjspJobLine(const TextLine& line);

// The whole file as one unnamed instance.
std::vector<InstanceBlock> FindFjspInstances(const SourceText& source);

std::optional<FormatError> ReadFjspInstance(const SourceText& source, const InstanceBlock& block,
                                            Instance& instance);

}  // namespace jobshop
