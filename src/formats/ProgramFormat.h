#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formats/Instance.h"
#include "formats/TextLines.h"
#include "model/Model.h"
#include "model/Status.h"

namespace jobshop {

// The program's own input format, read by the program's own loader so that
// every tool accepts and rejects exactly what jobshop-insert does. A rejection
// names `displayName` where the program's message names input.txt.
Status LoadProgramText(std::string_view text, const std::string& displayName, Model& model);

// The whole file as one instance, named by its first word.
std::vector<InstanceBlock> FindProgramInstances(const SourceText& source);

// The loader's rules, and the conversion's: times are not negative and an
// instance has at least one job and one machine.
Status ReadProgramInstance(const SourceText& source, const InstanceBlock& block,
                           Instance& instance);

}  // namespace jobshop
