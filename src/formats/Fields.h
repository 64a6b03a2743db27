#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/FormatError.h"
#include "formats/Instance.h"
#include "formats/TextLines.h"

namespace jobshop {

// The rules every format's numbers follow. Each failure names the line (0:
// none) and the job and operation the number belongs to, so a user can go
// straight to it.
using Fault = std::optional<FormatError>;

// A failure at `line`, of the form `kind`, naming `args`.
FormatError FaultAt(std::int32_t line, FormatError::Kind kind, std::vector<std::string> args = {});

// Both counts at least 1, and no more operations than the program can number.
Fault CheckSizes(std::int32_t line, std::int64_t jobs, std::int64_t machines);
// Reads JobCount and MachineCount from two tokens and checks them.
Fault ReadSizes(std::int32_t line, std::string_view jobs, std::string_view machines,
                Instance& instance);

// A machine numbered in the file from `first` (0 or 1), stored numbered from 1.
Fault ReadMachine(std::int32_t line, std::string_view token, std::int32_t first,
                  std::int32_t machineCount, std::int32_t job, std::int32_t op, std::int32_t& M);

// A processing time: an integer, 0 or more.
Fault CheckTime(std::int32_t line, std::int32_t p, std::int32_t job, std::int32_t op);
Fault ReadTime(std::int32_t line, std::string_view token, std::int32_t job, std::int32_t op,
               std::int32_t& p);

// The program numbers a job's operations by machine slots, so every job needs
// exactly MachineCount operations.
Fault CheckOperationCount(std::int32_t line, std::int32_t job, std::int64_t count,
                          std::int32_t machineCount);

// An instance that stops after `done` of its `total` jobs, or rows of the
// section `rowsOf` ("Times"): the file is truncated or its counts are wrong.
FormatError Truncated(const LineCursor& cursor, std::int32_t done, std::int32_t total,
                      std::string_view rowsOf = {});

// After the last job a line of numbers means the file holds more jobs than it
// declares; anything else (text, the next instance) ends the instance.
Fault CheckNoMoreData(LineCursor& cursor, std::int32_t jobCount);

// Reads JobCount job lines, one job per line, each with `readJob`, and checks
// that no further job follows.
using JobLineReader = Fault (*)(const TextLine& line, std::int32_t job, Instance& instance);
Fault ReadJobLines(LineCursor& cursor, Instance& instance, JobLineReader readJob);

}  // namespace jobshop
