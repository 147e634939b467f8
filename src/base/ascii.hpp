// ASCII helpers for texts of any bytes: letter case that leaves every byte but a to z alone, whatever
// the locale, and the part of a text that a C string holds.
#pragma once

#include <string>
#include <string_view>

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

} // namespace korvex
