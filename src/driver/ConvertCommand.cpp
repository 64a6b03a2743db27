#include "driver/ConvertCommand.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <vector>

#include "driver/CommandSupport.h"
#include "formats/Formats.h"
#include "formats/InstanceWriter.h"

namespace jobshop {
namespace {

constexpr std::string_view kTool = "jobshop-convert";

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

int Fail(std::ostream& err, const std::string& message) {
    err << kTool << ": " << message << "\n";
    err.flush();
    return kExitBadInput;
}

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
    options.outputGiven =
        app.add_option("-o,--output", options.output, "File to write (default: standard output)");
    app.add_option("FILE", options.file, "Instance file to read")->required();
}

// Instances the file leaves unnamed take the file's base name, numbered
// when the file holds several.
void NameUnnamed(std::vector<InstanceBlock>& blocks, const std::string& file) {
    const std::string base = std::filesystem::path(file).stem().string();
    for (std::size_t k = 0; k < blocks.size(); ++k) {
        if (!blocks[k].name.empty()) continue;
        blocks[k].name = blocks.size() == 1 ? base : base + "_" + std::to_string(k + 1);
    }
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
// (after a message) when the file has no such instance.
std::optional<std::size_t> ChooseInstance(const std::vector<InstanceBlock>& blocks,
                                          const ConvertOptions& options, std::ostream& err) {
    const std::string holds = options.file + " holds " + std::to_string(blocks.size()) +
                              (blocks.size() == 1 ? " instance" : " instances");
    if (options.index > 0) {
        if (static_cast<std::size_t>(options.index) <= blocks.size()) return options.index - 1;
        Fail(err, holds + "; there is no instance " + std::to_string(options.index));
        return std::nullopt;
    }
    if (options.instanceGiven->count() > 0) {
        for (std::size_t k = 0; k < blocks.size(); ++k) {
            if (blocks[k].name == options.instance) return k;
        }
        Fail(err, options.file + ": no instance named " + Quoted(options.instance) +
                      " (the file holds " + NameList(blocks) + ")");
        return std::nullopt;
    }
    if (blocks.size() > 1) {
        err << kTool << ": " << holds << "; converting the first, " << blocks[0].name
            << " (choose with --instance or --index)\n";
    }
    return 0;
}

int Convert(const ConvertOptions& options, std::ostream& out, std::ostream& err) {
    const std::optional<std::string> text = ReadInputFile(options.file);
    if (!text) return Fail(err, options.file + ": cannot read the file");
    const SourceText source = SplitSource(options.file, *text);
    std::optional<Format> format = FormatNamed(options.from);
    if (!format) {
        format = DetectFormat(source);
        if (!format) {
            return Fail(err, options.file +
                                 ": cannot tell the format; name it with --from (standard, "
                                 "taillard, fjsp or program)");
        }
        err << kTool << ": detected format: " << FormatName(*format) << "\n";
    }
    std::vector<InstanceBlock> blocks = FindInstances(*format, source);
    NameUnnamed(blocks, options.file);
    const std::optional<std::size_t> chosen = ChooseInstance(blocks, options, err);
    if (!chosen) return kExitBadInput;

    Instance instance;
    if (Status s = ReadInstance(*format, source, blocks[*chosen], instance); !s.ok()) {
        return Fail(err, s.message());
    }
    instance.InstanceName = options.name.empty() ? blocks[*chosen].name : options.name;
    if (const std::optional<std::string> problem = NameProblem(instance.InstanceName)) {
        return Fail(err, options.file + ": " + *problem + " (" + Quoted(instance.InstanceName) +
                             "); give another with --name");
    }
    const std::string converted =
        options.to == "standard" ? StandardText(instance) : ProgramText(instance);
    if (options.outputGiven->count() > 0) {
        const Status written = WriteFileAtomically(options.output, converted);
        return written.ok() ? kExitOk : Fail(err, written.message());
    }
    return WriteAll(out, converted) ? kExitOk : Fail(err, std::string(kStdoutFailure));
}

}  // namespace

int RunConvert(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    CLI::App app("Converts one job-shop instance into the program's input format.",
                 std::string(kTool));
    ConvertOptions options;
    DefineOptions(app, options);
    if (const std::optional<int> status = ParseArguments(app, kConvertSynopsis, args, out, err)) {
        return *status;
    }
    return Convert(options, out, err);
}

}  // namespace jobshop
