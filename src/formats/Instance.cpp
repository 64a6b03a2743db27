#include "formats/Instance.h"

namespace jobshop {

std::optional<std::string> NameProblem(std::string_view name) {
    if (name.empty()) return "the instance name is empty";
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsPathSeparator(c)) return "the instance name contains / or \\";
        if (byte <= 0x20 || byte == 0x7f) {
            return "the instance name contains whitespace or a control character";
        }
    }
    if (name.size() > kMaxInstanceNameLength) {
        return "the instance name is longer than " + std::to_string(kMaxInstanceNameLength) +
               " bytes";
    }
    return std::nullopt;
}

}  // namespace jobshop
