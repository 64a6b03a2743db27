#pragma once

#include <optional>
#include <vector>

#include "formats/FormatError.h"
#include "formats/Instance.h"
#include "formats/TextLines.h"
#include "model/Model.h"

namespace jobshop {

// The program's own input format is read by the program's own loader
// (formats/Loader.h), so that every tool accepts exactly what
// jobshop-insert does. These are the conversion's parts around it.

// The whole file as one instance, named by its first word.
std::vector<InstanceBlock> FindProgramInstances(const SourceText& source);

// The instance a loaded model holds, under the conversion's further rules:
// times are not negative and an instance has at least one job and one
// machine. The format has no lines, so a refusal names no line.
std::optional<FormatError> ProgramInstance(const Model& model, Instance& instance);

}  // namespace jobshop
