#pragma once

#include <string>
#include <string_view>

namespace jobshop {

// A token as it appears in a message: control bytes escaped, and long tokens
// shortened so one bad token cannot flood the console.
std::string Printable(std::string_view token);

}  // namespace jobshop
