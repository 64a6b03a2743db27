#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "formats/Instance.h"
#include "formats/TextLines.h"
#include "model/Status.h"

namespace jobshop {

// The rules every format's numbers follow. Each failure names the file, the
// line (0: none) and the job and operation the number belongs to, so a user
// can go straight to it.

// "job 2, operation 4"
std::string OperationLabel(std::int32_t job, std::int32_t op);

// Both counts at least 1, and no more operations than the program can number.
Status CheckSizes(const SourceText& source, std::int32_t line, std::int64_t jobs,
                  std::int64_t machines);
// Reads JobCount and MachineCount from two tokens and checks them.
Status ReadSizes(const SourceText& source, std::int32_t line, std::string_view jobs,
                 std::string_view machines, Instance& instance);

// A machine numbered in the file from `first` (0 or 1), stored numbered from 1.
Status ReadMachine(const SourceText& source, std::int32_t line, std::string_view token,
                   std::int32_t first, std::int32_t machineCount, const std::string& label,
                   std::int32_t& M);

// A processing time: an integer, 0 or more.
Status CheckTime(const SourceText& source, std::int32_t line, std::int32_t p,
                 const std::string& label);
Status ReadTime(const SourceText& source, std::int32_t line, std::string_view token,
                const std::string& label, std::int32_t& p);

// The program numbers a job's operations by machine slots, so every job needs
// exactly MachineCount operations.
Status CheckOperationCount(const SourceText& source, std::int32_t line, std::int32_t job,
                           std::int64_t count, std::int32_t machineCount);

// An instance that stops after `done` of its `total` `items` ("jobs", "rows
// of Times"): the file is truncated or its counts are wrong.
Status Truncated(const SourceText& source, const LineCursor& cursor, std::int32_t done,
                 std::int32_t total, std::string_view items);

// After the last job a line of numbers means the file holds more jobs than it
// declares; anything else (text, the next instance) ends the instance.
Status CheckNoMoreData(const SourceText& source, LineCursor& cursor, std::int32_t jobCount);

// Reads JobCount job lines, one job per line, each with `readJob`, and checks
// that no further job follows.
using JobLineReader = Status (*)(const SourceText& source, const TextLine& line, std::int32_t job,
                                 Instance& instance);
Status ReadJobLines(const SourceText& source, LineCursor& cursor, Instance& instance,
                    JobLineReader readJob);

}  // namespace jobshop
