#pragma once

#include <string>

#include "formats/Instance.h"

namespace jobshop {

// The program's input file: the name, "n m", then one line per job of
// `machine time` pairs, machines from 1.
std::string ProgramText(const Instance& instance);

// OR-Library's layout for one instance: "instance NAME", a line of
// description, "n m", then the job lines with machines numbered from 0.
std::string StandardText(const Instance& instance);

}  // namespace jobshop
