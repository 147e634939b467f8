// ASCII helpers for texts of any bytes: letter case that leaves every byte but a to z alone, whatever
// the locale, the part of a text that a C string holds, and how far apart two words are.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// Letters a to z turned into A to Z; every other byte unchanged.
constexpr char upper_case_byte(char byte) {
    return byte >= 'a' && byte <= 'z' ? static_cast<char>(byte - 32) : byte;
}
inline std::string upper_case_ascii(std::string_view text) {
    std::string result(text);
    for (char& byte : result) byte = upper_case_byte(byte);
    return result;
}

// The text up to its first zero byte: what a C string, and so the operating system, can hold.
constexpr std::string_view text_before_zero(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

// Letters A to Z turned into a to z; every other byte unchanged.
constexpr char lower_case_byte(char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte + 32) : byte;
}
inline std::string lower_case_ascii(std::string_view text) {
    std::string result(text);
    for (char& byte : result) byte = lower_case_byte(byte);
    return result;
}

// The fewest bytes to insert, remove or change to turn one text into the other, letter case ignored:
// how near a mistyped word is to a known one.
inline std::size_t edit_distance(std::string_view from, std::string_view to) {
    std::vector<std::size_t> row(to.size() + 1);
    for (std::size_t j = 0; j <= to.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= from.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= to.size(); ++j) {
            std::size_t above = row[j];
            bool same = lower_case_byte(from[i - 1]) == lower_case_byte(to[j - 1]);
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[to.size()];
}

} // namespace korvex
