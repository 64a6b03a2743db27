# Writes a C++ source that defines `std::string_view <FUNCTION>()` returning
# the bytes of INPUT, as a byte array (no raw-string delimiter can clash with
# the file's content).
#   cmake -DINPUT=... -DOUTPUT=... -DFUNCTION=... -DHEADER=... -P EmbedFile.cmake
file(READ "${INPUT}" content HEX)
string(LENGTH "${content}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${content}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}"
"// Generated from ${INPUT} by cmake/EmbedFile.cmake; do not edit.
#include \"${HEADER}\"

namespace jobshop {
namespace {
constexpr unsigned char kBytes[${size} + 1] = {
${bytes}0};
}  // namespace

std::string_view ${FUNCTION}() {
    return {reinterpret_cast<const char*>(kBytes), ${size}};
}

}  // namespace jobshop
")
