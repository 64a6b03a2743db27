#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string_view>

#include "driver/TraceDestination.h"
#include "formats/Loader.h"
#include "model/Model.h"
#include "model/Status.h"

namespace jobshop {

// The instance file the program reads from its working folder.
inline constexpr std::string_view kInstanceFileName = "input.txt";

// The console texts of the run.
inline constexpr const char* kStartTexts[] = {
    "\nProsze upewnic sie, ze w katalogu z aplikacja znajduje sie plik INPUT.TXT !!!",
    "\nPlik powinien zawierac nazwe i rozmiar instancji oraz zadania.\n",
    "\nNacisnij ENTER aby kontynuowac.\n\n",
};
inline constexpr const char* kFinalText = "\nWygenerowano plik wyjsciowy!";
// On standard error when standard output did not take the final text.
inline constexpr const char* kOutputFailure =
    "\nBlad: nie mozna pisac na standardowe wyjscie (plik wyjsciowy jest kompletny).\n";

// One whole run of the program, without the final key wait: prints the start
// texts to `out`, waits for one character of `in`, loads input.txt from
// `folder`, builds the schedule, writes the trace file into `folder` and
// prints the final text. A failure is reported on `err`, and so is a final
// text that `out` failed to take. Returns the exit status: 0 on success, 1 on
// any failure.
int RunProgram(std::istream& in, std::ostream& out, std::ostream& err,
               const std::filesystem::path& folder);
// The same with the trace going to `traces` instead of into `folder`.
int RunProgram(std::istream& in, std::ostream& out, std::ostream& err,
               const std::filesystem::path& folder, TraceDestination& traces);

// Loads the instance in `file` and sorts its InsertionOrder.
[[nodiscard]] std::optional<LoadError> LoadSortedInstance(const std::filesystem::path& file,
                                                          Model& model);

// The failures of a run that do not come from loading or writing.
Status CycleFailure();  // the schedule graph closed a cycle
// The instance in `file` does not fit in memory.
Status TooLargeFailure(std::string_view file = kInstanceFileName);

// Builds the schedule of a loaded, sorted instance, writes the whole trace
// (created or emptied first, the closing section appended after the
// insertion loop) and sets Cmax back to 0 afterwards.
Status RunSchedule(Model& model, const std::filesystem::path& folder);
Status RunSchedule(Model& model, TraceDestination& traces);

}  // namespace jobshop
