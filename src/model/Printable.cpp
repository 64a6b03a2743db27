#include "model/Printable.h"

namespace jobshop {

std::string Printable(std::string_view text, std::size_t shown) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string printable;
    for (const char c : text.substr(0, shown)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            printable += "\\x";
            printable += kHex[byte >> 4];
            printable += kHex[byte & 15];
        } else {
            printable += c;
        }
    }
    if (text.size() > shown) printable += "...";
    return printable;
}

}  // namespace jobshop
