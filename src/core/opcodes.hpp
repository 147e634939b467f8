// The opcodes as numbers, made from the one list in opcodes.def.
#pragma once

#include <cstdint>
#include <string_view>

namespace korvex {

enum class Opcode : std::uint8_t {
    unknown,
#define KORVEX_OPCODE(code, handler, shape, values) code,
#include "core/opcodes.def"
#undef KORVEX_OPCODE
};

// How a record's operands are laid out; see opcodes.def.
enum class OperandShape : std::uint8_t {
    none,
    label,
    declarations,
    values,
    output_then_values,
    join,
    arithmetic,
    condition,
    one_line_if,
};

// The record's first four bytes as a number that a switch can take; 0 for a record shorter than four.
constexpr std::uint32_t opcode_number(std::string_view record) {
    if (record.size() < 4) return 0;
    return (std::uint32_t(std::uint8_t(record[0])) << 24) | (std::uint32_t(std::uint8_t(record[1])) << 16) |
           (std::uint32_t(std::uint8_t(record[2])) << 8) | std::uint32_t(std::uint8_t(record[3]));
}

// The opcode a record starts with; unknown for anything not in the list (compared case-sensitively).
constexpr Opcode opcode_of(std::string_view record) {
    switch (opcode_number(record)) {
#define KORVEX_OPCODE(code, handler, shape, values)                                                          \
    case opcode_number(#code):                                                                               \
        return Opcode::code;
#include "core/opcodes.def"
#undef KORVEX_OPCODE
    default: return Opcode::unknown;
    }
}

// True when the four characters are one of the runtime's opcodes.
constexpr bool is_known_opcode(std::string_view code) {
    return code.size() == 4 && opcode_of(code) != Opcode::unknown;
}

struct OperandLayout {
    OperandShape shape;
    int values;
};

constexpr OperandLayout operand_layout(Opcode opcode) {
    switch (opcode) {
#define KORVEX_OPCODE(code, handler, shape, values)                                                          \
    case Opcode::code:                                                                                       \
        return {OperandShape::shape, values};
#include "core/opcodes.def"
#undef KORVEX_OPCODE
    default: return {OperandShape::none, 0};
    }
}

} // namespace korvex
