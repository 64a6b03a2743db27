#include "formats/Loader.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>

#include "formats/Instance.h"
#include "model/Printable.h"

namespace jobshop {
namespace {

constexpr std::string_view kSuffix = "_krok_po_kroku.txt";
static_assert(kMaxInstanceNameLength + kSuffix.size() == 255);

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

class TextSource final : public ByteSource {
  public:
    explicit TextSource(std::string_view text) : text_(text), size_(text.size()) {}
    std::string_view NextPiece() override { return std::exchange(text_, {}); }
    std::uint64_t KnownSize() const override { return size_; }

  private:
    std::string_view text_;  // what has not been handed out yet
    std::uint64_t size_;
};

// The values a number may take to be accepted where it stands. A number
// read so far that is already outside them stays outside whatever digits
// follow, so a source that would wait need not be asked for them.
struct Accepted {
    std::int64_t lowest = INT32_MIN;
    std::int64_t highest = INT32_MAX;
};

// A number token as read: of a token that is not a 32-bit integer, only the
// first bytes a message shows.
struct NumberToken {
    enum class Kind { kNumber, kMissing, kBad } kind;
    std::int32_t value = 0;
    std::string head;  // the first bytes of a bad token, one past what a message shows
    // Where the token starts; for a missing one, where the last token stood.
    std::int64_t line = 0;
};

// Splits the input into whitespace-separated tokens, the way formatted
// stream input reads them, taking one byte at a time from the source and
// asking it for more only when a token needs more. Counts lines as it goes.
class TokenReader {
  public:
    explicit TokenReader(ByteSource& source) : source_(source) {}

    // The next byte, not taken yet; false at the end of the input.
    bool Peek(char& c) {
        if (pos_ == piece_.size() && !Refill()) return false;
        c = piece_[pos_];
        return true;
    }
    void Take() {
        if (piece_[pos_] == '\n') ++line_;
        ++pos_;
    }
    // Marks the start of a token at the next byte.
    void StartToken() { tokenLine_ = line_; }
    // Where the last token started (line 1 before any).
    std::int64_t tokenLine() const { return tokenLine_; }

    void SkipSpace() {
        char c;
        while (Peek(c) && IsSpace(c)) Take();
    }

    bool AtEnd() {
        SkipSpace();
        char c;
        return !Peek(c);
    }

    // True when the next token is not here yet and the source would wait for
    // it; whitespace that is here is taken on the way.
    bool WouldWaitForToken() {
        for (;;) {
            while (pos_ < piece_.size() && IsSpace(piece_[pos_])) Take();
            if (pos_ < piece_.size() || ended_) return false;
            if (source_.WouldWait()) return true;
            if (!Refill()) return false;
        }
    }

    // The line the next byte stands on.
    std::int64_t line() const { return line_; }

    // An optional sign and decimal digits, nothing else, within 32 bits,
    // judged digit by digit: a number of any length (leading zeros and all)
    // needs no room, and a bad token is read only as far as its message
    // shows it. A token that is already bad, or a number already outside
    // `accepted`, ends where the source would wait.
    NumberToken NextNumber(Accepted accepted = {}) {
        if (AtEnd()) return {NumberToken::Kind::kMissing, 0, {}, tokenLine_};
        StartToken();
        std::string head;
        bool negative = false;
        bool valid = true;
        bool digits = false;
        std::int64_t magnitude = 0;
        char c;
        for (;;) {
            if (pos_ == piece_.size() && !ended_ &&
                (!valid || (digits && Outside(negative, magnitude, accepted))) &&
                source_.WouldWait()) {
                break;
            }
            if (!Peek(c) || IsSpace(c)) break;
            if (!valid && head.size() > kShownTokenBytes) break;
            Take();
            const bool first = head.empty();
            if (head.size() <= kShownTokenBytes) head += c;
            if (!valid) continue;
            if (c >= '0' && c <= '9') {
                digits = true;
                magnitude = magnitude * 10 + (c - '0');
                valid = magnitude <= std::int64_t{INT32_MAX} + negative;
            } else {
                // A sign only as the first byte, so "+-1" is no number either.
                valid = first && (c == '+' || c == '-');
                negative = valid && c == '-';
            }
        }
        if (!valid || !digits) return {NumberToken::Kind::kBad, 0, std::move(head), tokenLine_};
        return {NumberToken::Kind::kNumber,
                static_cast<std::int32_t>(negative ? -magnitude : magnitude),
                {},
                tokenLine_};
    }

  private:
    bool Refill() {
        if (ended_) return false;
        piece_ = source_.NextPiece();
        pos_ = 0;
        ended_ = piece_.empty();
        return !ended_;
    }

    static bool Outside(bool negative, std::int64_t magnitude, const Accepted& accepted) {
        const std::int64_t value = negative ? -magnitude : magnitude;
        return negative ? value < accepted.lowest : value > accepted.highest;
    }

