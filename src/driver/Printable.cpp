#include "driver/Printable.h"

namespace jobshop {

std::string Printable(std::string_view token) {
    constexpr std::size_t kShown = 40;
    static constexpr char kHex[] = "0123456789abcdef";
    std::string shown;
    for (const char c : token.substr(0, kShown)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            shown += "\\x";
            shown += kHex[byte >> 4];
            shown += kHex[byte & 15];
        } else {
            shown += c;
        }
    }
    if (token.size() > kShown) shown += "...";
    return shown;
}

}  // namespace jobshop
