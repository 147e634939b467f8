// Locale-independent number reading with the grammar of the C conversions, without their undefined
// overflow and their locale, inf, nan and hexadecimal forms.
#include "base/numbers.hpp"

#include <charconv>
#include <cmath>
#include <limits>

namespace korvex {
namespace {

bool is_white_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t skip_white_space(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && is_white_space(text[i])) ++i;
    return i;
}

} // namespace

std::int32_t read_whole_number(std::string_view text) {
    std::size_t i = skip_white_space(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::int64_t magnitude = 0;
    const std::int64_t limit = std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1;
    for (; i < text.size() && is_digit(text[i]); ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > limit) magnitude = limit;
    }
    std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max()) value = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}

double read_real_number(std::string_view text) {
    // The common case: a short run of digits and nothing else, a whole number read exactly.
    if (!text.empty() && text.size() <= 15) {
        std::int64_t whole = 0;
        std::size_t digits = 0;
        while (digits < text.size() && is_digit(text[digits])) whole = whole * 10 + (text[digits++] - '0');
        if (digits == text.size()) return static_cast<double>(whole);
    }
    std::size_t i = skip_white_space(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const std::size_t number_start = i;
    std::size_t integer_digits = 0;
    std::size_t fraction_digits = 0;
    // Decimal position of the first significant digit, to tell overflow from underflow.
    long long leading_zero_fraction = 0;
    bool significant_seen = false;
    for (; i < text.size() && is_digit(text[i]); ++i) {
        ++integer_digits;
        if (text[i] != '0') significant_seen = true;
    }
    long long integer_significant = 0;
    if (significant_seen) {
        std::size_t j = number_start;
        while (text[j] == '0') ++j;
        integer_significant = static_cast<long long>(i - j);
    }
    if (i < text.size() && text[i] == '.') {
        std::size_t j = i + 1;
        for (; j < text.size() && is_digit(text[j]); ++j) {
            ++fraction_digits;
            if (!significant_seen) {
                if (text[j] == '0')
                    ++leading_zero_fraction;
                else
                    significant_seen = true;
            }
        }
        if (integer_digits + fraction_digits > 0) i = j;
    }
    if (integer_digits + fraction_digits == 0) return 0.0;
    long long exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        bool exponent_negative = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent_negative = text[j++] == '-';
        if (j < text.size() && is_digit(text[j])) {
            for (; j < text.size() && is_digit(text[j]); ++j)
                if (exponent < 1000000000) exponent = exponent * 10 + (text[j] - '0');
            if (exponent_negative) exponent = -exponent;
            i = j;
        }
    }
    double value = 0.0;
    auto [end, error] =
        std::from_chars(text.data() + number_start, text.data() + i, value, std::chars_format::general);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        long long magnitude =
            significant_seen
                ? (integer_significant > 0 ? integer_significant : -leading_zero_fraction) + exponent
                : -1;
        value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (error != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
}

std::string whole_number_text(std::int64_t value) {
    char buffer[24];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    (void)error;
    return std::string(buffer, end);
}

} // namespace korvex
