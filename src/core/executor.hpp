// Carries out the record in current_instruction and tells the main loop what to do next.
#pragma once

#include <cstdint>
#include <string_view>

namespace korvex {

struct Runtime;

std::int32_t execute_instruction(Runtime& runtime);

// The record's opcode as a number that a switch can dispatch on; 0 for a record shorter than four bytes.
constexpr std::uint32_t opcode_number(std::string_view record) {
    if (record.size() < 4) return 0;
    return (std::uint32_t(std::uint8_t(record[0])) << 24) | (std::uint32_t(std::uint8_t(record[1])) << 16) |
           (std::uint32_t(std::uint8_t(record[2])) << 8) | std::uint32_t(std::uint8_t(record[3]));
}

// True when the four characters are one of the runtime's opcodes.
bool is_known_opcode(std::string_view code);

} // namespace korvex
