#include "driver/ConvertCommand.h"

#include <CLI/CLI.hpp>
#include <optional>
#include <ostream>
#include <variant>
#include <vector>

#include "driver/Command.h"
#include "driver/LoadMessages.h"
#include "formats/Formats.h"
#include "formats/InputFile.h"
#include "formats/InstanceWriter.h"
#include "formats/Loader.h"
#include "formats/ProgramFormat.h"

namespace jobshop {
namespace {

constexpr Voice kVoice{"jobshop-convert", kConvertSynopsis};

struct ConvertOptions {
    std::string file;
    std::string from;  // empty: detected
    std::string instance;
    std::int32_t index = 0;  // 0: not given
    std::string name;
    std::string to = "program";
    std::string output;
    CLI::Option* instanceGiven = nullptr;
    CLI::Option* outputGiven = nullptr;
};

void DefineOptions(CLI::App& app, ConvertOptions& options) {
    const std::vector<std::string> formats(kFormatNames.begin(), kFormatNames.end());
    app.add_option("--from", options.from, "Format of FILE (default: detected)")
        ->check(CLI::IsMember(formats));
    options.instanceGiven =
        app.add_option("--instance", options.instance, "Instance to convert, by its name");
    app.add_option("--index", options.index, "Instance to convert, by position (1: the first)")
        ->check(CLI::Range(1, INT32_MAX))
        ->excludes(options.instanceGiven);
    const CLI::Validator validName(
        [](const std::string& name) { return NameProblem(name).value_or(""); }, "NAME");
    app.add_option("--name", options.name, "Name to write (default: the file's own)")
        ->check(validName);
    app.add_option("--to", options.to, "Format to write: program (default) or standard")
        ->check(CLI::IsMember({"program", "standard"}));
    options.outputGiven = app.add_option("-o,--output", options.output,
                                         "File to write, - for standard output (the default)");
    app.add_option("FILE", options.file, "Instance file to read")->required();
}

std::string NameList(const std::vector<InstanceBlock>& blocks) {
    constexpr std::size_t kListed = 10;
    std::string list;
    for (std::size_t k = 0; k < blocks.size() && k < kListed; ++k) {
        list += (k == 0 ? "" : ", ") + blocks[k].name;
    }
    return blocks.size() > kListed ? list + ", ..." : list;
}

// The block --instance or --index asks for, the first by default; nothing
// (after a message) when the file has no such instance, or more than one of
// that name.
std::optional<std::size_t> ChooseInstance(const std::vector<InstanceBlock>& blocks,
                                          const ConvertOptions& options, Command& command) {
    const std::string holds = options.file + " holds " + std::to_string(blocks.size()) +
                              (blocks.size() == 1 ? " instance" : " instances");
    if (options.index > 0) {
        if (static_cast<std::size_t>(options.index) <= blocks.size()) return options.index - 1;
        command.Fail(holds + "; there is no instance " + std::to_string(options.index));
        return std::nullopt;
    }
    if (options.instanceGiven->count() > 0) {
        std::vector<std::size_t> named;
        for (std::size_t k = 0; k < blocks.size(); ++k) {
            if (blocks[k].name == options.instance) named.push_back(k);
        }
        if (named.size() == 1) return named.front();
        if (named.empty()) {
            command.Fail(options.file + ": no instance named " + Quoted(options.instance) +
                         " (the file holds " + NameList(blocks) + ")");
        } else {
            std::string positions;
            for (const std::size_t k : named) {
                positions += (positions.empty() ? "" : ", ") + std::to_string(k + 1);
            }
            command.Fail(options.file + " holds " + std::to_string(named.size()) +
                         " instances named " + Quoted(options.instance) + " (at " + positions +
                         "); choose one with --index");
        }
        return std::nullopt;
    }
    if (blocks.size() > 1) {
        command.err() << kVoice.name << ": " << holds << "; converting the first, "
                      << blocks[0].name << " (choose with --instance or --index)\n";
    }
    return 0;
}

// The format --from names, or the one the file is in (ChooseFormat), which
// is then reported; nothing, after a message, when the file's content does
// not tell.
std::optional<Format> ChooseFormat(const ConvertOptions& options, const SourceText& source,
                                   Command& command) {
    if (std::optional<Format> named = FormatNamed(options.from)) return named;
    const std::variant<Format, FormatError> chosen = ChooseFormat(DetectFormat(source));
    if (const FormatError* error = std::get_if<FormatError>(&chosen)) {
        command.Fail(FormatMessage(*error, options.file, Language::kEnglish));
        return std::nullopt;
    }
    const Format format = std::get<Format>(chosen);
    command.err() << kVoice.name << ": detected format: " << FormatName(format) << "\n";
    return format;
}

// The chosen instance of the file in `format`; 0, or 1 after a message.
int ReadChosen(Format format, const ConvertOptions& options, const SourceText& source,
               Command& command, Instance& instance) {
    std::vector<InstanceBlock> blocks = FindInstances(format, source);
    NameUnnamed(blocks, options.file);
    const std::optional<std::size_t> chosen = ChooseInstance(blocks, options, command);
    if (!chosen) return kExitFailure;
    std::optional<FormatError> refused;
    if (format == Format::kProgram) {
        Model model;
        if (auto notLoaded = LoadInstance(source.text(), model)) {
            return command.Fail(ToolLoadMessage(*notLoaded, options.file));
        }
        refused = ProgramInstance(model, instance);
    } else {
        refused = ReadInstance(format, source, blocks[*chosen], instance);
    }
    if (refused) return command.Fail(FormatMessage(*refused, options.file, Language::kEnglish));
    instance.InstanceName = options.name.empty() ? blocks[*chosen].name : options.name;
    return kExitOk;
}

int Convert(const ConvertOptions& options, Command& command) {
    const std::string output =
        options.outputGiven->count() > 0 ? options.output : std::string(kStandardOutputName);
    if (output != kStandardOutputName && SameFile(output, options.file)) {
        return command.UsageError("the output " + output + " is the input file");
    }
    if (auto e = CheckOutputName(output)) return command.Fail(*e);
    std::string text;
    if (auto e = ReadTextFile(options.file, text)) {
        return command.Fail(ToolTextFileMessage(*e, options.file, TextLimits()));
    }
    const SourceText source(options.file, WithoutByteOrderMark(text));
    const std::optional<Format> format = ChooseFormat(options, source, command);
    if (!format) return kExitFailure;
    Instance instance;
    if (const int status = ReadChosen(*format, options, source, command, instance)) return status;
    if (auto refused = NameRefused(instance.InstanceName)) {
        return command.Fail(FormatMessage(*refused, options.file, Language::kEnglish));
    }
    const std::string converted =
        options.to == "standard" ? StandardText(instance) : ProgramText(instance);
    return command.Write(std::vector<OutputFile>{{output, {converted}}});
}

}  // namespace

int RunConvert(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    Command command(kVoice, out, err);
    CLI::App app("Converts one job-shop instance into the program's input format.",
                 std::string(kVoice.name));
    ConvertOptions options;
    DefineOptions(app, options);
    if (const std::optional<int> status = command.Parse(app, args)) return *status;
    return Convert(options, command);
}

}  // namespace jobshop
