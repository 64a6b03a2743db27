#pragma once

#include <optional>
#include <vector>

#include "formats/FormatError.h"
#include "formats/Instance.h"
#include "formats/TextLines.h"

namespace jobshop {

// OR-Library's job-shop layout: per instance a line `instance NAME`, a line of
// description, a line `n m`, then one line per job of `machine time` pairs
// with machines numbered from 0. Free text may stand before the first
// instance and lines of '+' between them. A file of one instance may leave out
// the `instance` line and the description and start with comment lines of '#'
// (the JSPLIB layout).

// Whether the line introduces an instance ("instance NAME"); reading the
// instance refuses such a line without exactly one name.
bool IsInstanceLine(const TextLine& line);

// One block per `instance` line, or the whole file as one unnamed instance.
std::vector<InstanceBlock> FindStandardInstances(const SourceText& source);

std::optional<FormatError> ReadStandardInstance(const SourceText& source,
                                                const InstanceBlock& block, Instance& instance);

}  // namespace jobshop
