#include "report/Decimal.h"

#include <gtest/gtest.h>

#include <charconv>
#include <limits>
#include <string>

namespace jobshop {
namespace {

std::string Formatted(std::int64_t value) {
    char text[24];
    return std::string(text, FormatDecimal(text, value));
}

// Every digit count and sign, the edges of each (9/10, 99/100, ...) and the
// extremes, against the standard library's formatting.
TEST(FormatDecimal, MatchesStandardFormatting) {
    std::vector<std::int64_t> values = {0, std::numeric_limits<std::int64_t>::min(),
                                        std::numeric_limits<std::int64_t>::max(), INT32_MIN,
                                        INT32_MAX};
    for (std::int64_t power = 1; power <= std::numeric_limits<std::int64_t>::max() / 10;
         power *= 10) {
        for (const std::int64_t v : {power - 1, power, power + 1, 10 * power - 1}) {
            values.push_back(v);
            values.push_back(-v);
        }
    }
    for (const std::int64_t v : values) {
        char expected[24];
        const auto end = std::to_chars(expected, expected + sizeof expected, v).ptr;
        EXPECT_EQ(Formatted(v), std::string(expected, end)) << v;
    }
}

}  // namespace
}  // namespace jobshop
