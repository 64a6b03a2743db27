#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace jobshop {

inline constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes a number below 10000 in decimal at `out`; returns the position after
// its last digit. Heads and tails of the classic instances stay below 10000,
// and the numbers of one trace mostly have the same count of digits, so the
// branches are well predicted and beat the general path.
inline char* FormatBelow10000(char* out, std::uint32_t value) {
    if (value < 100) {
        if (value < 10) {
            *out = static_cast<char>('0' + value);
            return out + 1;
        }
        std::memcpy(out, kDigitPairs + value * 2, 2);
        return out + 2;
    }
    const std::uint32_t high = value / 100;
    const std::uint32_t low = value % 100;
    if (high < 10) {
        *out = static_cast<char>('0' + high);
        std::memcpy(out + 1, kDigitPairs + low * 2, 2);
        return out + 3;
    }
    std::memcpy(out, kDigitPairs + high * 2, 2);
    std::memcpy(out + 2, kDigitPairs + low * 2, 2);
    return out + 4;
}

// Writes `value` in decimal (a minus sign for negatives, nothing else) at
// `out`, two digits at a time from a table of "00" ... "99"; returns the
// position after the last digit. Needs room for 20 characters.
inline char* FormatDecimal(char* out, std::int64_t value) {
    std::uint64_t magnitude = static_cast<std::uint64_t>(value);
    if (value < 0) {
        *out++ = '-';
        magnitude = 0 - magnitude;
    }
    if (magnitude < 10000) return FormatBelow10000(out, static_cast<std::uint32_t>(magnitude));
    // log10 from the bit length (1233/4096 ~ log10(2)), then one correction.
    static constexpr std::uint64_t kPowers[] = {1,
                                                10,
                                                100,
                                                1000,
                                                10000,
                                                100000,
                                                1000000,
                                                10000000,
                                                100000000,
                                                1000000000,
                                                10000000000,
                                                100000000000,
                                                1000000000000,
                                                10000000000000,
                                                100000000000000,
                                                1000000000000000,
                                                10000000000000000,
                                                100000000000000000,
                                                1000000000000000000,
                                                10000000000000000000u};
    const int guess = (std::bit_width(magnitude) * 1233) >> 12;
    const int digits = guess + (magnitude >= kPowers[guess]);
    char* end = out + digits;
    char* at = end;
    while (magnitude >= 100) {
        at -= 2;
        std::memcpy(at, kDigitPairs + (magnitude % 100) * 2, 2);
        magnitude /= 100;
    }
    if (magnitude >= 10) {
        at -= 2;
        std::memcpy(at, kDigitPairs + magnitude * 2, 2);
    } else {
        *--at = static_cast<char>('0' + magnitude);
    }
    return end;
}

// The characters FormatDecimal writes for `value`.
inline int DecimalLength(std::int64_t value) {
    int length = value < 0 ? 2 : 1;
    std::uint64_t magnitude = static_cast<std::uint64_t>(value);
    if (value < 0) magnitude = 0 - magnitude;
    for (; magnitude >= 10; magnitude /= 10) ++length;
    return length;
}

}  // namespace jobshop
