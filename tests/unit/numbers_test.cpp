// Whole and real number reading: the grammar, what is not a number, and the ends of the ranges.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

#include "base/numbers.hpp"

namespace korvex {
namespace {

TEST(ReadWholeNumber, FollowsTheGrammar) {
    struct Case {
        std::string text;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"42", 42},
        {"  \t\n\v\f\r-17", -17},
        {"+8", 8},
        {"12abc", 12},
        {"007", 7},
        {"", 0},
        {"abc", 0},
        {"-", 0},
        {"+-5", 0},
        {"- 5", 0},
        {"3.9", 3},
        {"-3.9", -3},
        {"0x10", 0},
        {"1e3", 1},
        {"\xA0"
         "5",
         0},
        {"\x85"
         "5",
         0},
        {" 12 34", 12},
    };
    for (const Case& c : cases) EXPECT_EQ(read_whole_number(c.text), c.expected) << '"' << c.text << '"';
}

TEST(ReadWholeNumber, ClampsBeyondThe32BitRange) {
    constexpr auto largest = std::numeric_limits<std::int32_t>::max();
    constexpr auto smallest = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(read_whole_number("2147483647"), largest);
    EXPECT_EQ(read_whole_number("2147483648"), largest);
    EXPECT_EQ(read_whole_number("-2147483648"), smallest);
    EXPECT_EQ(read_whole_number("-2147483649"), smallest);
    EXPECT_EQ(read_whole_number("99999999999999999999999999999999"), largest);
    EXPECT_EQ(read_whole_number("-99999999999999999999999999999999"), smallest);
    EXPECT_EQ(read_whole_number("00000000000000000000000000000012"), 12);
}

TEST(ReadRealNumber, FollowsTheGrammar) {
    struct Case {
        std::string text;
        double expected;
    };
    const Case cases[] = {
        {"1.5", 1.5},   {" \t-2.25", -2.25},
        {"+3", 3},      {"5.", 5},
        {".5", 0.5},    {"-.5", -0.5},
        {"1e3", 1000},  {"1E+2", 100},
        {"25e-1", 2.5}, {"1.5e2x", 150},
        {"1e", 1},      {"1e+", 1},
        {"1e-x", 1},    {"2.5.1", 2.5},
        {"1,5", 1},     {".", 0},
        {".e5", 0},     {"e5", 0},
        {"", 0},        {"abc", 0},
        {"-", 0},       {"+-1", 0},
        {"0x10", 0},    {"0X1p4", 0},
        {"inf", 0},     {"-infinity", 0},
        {"nan", 0},     {"NAN(1)", 0},
        {"12 34", 12},  {"1e0000000000000000002", 100},
        {"0.1", 0.1},   {"123456789012345678901234567890", 123456789012345678901234567890.0},
        {"5.e3", 5000}, {".5e1", 5},
        {"-.e1", 0},    {"00.0100", 0.01},
    };
    for (const Case& c : cases) EXPECT_EQ(read_real_number(c.text), c.expected) << '"' << c.text << '"';
}

TEST(ReadRealNumber, GoesToInfinityOrZeroAtTheEndsOfTheRange) {
    constexpr double infinity = std::numeric_limits<double>::infinity();
    EXPECT_EQ(read_real_number("1e309"), infinity);
    EXPECT_EQ(read_real_number("-1e309"), -infinity);
    EXPECT_EQ(read_real_number("0.0001e312"), 1e308);
    EXPECT_EQ(read_real_number("1e99999999999999999999"), infinity);
    EXPECT_EQ(read_real_number("1000e-400"), 0.0);
    EXPECT_EQ(read_real_number("1e-99999999999999999999"), 0.0);
    EXPECT_EQ(read_real_number("0e99999999999999999999"), 0.0);
    EXPECT_TRUE(std::signbit(read_real_number("-1e-400")));
    EXPECT_TRUE(std::signbit(read_real_number("-0")));
    // Subnormal numbers are kept, not flushed to zero.
    EXPECT_EQ(read_real_number("1e-310"), 1e-310);
    EXPECT_EQ(read_real_number("3e-324"), std::numeric_limits<double>::denorm_min());
    EXPECT_EQ(read_real_number("1.7976931348623157e308"), std::numeric_limits<double>::max());
}

TEST(ReadRealNumber, KeepsThePointWhateverTheLocale) {
    // A locale with a decimal comma, where one is installed; the C locale otherwise.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous ? previous : "C";
    for (const char* name : {"de_DE.UTF-8", "de_DE", "fr_FR.UTF-8"})
        if (std::setlocale(LC_NUMERIC, name)) break;
    EXPECT_EQ(read_real_number("1.5"), 1.5);
    EXPECT_EQ(read_real_number("1,5"), 1.0);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

} // namespace
} // namespace korvex
