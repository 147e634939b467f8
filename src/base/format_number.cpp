// Number formatting for arithmetic results, the same digits on every platform: the C libraries
// disagree on "%lf" for huge values, negative zero and non-numbers, so the digits come from
// std::to_chars, which is exact.
#include "base/numbers.hpp"

#include <charconv>
#include <cmath>

namespace korvex {
namespace {

// Below 2^63 a whole number converts to a 64-bit integer exactly.
constexpr double whole_number_fast_limit = 9223372036854775808.0;

// Cuts trailing zeros, and then the decimal point, from a fixed-notation text; the first byte stays.
std::string trimmed_fixed_text(const char* text, std::size_t length) {
    std::size_t i = length - 1;
    while (i > 0) {
        if (text[i] == '.') return std::string(text, i);
        if (text[i] != '0') return std::string(text, i + 1);
        --i;
    }
    return std::string(text, length);
}

} // namespace

std::string_view format_whole_number(double value, char (&digits)[24]) {
    if (value == 0) return std::signbit(value) ? "-0" : "0";
    auto [end, error] = std::to_chars(digits, digits + sizeof digits, static_cast<long long>(value));
    (void)error;
    return std::string_view(digits, static_cast<std::size_t>(end - digits));
}

std::string format_number(double value) {
    if (std::isnan(value)) return std::signbit(value) ? "-NAN" : "+NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "+INF";
    // The common case: a whole number, written without the six zeros that would be cut anyway.
    if (std::trunc(value) == value && std::fabs(value) < whole_number_fast_limit) {
        char digits[24];
        return std::string(format_whole_number(value, digits));
    }
    // The largest double has 309 integer digits; with sign, point and six decimals 317 bytes.
    char text[400];
    auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
    if (error != std::errc()) return "0";
    return trimmed_fixed_text(text, static_cast<std::size_t>(end - text));
}

} // namespace korvex
