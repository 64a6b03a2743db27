#include "driver/LoadMessages.h"

#include <cstring>

#include "formats/Instance.h"
#include "model/Printable.h"

namespace jobshop {
namespace {

// A file name shown whole, up to the longest path a system takes, with
// control bytes escaped.
std::string Shown(std::string_view file) {
    constexpr std::size_t kLongestPath = 4096;
    return Printable(file, kLongestPath);
}

std::string PolishNumber(const LoadError& e) {
    using Number = LoadError::Number;
    switch (e.number) {
        case Number::kJobs:
            return "liczba zadan";
        case Number::kMachines:
            return "liczba maszyn";
        case Number::kMachine:
        case Number::kTime:
            break;
    }
    return std::string(e.number == Number::kMachine ? "maszyna" : "czas") + " operacji " +
           std::to_string(e.op) + " (zadanie " + std::to_string(e.job) + ")";
}

std::string EnglishNumber(const LoadError& e) {
    using Number = LoadError::Number;
    switch (e.number) {
        case Number::kJobs:
            return "the number of jobs";
        case Number::kMachines:
            return "the number of machines";
        case Number::kMachine:
        case Number::kTime:
            break;
    }
    return std::string(e.number == Number::kMachine ? "the machine" : "the time") +
           " of operation " + std::to_string(e.op) + " (job " + std::to_string(e.job) + ")";
}

std::string PolishDetail(const LoadError& e) {
    using Kind = LoadError::Kind;
    switch (e.kind) {
        case Kind::kCannotOpen:
        case Kind::kEmpty:
            break;
        case Kind::kMissingNumber:
            return "brak liczby: " + PolishNumber(e);
        case Kind::kBadNumber:
            return "niepoprawna liczba \"" + Printable(e.token) + "\": " + PolishNumber(e);
        case Kind::kNegativeSize:
            return "liczba zadan i liczba maszyn nie moga byc ujemne";
        case Kind::kMachineOutOfRange:
            return "maszyna " + std::to_string(e.value) + " spoza zakresu 1.." +
                   std::to_string(e.machineCount) + ": " + PolishNumber(e);
        case Kind::kTooLarge:
            return "instancja jest zbyt duza";
        case Kind::kNameHasSeparator:
            return "nazwa instancji nie moze zawierac znakow / ani \\";
        case Kind::kNameTooLong:
            return "nazwa instancji jest zbyt dluga";
    }
    return {};
}

std::string EnglishDetail(const LoadError& e) {
    using Kind = LoadError::Kind;
    switch (e.kind) {
        case Kind::kCannotOpen:
            return "cannot read the file";
        case Kind::kEmpty:
            return "the file is empty";
        case Kind::kMissingNumber:
            return "the file ends before " + EnglishNumber(e);
        case Kind::kBadNumber:
            return EnglishNumber(e) + " \"" + Printable(e.token) + "\" is not a 32-bit integer";
        case Kind::kNegativeSize:
            return "the numbers of jobs and machines cannot be negative";
        case Kind::kMachineOutOfRange:
            return "machine " + std::to_string(e.value) + " is out of range 1.." +
                   std::to_string(e.machineCount) + " (" + EnglishNumber(e) + ")";
        case Kind::kTooLarge:
            return "the instance has more operations than the program can hold";
        case Kind::kNameHasSeparator:
            return "the instance name contains / or \\";
        case Kind::kNameTooLong:
            return "the instance name is longer than " + std::to_string(kMaxInstanceNameLength) +
                   " bytes";
    }
    return {};
}

}  // namespace

std::string ProgramLoadMessage(const LoadError& error, std::string_view file) {
    switch (error.kind) {
        case LoadError::Kind::kCannotOpen:
            return "\nBlad: nie mozna otworzyc pliku " + Shown(file) + ".\n";
        case LoadError::Kind::kEmpty:
            return "\nBlad: plik " + Shown(file) + " jest pusty.\n";
        default:
            return "\nBlad w pliku " + Shown(file) + ": " + PolishDetail(error) + ".\n";
    }
}

std::string ToolTextFileMessage(const TextFileError& error, std::string_view file,
                                const TextLimits& limits) {
    switch (error.kind) {
        case TextFileError::Kind::kCannotOpen:
            return Shown(file) + ": cannot read the file (" + std::strerror(error.error) + ")";
        case TextFileError::Kind::kNotText: {
            static constexpr char kHex[] = "0123456789abcdef";
            return Shown(file) + ":" + std::to_string(error.line) +
                   ": not a text file (it holds the byte 0x" + kHex[error.byte >> 4] +
                   kHex[error.byte & 15] + ")";
        }
        case TextFileError::Kind::kTooLarge:
            return Shown(file) + ": larger than " + std::to_string(limits.maxBytes >> 20) +
                   " MiB, more than any instance file holds";
        case TextFileError::Kind::kIdle:
            return Shown(file) + ": nothing more came for " +
                   std::to_string(limits.idleMilliseconds / 1000) +
                   " s, and the file did not end (a pipe kept open?)";
    }
    return {};
}

std::string ToolLoadMessage(const LoadError& error, std::string_view file) {
    const std::string where =
        error.line > 0 ? Shown(file) + ":" + std::to_string(error.line) : Shown(file);
    return where + ": " + EnglishDetail(error);
}

}  // namespace jobshop
