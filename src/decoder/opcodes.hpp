// The instructions as numbers, with their names and operand kinds, made from the one list in
// opcodes.def. Tools (the packer's listings and checks) and the reference's index read them here.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace korvex {

enum class Opcode : std::uint8_t {
    unknown,
#define KORVEX_OPCODE(code, handler, shape, values, group, name, operands) code,
#include "decoder/opcodes.def"
#undef KORVEX_OPCODE
};

// The number of instructions in the list.
inline constexpr int opcode_count = 0
#define KORVEX_OPCODE(code, handler, shape, values, group, name, operands) +1
#include "decoder/opcodes.def"
#undef KORVEX_OPCODE
    ;

// How a record's operands are laid out for decoding; see opcodes.def.
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

// What an operand is, as a script writes it.
enum class OperandKind : std::uint8_t {
    output,     // [n]: names the variable that receives the result; never evaluated
    value,      // literals and references, joined by "#"
    values,     // one value or more, up to the end of the record
    operations, // an operator byte and a value, any number of times, up to the end of the record
    condition,  // comparisons joined by "|" and "&"
    label,      // the raw text up to the end of the record
    variables,  // [n][m]...: the names declared
    record,     // a whole record, opcode and operands
};

// The source folder an instruction's handler lives in; the reference is grouped the same way.
enum class InstructionGroup : std::uint8_t { core, flow, dialogs, text, system, files };

struct OperandInfo {
    OperandKind kind;
    std::string_view role; // what the operand stands for ("title", "file"); may be empty
};

struct InstructionInfo {
    std::string_view code;
    std::string_view name;
    InstructionGroup group = InstructionGroup::core;
    std::array<OperandInfo, 4> operands{};
    int operand_count = 0;
};

// The words the operand lists of opcodes.def are written in.
namespace operand_syntax {
constexpr OperandInfo output(std::string_view role) {
    return {OperandKind::output, role};
}
constexpr OperandInfo value(std::string_view role) {
    return {OperandKind::value, role};
}
constexpr OperandInfo values(std::string_view role) {
    return {OperandKind::values, role};
}
constexpr OperandInfo operations(std::string_view role) {
    return {OperandKind::operations, role};
}
constexpr OperandInfo condition(std::string_view role = {}) {
    return {OperandKind::condition, role};
}
constexpr OperandInfo label(std::string_view role) {
    return {OperandKind::label, role};
}
constexpr OperandInfo variables(std::string_view role) {
    return {OperandKind::variables, role};
}
constexpr OperandInfo record(std::string_view role) {
    return {OperandKind::record, role};
}

template <typename... Operands>
constexpr InstructionInfo instruction(std::string_view code, std::string_view name, InstructionGroup group,
                                      Operands... operands) {
    static_assert(sizeof...(Operands) <= 4, "an instruction has at most four operands");
    return InstructionInfo{code, name, group, {operands...}, static_cast<int>(sizeof...(Operands))};
}
} // namespace operand_syntax

// The record's first four bytes as a number that a switch can take; 0 for a record shorter than four.
constexpr std::uint32_t opcode_number(std::string_view record) {
    if (record.size() < 4) return 0;
    return (std::uint32_t(std::uint8_t(record[0])) << 24) | (std::uint32_t(std::uint8_t(record[1])) << 16) |
           (std::uint32_t(std::uint8_t(record[2])) << 8) | std::uint32_t(std::uint8_t(record[3]));
}

