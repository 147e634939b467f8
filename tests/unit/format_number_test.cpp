// format_number over awkward values: what "%lf" and the trimming rule give, on every platform.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "base/numbers.hpp"

namespace korvex {
namespace {

TEST(FormatNumber, MatchesFixedSixDecimalsTrimmed) {
    struct Case {
        double value;
        const char* expected;
    };
    const Case cases[] = {
        // whole numbers, the fast path, and its limits
        {5, "5"},
        {-5, "-5"},
        {10, "10"},
        {100, "100"},
        {2147483648.0, "2147483648"},
        {9007199254740993.0, "9007199254740992"},
        {9223372036854775807.0, "9223372036854775808"},
        {-9223372036854775808.0, "-9223372036854775808"},
        {18446744073709551616.0, "18446744073709551616"},
        // 1e15 to 1e22 are exact; from 1e23 on the double's own digits show
        {1e15, "1000000000000000"},
        {1e16, "10000000000000000"},
        {1e20, "100000000000000000000"},
        {1e21, "1000000000000000000000"},
        {1e22, "10000000000000000000000"},
        {1e23, "99999999999999991611392"},
        {1e15 + 0.5, "1000000000000000.5"},
        {123456789012.345678, "123456789012.345673"},
        // fractions and rounding at the sixth decimal
        {2.5, "2.5"},
        {-1.25, "-1.25"},
        {2.0 / 3.0, "0.666667"},
        {1.0 / 3.0, "0.333333"},
        {0.1, "0.1"},
        {1.0000001, "1"},
        {0.0000005, "0"},        // 4.99999...e-7 in binary
        {0.0000015, "0.000002"}, // 1.50000...04e-6 in binary
        {0.1234565, "0.123456"}, // just below the halfway point in binary
        {0.1 + 0.2, "0.3"},
        {1.0 / 128, "0.007812"}, // exactly halfway: to even
        {3.0 / 128, "0.023438"}, // exactly halfway: to even
        {-1.0 / 128, "-0.007812"},
        {2.0000005, "2.000001"},
        {0.9999995, "1"}, // just above the halfway point in binary
        {-0.9999995, "-1"},
        {0.99999949999, "0.999999"},
        {10.1, "10.1"},
        // tiny values and zeros
        {0.0000001, "0"},
        {1e-300, "0"},
        {std::numeric_limits<double>::denorm_min(), "0"},
        {-0.0000001, "-0"},
        {0.0, "0"},
        {-0.0, "-0"},
        // infinities and not-a-numbers
        {std::numeric_limits<double>::infinity(), "+INF"},
        {-std::numeric_limits<double>::infinity(), "-INF"},
        {std::numeric_limits<double>::quiet_NaN(), "+NAN"},
        {-std::numeric_limits<double>::quiet_NaN(), "-NAN"},
    };
    for (const Case& c : cases) EXPECT_EQ(format_number(c.value), c.expected) << "value " << c.value;
}

TEST(FormatNumber, WritesTheLargestNumbersInFull) {
    std::string largest = format_number(std::numeric_limits<double>::max());
    EXPECT_EQ(largest.size(), 309u);
    EXPECT_EQ(largest.substr(0, 17), "17976931348623157");
    EXPECT_EQ(format_number(-std::numeric_limits<double>::max()), "-" + largest);
    EXPECT_EQ(format_number(1e300).substr(0, 20), "10000000000000000525");
}

// Where the C library's "%lf" writes exact digits (as the GNU one does), both agree on any finite value.
TEST(FormatNumber, AgreesWithAnExactCLibraryOnRandomValues) {
    char probe[64];
    std::snprintf(probe, sizeof probe, "%lf", 1e23);
    if (std::strcmp(probe, "99999999999999991611392.000000") != 0) GTEST_SKIP() << "inexact %lf";
    std::mt19937_64 generator(20260601);
    std::uniform_int_distribution<int> exponent(-30, 40);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    for (int i = 0; i < 20000; ++i) {
        double value = mantissa(generator) * std::pow(10.0, exponent(generator));
        if (i % 4 == 0) value = std::round(value * 1e6) / 1e6 + (i % 8 == 0 ? 5e-7 : 0);
        char text[512];
        std::snprintf(text, sizeof text, "%lf", value);
        std::string expected = text;
        std::size_t last = expected.size() - 1;
        while (last > 0 && expected[last] == '0') --last;
        expected.resize(expected[last] == '.' ? last : last + 1);
        ASSERT_EQ(format_number(value), expected) << "value " << value;
    }
}

} // namespace
} // namespace korvex
