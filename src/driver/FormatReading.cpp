#include "driver/FormatReading.h"

#include <variant>

#include "formats/InstanceWriter.h"

namespace jobshop {
namespace {

FormatReading Refused(FormatReading reading, const FormatError& error, std::string_view file) {
    reading.outcome = FormatReading::Outcome::kRefused;
    reading.line = error.line;
    reading.english = FormatMessage(error, file, Language::kEnglish);
    reading.polish = FormatMessage(error, file, Language::kPolish);
    return reading;
}

}  // namespace

FormatReading ReadFormat(std::string_view text, std::string_view file, std::optional<Format> from,
                         std::size_t index, std::string_view name) {
    FormatReading reading;
    const SourceText source{std::string(file), WithoutByteOrderMark(text)};
    if (!from) {
        const std::variant<Format, FormatError> chosen = ChooseFormat(DetectFormat(source));
        const FormatError* error = std::get_if<FormatError>(&chosen);
        if (error != nullptr && error->kind == FormatError::Kind::kReadsAlike) {
            return Refused(reading, *error, file);
        }
        from = error != nullptr ? Format::kProgram : std::get<Format>(chosen);
    }
    reading.format = *from;
    if (*from == Format::kProgram) return reading;

    std::vector<InstanceBlock> blocks = FindInstances(*from, source);
    NameUnnamed(blocks, file);
    for (const InstanceBlock& block : blocks) reading.names.push_back(block.name);
    reading.index = index < blocks.size() ? index : 0;
    const InstanceBlock& block = blocks[reading.index];
    reading.introduced = *from == Format::kStandard && block.begin > 0;
    Instance instance;
    if (auto refused = ReadInstance(*from, source, block, instance)) {
        return Refused(reading, *refused, file);
    }
    instance.InstanceName = name.empty() ? block.name : std::string(name);
    if (auto refused = NameRefused(instance.InstanceName)) return Refused(reading, *refused, file);
    reading.outcome = FormatReading::Outcome::kConverted;
    reading.programText = ProgramText(instance);
    return reading;
}

}  // namespace jobshop
