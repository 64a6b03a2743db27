#include "driver/Loader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <string>
#include <utility>

#include "model/Printable.h"

namespace jobshop {
namespace {

constexpr std::string_view kSuffix = "_krok_po_kroku.txt";
static_assert(kMaxInstanceNameLength + kSuffix.size() == 255);

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The bytes of input.txt, handed out piece by piece as the tokens need them.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // The next bytes; empty at the end of the input (or after a read error).
    virtual std::string_view NextPiece() = 0;
    // The size of the whole input when known in advance, else 0.
    virtual std::uint64_t KnownSize() const = 0;
};

class TextSource final : public ByteSource {
  public:
    explicit TextSource(std::string_view text) : text_(text), size_(text.size()) {}
    std::string_view NextPiece() override { return std::exchange(text_, {}); }
    std::uint64_t KnownSize() const override { return size_; }

  private:
    std::string_view text_;  // what has not been handed out yet
    std::uint64_t size_;
};

// An open file, read a buffer at a time. Each read returns what is there, so
// a pipe hands over its bytes as they come, without waiting for its end.
class FileSource final : public ByteSource {
  public:
    explicit FileSource(int fd) : fd_(fd) {
        struct stat info {};
        if (::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode)) {
            size_ = static_cast<std::uint64_t>(info.st_size);
        }
    }
    ~FileSource() override { ::close(fd_); }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::string_view NextPiece() override {
        for (;;) {
            const ssize_t got = ::read(fd_, buffer_.data(), buffer_.size());
            if (got >= 0) return {buffer_.data(), static_cast<std::size_t>(got)};
            if (errno != EINTR) {
                failed_ = true;  // a folder named input.txt ends here
                return {};
            }
        }
    }
    std::uint64_t KnownSize() const override { return size_; }
    bool failed() const { return failed_; }

  private:
    int fd_;
    std::uint64_t size_ = 0;
    bool failed_ = false;
    std::array<char, 64 * 1024> buffer_;
};

// A number token as read: of a token that is not a 32-bit integer, only the
// first bytes a message shows.
struct NumberToken {
    enum class Kind { kNumber, kMissing, kBad } kind;
    std::int32_t value = 0;
    std::string shown;  // the bad token as a message shows it
};

// Splits the input into whitespace-separated tokens, the way formatted
// stream input reads them, taking one byte at a time from the source and
// asking it for more only when a token needs more.
class TokenReader {
  public:
    explicit TokenReader(ByteSource& source) : source_(source) {}

    // The next byte, not taken yet; false at the end of the input.
    bool Peek(char& c) {
        if (pos_ == piece_.size()) {
            if (ended_) return false;
            piece_ = source_.NextPiece();
            pos_ = 0;
            if (piece_.empty()) {
                ended_ = true;
                return false;
            }
        }
        c = piece_[pos_];
        return true;
    }
    void Take() { ++pos_; }

    void SkipSpace() {
        char c;
        while (Peek(c) && IsSpace(c)) Take();
    }

    bool AtEnd() {
        SkipSpace();
        char c;
        return !Peek(c);
    }

