#include "driver/Loader.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>

#include "model/Printable.h"

namespace jobshop {
namespace {

constexpr std::string_view kSuffix = "_krok_po_kroku.txt";

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Splits the file into whitespace-separated tokens, the way formatted stream
// input reads them.
class TokenReader {
  public:
    explicit TokenReader(std::string_view text) : text_(text) {}

    // The instance name ends at whitespace or at a NUL byte; a NUL left behind
    // then starts the next token, which cannot be a number.
    std::string_view NextName() {
        SkipSpace();
        const std::size_t start = pos_;
        while (pos_ < text_.size() && !IsSpace(text_[pos_]) && text_[pos_] != '\0') ++pos_;
        return text_.substr(start, pos_ - start);
    }

    bool AtEnd() {
        SkipSpace();
        return pos_ == text_.size();
    }

    // An empty view means the file has ended.
    std::string_view NextToken() {
        SkipSpace();
        const std::size_t start = pos_;
        while (pos_ < text_.size() && !IsSpace(text_[pos_])) ++pos_;
        return text_.substr(start, pos_ - start);
    }

  private:
    void SkipSpace() {
        while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

// An optional sign and decimal digits, nothing else, within 32 bits.
std::optional<std::int32_t> ParseInt32(std::string_view token) {
    if (token.size() > 1 && token[0] == '+' && token[1] != '-') token.remove_prefix(1);
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
    if (error != std::errc() || end != token.data() + token.size()) return std::nullopt;
    return value;
}

Status InputError(const std::string& detail) {
    return Status::Failure("\nBlad w pliku input.txt: " + detail + ".\n");
}

// Reads one number; `what` names it in a message ("liczba zadan", ...).
Status ReadNumber(TokenReader& reader, const std::string& what, std::int32_t& value) {
    const std::string_view token = reader.NextToken();
    if (token.empty()) return InputError("brak liczby: " + what);
    const std::optional<std::int32_t> parsed = ParseInt32(token);
    if (!parsed) return InputError("niepoprawna liczba \"" + Printable(token) + "\": " + what);
    value = *parsed;
    return Status::Ok();
}

std::string OperationLabel(const char* field, Operation k, std::int32_t machineCount) {
    const std::int32_t job = (k - 1) / machineCount + 1;
    return std::string(field) + " operacji " + std::to_string(k) + " (zadanie " +
           std::to_string(job) + ")";
}

Status ReadName(TokenReader& reader, Model& model) {
    const std::string_view name = reader.NextName();
    // An empty name with text left means a NUL byte stands where the name
    // should start; the next number read rejects that token.
    if (name.empty() && reader.AtEnd())
        return Status::Failure("\nBlad: plik input.txt jest pusty.\n");
    // The trace file is written in the working folder and nowhere else.
    if (name.find_first_of("/\\") != std::string_view::npos) {
        return InputError("nazwa instancji nie moze zawierac znakow / ani \\");
    }
    model.InstanceName = name;
    model.TraceFileName = model.InstanceName + std::string(kSuffix);
    return Status::Ok();
}

Status ReadSizes(TokenReader& reader, Model& model) {
    if (Status s = ReadNumber(reader, "liczba zadan", model.JobCount); !s.ok()) return s;
    if (Status s = ReadNumber(reader, "liczba maszyn", model.MachineCount); !s.ok()) return s;
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
Status ReadOperations(TokenReader& reader, std::size_t contentSize, Model& model) {
    const std::size_t entries = static_cast<std::size_t>(model.OpCount) + 2;
    // Each pair takes at least four bytes ("1 1 "), so this bounds the table
    // sizes a file of this length can reach.
    const std::size_t reachable = std::min(entries, contentSize / 4 + 2);
    model.M.reserve(reachable);
    model.p.reserve(reachable);
    model.M.assign(1, 0);
    model.p.assign(1, 0);
    for (Operation k = 1; k <= model.OpCount; ++k) {
        std::int32_t machine = 0;
        std::int32_t time = 0;
        const std::string machineLabel = OperationLabel("maszyna", k, model.MachineCount);
        if (Status s = ReadNumber(reader, machineLabel, machine); !s.ok()) return s;
        if (machine < 1 || machine > model.MachineCount) {
            return InputError("maszyna " + std::to_string(machine) + " spoza zakresu 1.." +
                              std::to_string(model.MachineCount) + ": " + machineLabel);
        }
        const std::string timeLabel = OperationLabel("czas", k, model.MachineCount);
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

}  // namespace

Status LoadInstance(std::string_view content, Model& model) {
    model = Model();
    TokenReader reader(content);
    if (Status s = ReadName(reader, model); !s.ok()) return s;
    if (Status s = ReadSizes(reader, model); !s.ok()) return s;
    if (Status s = ReadOperations(reader, content.size(), model); !s.ok()) return s;
    LinkJobs(model);
    return Status::Ok();
}

}  // namespace jobshop
