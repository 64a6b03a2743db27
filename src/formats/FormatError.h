#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace jobshop {

// The languages a reader's refusal is worded in: English for the developer
// tools, Polish (with diacritics) for the web page beside its English.
enum class Language { kEnglish, kPolish };

// Why a file in one of the published formats cannot become an instance, as a
// form and the values it names, so that either language words it at the
// edge (FormatMessage). The readers report these instead of sentences, so a
// Polish message never has to be recovered from an English one.
struct FormatError {
    enum class Kind {
        // The counts and the numbers of the operations.
        kSizesBelowOne,      // jobs {0}, machines {1}
        kTooManyOperations,  // jobs {0}, machines {1}
        kCountNotInteger,    // token {0}
        kMachineNotInteger,  // token {0} of job {1}, operation {2}
        kMachineOutOfRange,  // machine {0} of job {1}, operation {2}, range {3}..{4}
        kTimeNotInteger,     // token {0} of job {1}, operation {2}
        kTimeNegative,       // time {0} of job {1}, operation {2}
        kOperationCount,     // job {0} has {1} operations, machines {2}
        kTruncatedJobs,      // after {0} of {1} jobs
        kTruncatedRows,      // after {0} of {1} rows of section {2}
        kNumbersAfterJobs,   // jobs {0}
        // OR-Library's and JSPLIB's layout.
        kBadInstanceLine,  // the line {0}
        kNoSizeLine,
        kNotSizeLine,  // the line {0}
        kNotJobPairs,  // job {0}, the line {1}
        kOddNumbers,   // job {0}, {1} numbers
        // Taillard's layout.
        kFlowShopFile,
        kOpenShopFile,
        kNoSection,          // title {0}, at the end of the instance
        kNotSection,         // title {0}, the line {1}
        kNotSectionRow,      // row {0} of section {1}, the line {2}
        kNotTaillardHeader,  // the line {0}
        kEndsEarly,
        kNotTaillardSizes,  // the line {0}
        // The flexible layout.
        kNoInstance,
        kNotFjspSizes,       // the line {0}
        kNotFjspJob,         // job {0}, the line {1}
        kJobEndsBefore,      // job {0}, operation {1} of {2}
        kFlexibleOperation,  // job {0}, operation {1}, machines {2}
        kJobEndsInside,      // job {0}, operation {1}
        kNumbersAfterOps,    // job {0}, operations {1}
        kProgramFormat,      // the program's format asked of a line reader
        // Names (NameError), and one taken from the file (kNameRefused).
        kNameEmpty,
        kNameSeparator,
        kNameSpace,
        kNameTooLong,
        kNameRefused,  // `cause` (a name kind) about the name {0}
        // The choice of the format (ChooseFormat).
        kReadsAlike,  // the formats {0}, {1}, ...
        kCannotTell,
    };

    Kind kind = Kind::kNoInstance;
    // The file's line, counting from 1; 0 when the message names the file
    // alone.
    std::int32_t line = 0;
    // The values the form names, as the message shows them (numbers in
    // decimal, tokens and lines quoted).
    std::vector<std::string> args;
    // What is wrong with the name, for kNameRefused.
    Kind cause = Kind::kNameEmpty;
};

// One line naming `file`, the line and what is wrong: "FILE:LINE: what",
// "FILE: what" without a line, or the form's own sentence about FILE.
std::string FormatMessage(const FormatError& error, std::string_view file, Language language);

// What is wrong, without the file: the message's part after "FILE:LINE: "
// (for the forms that name no file).
std::string FormatProblem(const FormatError& error, Language language);

}  // namespace jobshop
