#include "driver/Command.h"

#include <CLI/CLI.hpp>
#include <cstring>
#include <iostream>
#include <vector>

#include "driver/Console.h"
#include "model/Printable.h"
#include "report/TraceOutput.h"

namespace jobshop {
namespace {

class SynopsisFormatter : public CLI::Formatter {
  public:
    explicit SynopsisFormatter(std::string_view synopsis) : synopsis_(synopsis) {}
    std::string make_usage(const CLI::App*, std::string) const override {
        return "Usage: " + synopsis_ + "\n";
    }

  private:
    std::string synopsis_;
};

// A usage error in a Polish program's words.
std::string PolishUsageError(const CLI::ParseError& e) {
    if (e.get_name() == "ArgumentMismatch") {
        return "opcja wymaga jednej nazwy pliku i moze wystapic tylko raz";
    }
    if (e.get_name() == "ExtrasError") return "nieznany argument";
    return "niepoprawne argumenty";
}

// An output's name as a message shows it: whole up to the longest path, control bytes escaped.
std::string Shown(std::string_view path) {
    constexpr std::size_t kLongestPath = 4096;
    return Printable(path, kLongestPath);
}

}  // namespace

Command::Command(Voice voice, std::ostream& out, std::ostream& err)
    : voice_(voice), out_(out), err_(err) {}

std::optional<int> Command::Parse(CLI::App& app, std::span<const std::string> args) {
    if (voice_.polish) {
        app.set_help_flag("-h,--help");
    } else {
        app.formatter(std::make_shared<SynopsisFormatter>(voice_.usage));
    }
    // CLI11 takes the words last first.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        const int status = Print(voice_.polish ? std::string(voice_.usage) : app.help());
        return status;
    } catch (const CLI::ParseError& e) {
        return UsageError(voice_.polish ? PolishUsageError(e) : std::string(e.what()));
    }
    return std::nullopt;
}

int Command::UsageError(std::string_view what) {
    if (voice_.polish) {
        err_ << "Blad: " << what << ".\n\n" << voice_.usage;
    } else {
        err_ << voice_.name << ": " << what << "\nUsage: " << voice_.usage << "\n";
    }
    err_.flush();
    return kExitUsage;
}

int Command::Fail(std::string_view what) {
    if (voice_.polish) {
        err_ << what;
    } else {
        err_ << voice_.name << ": " << what << "\n";
    }
    err_.flush();
    return kExitFailure;
}

int Command::Fail(const OutputError& error) {
    if (error.kind == OutputError::Kind::kStandardOutput) {
        return Fail(voice_.polish ? "\nBlad: nie mozna pisac na standardowe wyjscie.\n"
                                  : "cannot write to standard output");
    }
    if (voice_.polish) {
        if (error.kind == OutputError::Kind::kNameTooLong) {
            return Fail("\nBlad: nazwa pliku " + Shown(error.path) + " jest zbyt dluga.\n");
        }
        return Fail(TraceWriteFailure(error.path).message());
    }
    if (error.kind == OutputError::Kind::kNameTooLong) {
        return Fail(Shown(error.path) + ": the file name is too long for the file system");
    }
    return Fail(Shown(error.path) + ": cannot write: " + std::strerror(error.error));
}

int Command::Print(std::string_view text, std::string_view failure) {
    out_ << text;
    out_.flush();
    if (out_) return kExitOk;
    return failure.empty() ? Fail(OutputError{OutputError::Kind::kStandardOutput, {}, 0})
                           : Fail(failure);
}

int Command::Write(std::span<const OutputFile> outputs) {
    const std::optional<OutputError> failed = WriteOutputs(outputs, out_, voice_.name);
    return failed ? Fail(*failed) : kExitOk;
}

int Command::Write(std::span<const std::string> paths, const OutputContent& content) {
    FileMoves system;
    const std::optional<OutputError> failed =
        WriteOutputs(paths, content, out_, voice_.name, system);
    return failed ? Fail(*failed) : kExitOk;
}

int RunMain(int argc, char** argv, const CommandMain& command) {
    PrepareProcess();
    RemoveTemporaryFilesOnSignals();
    const std::vector<std::string> args(argv + 1, argv + argc);
    return command(args, std::cout, std::cerr);
}

}  // namespace jobshop
