#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/Model.h"

namespace jobshop {

// Why an instance in the program's format was refused, with every value a
// message needs; each program words it at its edge (jobshop-insert as
// "Blad w pliku input.txt: ...").
struct LoadError {
    enum class Kind {
        kCannotOpen,         // the file cannot be opened or read (a folder, say)
        kEmpty,              // no instance name
        kMissingNumber,      // the input ends where `number` should stand
        kBadNumber,          // `token` stands where `number` should, and is no 32-bit integer
        kNegativeSize,       // a negative number of jobs or machines
        kMachineOutOfRange,  // `value`, the machine of `op`, is outside 1 ... `machineCount`
        kTooLarge,           // more operations than the tables can number or hold
        kNameHasSeparator,   // the name holds '/' or '\'
        kNameTooLong,        // the name is longer than kMaxInstanceNameLength
    };
    // The number a message names: the two counts, or the machine or the time
    // of operation `op` of job `job`.
    enum class Number { kJobs, kMachines, kMachine, kTime };

    Kind kind = Kind::kCannotOpen;
    Number number = Number::kJobs;
    Operation op = 0;
    std::int32_t job = 0;
    std::string token;  // the bad token's first bytes as read: one past what a message shows
    std::int64_t value = 0;
    std::int32_t machineCount = 0;
    // Where the offending token starts (for a missing number: where the
    // input ends), counting lines from 1; 0 when no line is concerned.
    std::int64_t line = 0;
};

// The bytes of an instance, handed out piece by piece as the tokens need them.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // The next bytes; empty at the end of the input (or after a read error).
    virtual std::string_view NextPiece() = 0;
    // The size of the whole input when known in advance, else 0.
    virtual std::uint64_t KnownSize() const = 0;
    // True when no byte is ready and asking for the next piece would wait
    // (a pipe kept open by its writer). A refusal that no further byte can
    // turn into an instance is then reported without waiting.
    virtual bool WouldWait() { return false; }
};

// Reads an instance from the text of input.txt into a fresh model: the name
// and TraceFileName, JobCount, MachineCount, OpCount, M and p of every
// operation, the technological links NO and PO, and the identity
// InsertionOrder (SortInsertionOrder orders it). Tokens are separated by any
// whitespace, so the line layout and CR LF line ends do not matter; text after
// the last pair is ignored. A text the program cannot schedule is refused with
// the reason; the model is then unusable.
[[nodiscard]] std::optional<LoadError> LoadInstance(std::string_view text, Model& model);

// Sets the technological links NO and PO of a model whose JobCount,
// MachineCount, OpCount, M and p are set, clears NM and PM, and makes
// InsertionOrder the identity, as loading does.
void LinkJobs(Model& model);

// The same from any source, read only as far as the tokens need: reading
// stops after the last pair or at the first bad token, and no token is held
// whole, so memory follows the instance, not the input.
[[nodiscard]] std::optional<LoadError> LoadInstanceFrom(ByteSource& source, Model& model);

}  // namespace jobshop
