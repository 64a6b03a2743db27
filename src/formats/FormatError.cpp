#include "formats/FormatError.h"

#include "formats/Instance.h"

namespace jobshop {
namespace {

using Kind = FormatError::Kind;

// Each form in both languages, side by side, so that neither can be added
// without the other. {0}, {1}... are the error's values; {list} all of
// them as a list; {cause} the words of the cause's form; {longest} the
// longest name; {file}, where a form has it, the file, which is then not
// put before the message. Polish messages quote the file's text as the
// English ones do: it is the file's, not a phrase of the sentence.
struct Words {
    std::string_view en;
    std::string_view pl;
};

Words WordsOf(Kind kind) {
    switch (kind) {
        case Kind::kSizesBelowOne:
            return {"the numbers of jobs and machines must be at least 1, found {0} and {1}",
                    "liczba zadań i liczba maszyn muszą wynosić co najmniej 1, a są to {0} i {1}"};
        case Kind::kTooManyOperations:
            return {"{0} jobs on {1} machines are more operations than the program holds",
                    "liczba zadań {0} i liczba maszyn {1} dają więcej operacji, niż program "
                    "mieści"};
        case Kind::kCountNotInteger:
            return {"the count {0} is not an integer",
                    "liczba zadań lub maszyn {0} nie jest liczbą całkowitą"};
        case Kind::kMachineNotInteger:
            return {"machine {0} of job {1}, operation {2} is not an integer",
                    "maszyna {0} (zadanie {1}, operacja {2}) nie jest liczbą całkowitą"};
        case Kind::kMachineOutOfRange:
            return {"machine {0} of job {1}, operation {2} is out of range {3}..{4}",
                    "maszyna {0} (zadanie {1}, operacja {2}) jest spoza zakresu {3}..{4}"};
        case Kind::kTimeNotInteger:
            return {"time {0} of job {1}, operation {2} is not an integer",
                    "czas {0} (zadanie {1}, operacja {2}) nie jest liczbą całkowitą"};
        case Kind::kTimeNegative:
            return {"time {0} of job {1}, operation {2} is negative",
                    "czas {0} (zadanie {1}, operacja {2}) jest ujemny"};
        case Kind::kOperationCount:
            return {"job {0} has {1} operations; the program needs exactly {2}, one per machine",
                    "zadanie {0} ma liczbę operacji {1}, a program potrzebuje dokładnie {2}, po "
                    "jednej na maszynę"};
        case Kind::kTruncatedJobs:
            return {"the instance ends after {0} of its {1} jobs (file truncated?)",
                    "instancja urywa się: zadań jest {0}, a ma być {1} (plik ucięty?)"};
        case Kind::kTruncatedRows:
            return {"the instance ends after {0} of its {1} rows of {2} (file truncated?)",
                    "instancja urywa się: wierszy sekcji {2} jest {0}, a ma być {1} (plik "
                    "ucięty?)"};
        case Kind::kNumbersAfterJobs:
            return {
                "numbers after the last of the {0} jobs (more jobs than the instance "
                "declares?)",
                "liczby za ostatnim zadaniem (liczba zadań: {0}; czy jest ich więcej, niż "
                "instancja zapowiada?)"};
        case Kind::kBadInstanceLine:
            return {"expected \"instance NAME\", one word after \"instance\", found {0}",
                    "oczekiwano \"instance NAZWA\", jednego słowa po \"instance\", jest {0}"};
        case Kind::kNoSizeLine:
            return {"the instance ends before its line of job and machine counts",
                    "instancja kończy się przed wierszem z liczbą zadań i liczbą maszyn"};
        case Kind::kNotSizeLine:
            return {"expected the number of jobs and the number of machines, found {0}",
                    "oczekiwano liczby zadań i liczby maszyn, jest {0}"};
        case Kind::kNotJobPairs:
            return {"expected the machine/time pairs of job {0}, found {1}",
                    "oczekiwano par maszyna/czas zadania {0}, jest {1}"};
        case Kind::kOddNumbers:
            return {"job {0} has {1} numbers, not machine/time pairs",
                    "zadanie {0}: liczb jest {1}, to nie są pary maszyna/czas"};
        case Kind::kFlowShopFile:
            return {
                "this is a Taillard flow-shop file, not a job-shop file (header \"Nb of "
                "jobs, Nb of Machines, ...\")",
                "to plik Taillarda problemu przepływowego (flow shop), a nie gniazdowego "
                "(job shop, nagłówek \"Nb of jobs, Nb of Machines, ...\")"};
        case Kind::kOpenShopFile:
            return {
                "this is a Taillard open-shop file, not a job-shop file (header \"Nb of "
                "jobs, Nb of Machines, ...\")",
                "to plik Taillarda problemu otwartego (open shop), a nie gniazdowego (job "
                "shop, nagłówek \"Nb of jobs, Nb of Machines, ...\")"};
        case Kind::kNoSection:
            return {"expected the line \"{0}\"", "oczekiwano wiersza \"{0}\""};
        case Kind::kNotSection:
            return {"expected the line \"{0}\", found {1}", "oczekiwano wiersza \"{0}\", jest {1}"};
        case Kind::kNotSectionRow:
            return {"expected row {0} of {1}, found {2}",
                    "oczekiwano wiersza {0} sekcji {1}, jest {2}"};
        case Kind::kNotTaillardHeader:
            return {"expected the header \"Nb of jobs, Nb of Machines, ...\", found {0}",
                    "oczekiwano nagłówka \"Nb of jobs, Nb of Machines, ...\", jest {0}"};
        case Kind::kEndsEarly:
            return {"the instance ends early", "instancja urywa się przedwcześnie"};
        case Kind::kNotTaillardSizes:
            return {"expected the numbers of jobs and machines (then seeds and bounds), found {0}",
                    "oczekiwano liczby zadań i liczby maszyn (a po nich ziaren i ograniczeń), "
                    "jest {0}"};
        case Kind::kNoInstance:
            return {"the file holds no instance", "plik nie zawiera instancji"};
        case Kind::kNotFjspSizes:
            return {
                "expected the numbers of jobs and machines (and the average number of "
                "machines per operation), found {0}",
                "oczekiwano liczby zadań i liczby maszyn (i średniej liczby maszyn na "
                "operację), jest {0}"};
        case Kind::kNotFjspJob:
            return {"expected the operations of job {0}, found {1}",
                    "oczekiwano operacji zadania {0}, jest {1}"};
        case Kind::kJobEndsBefore:
            return {"job {0} ends before its operation {1} of {2}",
                    "zadanie {0} kończy się przed swoją operacją {1} (operacji ma być {2})"};
        case Kind::kFlexibleOperation:
            return {
                "job {0}, operation {1} can run on {2} machines; only operations with "
                "exactly one machine form a job shop",
                "zadanie {0}, operacja {1}: maszyn do wyboru jest {2}; problem gniazdowy "
                "tworzą tylko operacje z dokładnie jedną maszyną"};
        case Kind::kJobEndsInside:
            return {"job {0} ends inside job {0}, operation {1}",
                    "zadanie {0} kończy się w środku operacji {1}"};
        case Kind::kNumbersAfterOps:
            return {"job {0} has numbers after its {1} operations",
                    "zadanie {0} ma liczby za swoimi operacjami (operacji ma być {1})"};
        case Kind::kProgramFormat:
            return {"the program's format is read by its loader",
                    "format programu wczytuje sam program"};
        case Kind::kNameEmpty:
            return {"the instance name is empty", "nazwa instancji jest pusta"};
        case Kind::kNameSeparator:
            return {"the instance name contains / or \\", "nazwa instancji zawiera / lub \\"};
        case Kind::kNameSpace:
            return {"the instance name contains whitespace or a control character",
                    "nazwa instancji zawiera biały znak lub znak sterujący"};
        case Kind::kNameTooLong:
            return {"the instance name is longer than {longest} bytes",
                    "nazwa instancji jest dłuższa niż {longest} bajtów"};
        case Kind::kNameRefused:
            return {"{cause} ({0}); give another with --name",
                    "{cause} ({0}); podaj inną w --name"};
        case Kind::kReadsAlike:
            return {"{file} reads as {list} alike; name its format with --from",
                    "{file} daje się odczytać jednakowo jako {list}; wskaż jego format w --from"};
        case Kind::kCannotTell:
            return {
                "cannot tell the format; name it with --from (standard, taillard, fjsp or "
                "program)",
                "nie da się rozpoznać formatu; wskaż go w --from (standard, taillard, fjsp "
                "lub program)"};
    }
    return {};
}

// "a", "a and b", "a, b and c"
std::string List(const std::vector<std::string>& items, Language language) {
    const std::string_view last = language == Language::kPolish ? " i " : " and ";
    std::string list;
    for (std::size_t k = 0; k < items.size(); ++k) {
        if (k > 0) list += k + 1 == items.size() ? last : ", ";
        list += items[k];
    }
    return list;
}

std::string Fill(const FormatError& error, std::string_view file, Language language) {
    const Words words = WordsOf(error.kind);
    const std::string_view form = language == Language::kPolish ? words.pl : words.en;
    std::string text;
    for (std::size_t pos = 0; pos < form.size();) {
        const std::size_t open = form.find('{', pos);
        const std::size_t close = open == std::string_view::npos ? open : form.find('}', open);
        if (close == std::string_view::npos) {
            text += form.substr(pos);
            break;
        }
        text += form.substr(pos, open - pos);
        const std::string_view name = form.substr(open + 1, close - open - 1);
        if (name == "file") {
            text += file;
        } else if (name == "list") {
            text += List(error.args, language);
        } else if (name == "cause") {
            text += Fill(FormatError{error.cause, 0, {}, {}}, file, language);
        } else if (name == "longest") {
            text += std::to_string(kMaxInstanceNameLength);
        } else {
            const std::size_t k = static_cast<std::size_t>(name.front() - '0');
            if (k < error.args.size()) text += error.args[k];
        }
        pos = close + 1;
    }
    return text;
}

bool NamesItsFile(Kind kind) {
    return WordsOf(kind).en.find("{file}") != std::string_view::npos;
}

}  // namespace

std::string FormatMessage(const FormatError& error, std::string_view file, Language language) {
    if (NamesItsFile(error.kind)) return Fill(error, file, language);
    std::string message(file);
    if (error.line > 0) {
        message += ':';
        message += std::to_string(error.line);
    }
    message += ": ";
    message += Fill(error, file, language);
    return message;
}

std::string FormatProblem(const FormatError& error, Language language) {
    return Fill(error, {}, language);
}

}  // namespace jobshop
