#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/FormatError.h"

namespace jobshop {

// One operation of a job as the formats give it: its machine M (numbered from
// 1, whatever the file's own numbering) and its processing time p.
struct JobStep {
    std::int32_t M = 0;
    std::int32_t p = 0;
};

// One instance between reading a file and writing another: the numbers of
// every format, without the schedule tables of the Model.
struct Instance {
    std::string InstanceName;  // empty when the file names none
    std::int32_t JobCount = 0;
    std::int32_t MachineCount = 0;
    std::vector<std::vector<JobStep>>
        Jobs;  // JobCount jobs of MachineCount steps, in technological order
};

// Where one instance of a file lies: the name the file gives it (empty when
// it gives none) and its lines, as indexes [begin, end) into the file's lines.
struct InstanceBlock {
    std::string name;
    std::size_t begin = 0;
    std::size_t end = 0;
};

// The longest instance name: the trace's file name, the name followed by
// "_krok_po_kroku.txt", must fit the 255 bytes a file name may have.
inline constexpr std::size_t kMaxInstanceNameLength = 237;

// The trace is written in the working folder and nowhere else, so a name
// holds no path separator.
constexpr bool IsPathSeparator(char c) {
    return c == '/' || c == '\\';
}

// Why `name` cannot name an instance (kNameEmpty ... kNameTooLong), or
// nothing when it can: the rule of the program's loader (no separator, at
// most kMaxInstanceNameLength bytes), and one word of printable bytes, so
// that the name reads back as written.
std::optional<FormatError::Kind> NameError(std::string_view name);
// The same in English words, as the tools' options say it.
std::optional<std::string> NameProblem(std::string_view name);

}  // namespace jobshop