    ByteSource& source_;
    std::string_view piece_;
    std::size_t pos_ = 0;
    bool ended_ = false;
    std::int64_t line_ = 1;
    std::int64_t tokenLine_ = 1;
};

LoadError Refusal(LoadError::Kind kind, std::int64_t line) {
    LoadError error;
    error.kind = kind;
    error.line = line;
    return error;
}

// Which number is read: a count, or a field of operation k.
struct NumberAt {
    LoadError::Number number;
    Operation op = 0;
    std::int32_t machineCount = 0;
};

// Reads one number where `at` says, and the line it stands on; a missing or
// bad token is refused.
std::optional<LoadError> ReadNumber(TokenReader& reader, const NumberAt& at, std::int32_t& value,
                                    std::int64_t& line, Accepted accepted = {}) {
    NumberToken token = reader.NextNumber(accepted);
    line = token.line;
    if (token.kind == NumberToken::Kind::kNumber) {
        value = token.value;
        return std::nullopt;
    }
    LoadError error =
        Refusal(token.kind == NumberToken::Kind::kMissing ? LoadError::Kind::kMissingNumber
                                                          : LoadError::Kind::kBadNumber,
                token.line);
    error.number = at.number;
    error.op = at.op;
    if (at.op > 0) error.job = (at.op - 1) / at.machineCount + 1;
    error.token = std::move(token.head);
    return error;
}

// The name ends at whitespace or at a NUL byte; a NUL left behind then starts
// the next token, which cannot be a number. A name that cannot become a file
// name in the working folder is refused as soon as that shows.
std::optional<LoadError> ReadName(TokenReader& reader, Model& model) {
    std::string name;
    reader.SkipSpace();
    reader.StartToken();
    const std::int64_t line = reader.line();
    char c;
    while (reader.Peek(c) && !IsSpace(c) && c != '\0') {
        if (IsPathSeparator(c)) return Refusal(LoadError::Kind::kNameHasSeparator, line);
        if (name.size() == kMaxInstanceNameLength) {
            return Refusal(LoadError::Kind::kNameTooLong, line);
        }
        name += c;
        reader.Take();
    }
    // An empty name with text left means a NUL byte stands where the name
    // should start; the next number read refuses that token.
    if (name.empty() && reader.AtEnd()) return Refusal(LoadError::Kind::kEmpty, 0);
    model.InstanceName = std::move(name);
    model.TraceFileName = model.InstanceName + std::string(kSuffix);
    return std::nullopt;
}

std::optional<LoadError> ReadSizes(TokenReader& reader, Model& model) {
    const Accepted count{0, INT32_MAX};
    std::int64_t line = 0;
    if (auto e = ReadNumber(reader, {LoadError::Number::kJobs}, model.JobCount, line, count)) {
        return e;
    }
    // A negative count is refused whatever follows; a pipe kept open need
    // not deliver the next number first.
    if (model.JobCount < 0 && reader.WouldWaitForToken()) {
        return Refusal(LoadError::Kind::kNegativeSize, line);
    }
    if (auto e =
            ReadNumber(reader, {LoadError::Number::kMachines}, model.MachineCount, line, count)) {
        return e;
    }
    if (model.JobCount < 0 || model.MachineCount < 0) {
        return Refusal(LoadError::Kind::kNegativeSize, line);
    }
    const std::int64_t opCount = std::int64_t{model.JobCount} * model.MachineCount;
    if (opCount > kMaxOpCount) return Refusal(LoadError::Kind::kTooLarge, line);
    model.OpCount = static_cast<std::int32_t>(opCount);
    return std::nullopt;
}

// Reads the machine/time pairs job by job. The tables grow with what the file
// really holds, so a file that claims a huge instance and then ends early is
// reported as such instead of reserving memory for the claim.
std::optional<LoadError> ReadOperations(TokenReader& reader, std::uint64_t knownSize,
                                        Model& model) {
    const std::uint64_t entries = static_cast<std::uint64_t>(model.OpCount) + 2;
    // Each pair takes at least four bytes ("1 1 "), so this bounds the table
    // sizes an input of known length can reach.
    const auto reachable = static_cast<std::size_t>(std::min(entries, knownSize / 4 + 2));
    model.M.reserve(reachable);
    model.p.reserve(reachable);
    model.M.assign(1, 0);
    model.p.assign(1, 0);
    const std::int32_t machines = model.MachineCount;
    for (Operation k = 1; k <= model.OpCount; ++k) {
        std::int32_t machine = 0;
        std::int32_t time = 0;
        std::int64_t line = 0;
        if (auto e = ReadNumber(reader, {LoadError::Number::kMachine, k, machines}, machine, line,
                                {1, machines})) {
            return e;
        }
        if (machine < 1 || machine > machines) {
            LoadError error = Refusal(LoadError::Kind::kMachineOutOfRange, line);
            error.number = LoadError::Number::kMachine;
            error.op = k;
            error.job = (k - 1) / machines + 1;
            error.value = machine;
            error.machineCount = machines;
            return error;
        }
        if (auto e = ReadNumber(reader, {LoadError::Number::kTime, k, machines}, time, line)) {
            return e;
        }
        model.M.push_back(machine);
        model.p.push_back(time);
    }
    model.M.push_back(0);
    model.p.push_back(0);
    return std::nullopt;
}

}  // namespace

void LinkJobs(Model& model) {
    const std::size_t entries = static_cast<std::size_t>(model.OpCount) + 2;
    for (auto* table : {&model.NO, &model.PO, &model.NM, &model.PM, &model.InsertionOrder}) {
        table->assign(entries, 0);
    }
    for (Operation k = 1; k <= model.OpCount; ++k) {
        model.InsertionOrder[k] = k;
        model.NO[k] = k % model.MachineCount != 0 ? k + 1 : 0;
        model.PO[k] = (k - 1) % model.MachineCount != 0 ? k - 1 : 0;
    }
}

// Reading stops after the last pair: whatever follows is never asked for.
std::optional<LoadError> LoadInstanceFrom(ByteSource& source, Model& model) {
    model = Model();
    TokenReader reader(source);
    if (auto e = ReadName(reader, model)) return e;
    if (auto e = ReadSizes(reader, model)) return e;
    if (auto e = ReadOperations(reader, source.KnownSize(), model)) return e;
    LinkJobs(model);
    return std::nullopt;
}

std::optional<LoadError> LoadInstance(std::string_view text, Model& model) {
    TextSource source(text);
    return LoadInstanceFrom(source, model);
}

}  // namespace jobshop
