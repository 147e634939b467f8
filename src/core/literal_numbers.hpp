// The numbers of the script's literals, read once: a loop compares and adds the same literals on
// every pass, and the script's bytes never change.
#pragma once

#include <array>
#include <cstdint>

namespace korvex {

// What a literal reads as: its number, and whether it is the very text of a whole number held without
// a text (the text format_whole_number writes for it), which makes equality a comparison of numbers.
struct LiteralNumber {
    std::uint32_t operand_key = 0; // the operand's index in the script's records + 1; 0: empty entry
    bool is_whole_number_text = false;
    double number = 0;
};

// A small table over the literal operands of the script, indexed by operand; a literal whose entry
// another one took is read again.
struct LiteralNumbers {
    static constexpr std::uint32_t size = 512;
    std::array<LiteralNumber, size> entries{};
};

} // namespace korvex