// The opcode a record starts with; unknown for anything not in the list (compared case-sensitively).
constexpr Opcode opcode_of(std::string_view record) {
    switch (opcode_number(record)) {
#define KORVEX_OPCODE(code, handler, shape, values, group, name, operands)                                   \
    case opcode_number(#code):                                                                               \
        return Opcode::code;
#include "decoder/opcodes.def"
#undef KORVEX_OPCODE
    default: return Opcode::unknown;
    }
}

// True when the four characters are one of the runtime's opcodes.
constexpr bool is_known_opcode(std::string_view code) {
    return code.size() == 4 && opcode_of(code) != Opcode::unknown;
}

// The name, group and operands of an instruction; an empty code for Opcode::unknown.
constexpr InstructionInfo instruction_info(Opcode opcode) {
    using namespace operand_syntax;
    switch (opcode) {
#define KORVEX_OPCODE(code, handler, shape, values, group, name, operands)                                   \
    case Opcode::code:                                                                                       \
        return [](auto... listed) {                                                                          \
            return instruction(#code, name, InstructionGroup::group, listed...);                             \
        } operands;
#include "decoder/opcodes.def"
#undef KORVEX_OPCODE
    case Opcode::unknown: break;
    }
    return {};
}

// Every opcode in the order of the list.
inline constexpr std::array<Opcode, opcode_count> all_opcodes{
#define KORVEX_OPCODE(code, handler, shape, values, group, name, operands) Opcode::code,
#include "decoder/opcodes.def"
#undef KORVEX_OPCODE
};

constexpr std::string_view group_name(InstructionGroup group) {
    switch (group) {
    case InstructionGroup::core: return "core";
    case InstructionGroup::flow: return "flow";
    case InstructionGroup::dialogs: return "dialogs";
    case InstructionGroup::text: return "text";
    case InstructionGroup::system: return "system";
    case InstructionGroup::files: return "files";
    }
    return {};
}

constexpr std::string_view operand_kind_name(OperandKind kind) {
    switch (kind) {
    case OperandKind::output: return "output";
    case OperandKind::value: return "value";
    case OperandKind::values: return "values";
    case OperandKind::operations: return "operations";
    case OperandKind::condition: return "condition";
    case OperandKind::label: return "label";
    case OperandKind::variables: return "variables";
    case OperandKind::record: return "record";
    }
    return {};
}

// The instruction written as a record whose operands stand for themselves by their roles:
// R008[answer]'title''prompt''default', RF01[result]'number'+'number'..., RXIF<condition>.
inline std::string synopsis(const InstructionInfo& info) {
    std::string text(info.code);
    for (int index = 0; index < info.operand_count; ++index) {
        const OperandInfo& operand = info.operands[static_cast<std::size_t>(index)];
        std::string role(operand.role.empty() ? operand_kind_name(operand.kind) : operand.role);
        switch (operand.kind) {
        case OperandKind::output: text += "[" + role + "]"; break;
        case OperandKind::value: text += "'" + role + "'"; break;
        case OperandKind::values: text += "'" + role + "'..."; break;
        case OperandKind::operations: text += "+'" + role + "'..."; break;
        case OperandKind::variables: text += "[" + role + "][" + role + "]..."; break;
        case OperandKind::condition:
        case OperandKind::label:
        case OperandKind::record: text += "<" + role + ">"; break;
        }
    }
    return text;
}

struct OperandLayout {
    OperandShape shape;
    int values;
};

constexpr OperandLayout operand_layout(Opcode opcode) {
    switch (opcode) {
#define KORVEX_OPCODE(code, handler, shape, values, group, name, operands)                                   \
    case Opcode::code:                                                                                       \
        return {OperandShape::shape, values};
#include "decoder/opcodes.def"
#undef KORVEX_OPCODE
    default: return {OperandShape::none, 0};
    }
}

// Whether an instruction's operand kinds say what its decoding layout says.
constexpr bool operands_match_layout(const InstructionInfo& info, OperandLayout layout) {
    auto kinds_are = [&](std::initializer_list<OperandKind> kinds) {
        if (static_cast<int>(kinds.size()) != info.operand_count) return false;
        int index = 0;
        for (OperandKind kind : kinds)
            if (info.operands[static_cast<std::size_t>(index++)].kind != kind) return false;
        return true;
    };
    auto outputs_then_values = [&](int outputs) {
        if (info.operand_count != outputs + layout.values) return false;
        for (int index = 0; index < info.operand_count; ++index)
            if (info.operands[static_cast<std::size_t>(index)].kind !=
                (index < outputs ? OperandKind::output : OperandKind::value))
                return false;
        return true;
    };
    switch (layout.shape) {
    case OperandShape::none: return info.operand_count == 0;
    case OperandShape::label: return kinds_are({OperandKind::label});
    case OperandShape::declarations: return kinds_are({OperandKind::variables});
    case OperandShape::values: return outputs_then_values(0);
    case OperandShape::output_then_values: return outputs_then_values(1);
    case OperandShape::join: return kinds_are({OperandKind::output, OperandKind::values});
    case OperandShape::arithmetic:
        return kinds_are({OperandKind::output, OperandKind::value, OperandKind::operations});
    case OperandShape::condition: return kinds_are({OperandKind::condition});
    case OperandShape::one_line_if: return kinds_are({OperandKind::condition, OperandKind::record});
    }
    return false;
}

#define KORVEX_OPCODE(code, handler, shape, values, group, name, operands)                                   \
    static_assert(operands_match_layout(instruction_info(Opcode::code), operand_layout(Opcode::code)),       \
                  "the operands of " #code " in opcodes.def disagree with its shape and values");
#include "decoder/opcodes.def"
#undef KORVEX_OPCODE

} // namespace korvex