    // An optional sign and decimal digits, nothing else, within 32 bits,
    // judged digit by digit: a number of any length (leading zeros and all)
    // needs no room, and a bad token is read only as far as its message
    // shows it.
    NumberToken NextNumber() {
        if (AtEnd()) return {NumberToken::Kind::kMissing, 0, {}};
        std::string head;  // the first bytes of the token, one past what a message shows
        bool negative = false;
        bool valid = true;
        bool digits = false;
        std::int64_t magnitude = 0;
        char c;
        while (Peek(c) && !IsSpace(c)) {
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
        if (!valid || !digits) return {NumberToken::Kind::kBad, 0, Printable(head)};
        return {NumberToken::Kind::kNumber,
                static_cast<std::int32_t>(negative ? -magnitude : magnitude),
                {}};
    }

  private:
    ByteSource& source_;
    std::string_view piece_;
    std::size_t pos_ = 0;
    bool ended_ = false;
};

Status InputError(const std::string& detail) {
    return Status::Failure("\nBlad w pliku input.txt: " + detail + ".\n");
}

Status CannotRead() {
    return Status::Failure("\nBlad: nie mozna otworzyc pliku input.txt.\n");
}

// Reads one number; what() names it in a message ("liczba zadan", ...).
template <class What>
Status ReadNumber(TokenReader& reader, What what, std::int32_t& value) {
    const NumberToken token = reader.NextNumber();
    switch (token.kind) {
        case NumberToken::Kind::kMissing:
            return InputError("brak liczby: " + what());
        case NumberToken::Kind::kBad:
            return InputError("niepoprawna liczba \"" + token.shown + "\": " + what());
        case NumberToken::Kind::kNumber:
            break;
    }
    value = token.value;
    return Status::Ok();
}

std::string OperationLabel(const char* field, Operation k, std::int32_t machineCount) {
    const std::int32_t job = (k - 1) / machineCount + 1;
    return std::string(field) + " operacji " + std::to_string(k) + " (zadanie " +
           std::to_string(job) + ")";
}

// The name ends at whitespace or at a NUL byte; a NUL left behind then starts
// the next token, which cannot be a number. A name that cannot become a file
// name in the working folder is rejected as soon as that shows.
Status ReadName(TokenReader& reader, Model& model) {
    std::string name;
    reader.SkipSpace();
    char c;
    while (reader.Peek(c) && !IsSpace(c) && c != '\0') {
        // The trace file is written in the working folder and nowhere else.
        if (c == '/' || c == '\\') {
            return InputError("nazwa instancji nie moze zawierac znakow / ani \\");
        }
        if (name.size() == kMaxInstanceNameLength) {
            return InputError("nazwa instancji jest zbyt dluga");
        }
        name += c;
        reader.Take();
    }
    // An empty name with text left means a NUL byte stands where the name
    // should start; the next number read rejects that token.
    if (name.empty() && reader.AtEnd()) {
        return Status::Failure("\nBlad: plik input.txt jest pusty.\n");
    }
    model.InstanceName = std::move(name);
    model.TraceFileName = model.InstanceName + std::string(kSuffix);
    return Status::Ok();
}

// A fixed name of a number, for ReadNumber.
auto Named(const char* what) {
    return [what] { return std::string(what); };
}

Status ReadSizes(TokenReader& reader, Model& model) {
    if (Status s = ReadNumber(reader, Named("liczba zadan"), model.JobCount); !s.ok()) return s;
    if (Status s = ReadNumber(reader, Named("liczba maszyn"), model.MachineCount); !s.ok()) {
        return s;
    }
    if (model.JobCount < 0 || model.MachineCount < 0) {
        return InputError("liczba zadan i liczba maszyn nie moga byc ujemne");
    }
    const std::int64_t opCount = std::int64_t{model.JobCount} * model.MachineCount;
    if (opCount > kMaxOpCount) return InputError("instancja jest zbyt duza");
    model.OpCount = static_cast<std::int32_t>(opCount);
    return Status::Ok();
}

// Reads the machine/time pairs job by job. The tables grow with what the file
// really holds, so a file that claims a huge instance and then ends early is
// reported as such instead of reserving memory for the claim.
Status ReadOperations(TokenReader& reader, std::uint64_t knownSize, Model& model) {
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
        auto machineLabel = [&] { return OperationLabel("maszyna", k, machines); };
        if (Status s = ReadNumber(reader, machineLabel, machine); !s.ok()) return s;
        if (machine < 1 || machine > machines) {
            return InputError("maszyna " + std::to_string(machine) + " spoza zakresu 1.." +
                              std::to_string(machines) + ": " + machineLabel());
        }
        auto timeLabel = [&] { return OperationLabel("czas", k, machines); };
        if (Status s = ReadNumber(reader, timeLabel, time); !s.ok()) return s;
        model.M.push_back(machine);
        model.p.push_back(time);
    }
    model.M.push_back(0);
    model.p.push_back(0);
    return Status::Ok();
}

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
Status Load(ByteSource& source, Model& model) {
    model = Model();
    TokenReader reader(source);
    if (Status s = ReadName(reader, model); !s.ok()) return s;
    if (Status s = ReadSizes(reader, model); !s.ok()) return s;
    if (Status s = ReadOperations(reader, source.KnownSize(), model); !s.ok()) return s;
    LinkJobs(model);
    return Status::Ok();
}

}  // namespace

Status LoadInstance(std::string_view content, Model& model) {
    TextSource source(content);
    return Load(source, model);
}

Status LoadInstanceFile(const std::filesystem::path& path, Model& model) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return CannotRead();
    FileSource source(fd);
    Status status = Load(source, model);
    // A read that failed midway may have cut a token short: nothing read is
    // trusted then.
    if (source.failed()) return CannotRead();
    return status;
}

}  // namespace jobshop
