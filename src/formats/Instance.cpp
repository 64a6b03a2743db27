#include "formats/Instance.h"

namespace jobshop {

std::optional<FormatError::Kind> NameError(std::string_view name) {
    using Kind = FormatError::Kind;
    if (name.empty()) return Kind::kNameEmpty;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsPathSeparator(c)) return Kind::kNameSeparator;
        if (byte <= 0x20 || byte == 0x7f) return Kind::kNameSpace;
    }
    if (name.size() > kMaxInstanceNameLength) return Kind::kNameTooLong;
    return std::nullopt;
}

std::optional<std::string> NameProblem(std::string_view name) {
    const std::optional<FormatError::Kind> kind = NameError(name);
    if (!kind) return std::nullopt;
    return FormatProblem(FormatError{*kind, 0, {}, {}}, Language::kEnglish);
}

}  // namespace jobshop
