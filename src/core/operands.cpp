// The operand readers. Positions at or beyond the record's end read as the end of the operand.
#include "core/operands.hpp"

#include "core/numbers.hpp"
#include "core/runtime.hpp"
#include "core/variables.hpp"

namespace korvex {
namespace {

// The byte at index, or 0 where the record has no byte; 0 never opens or joins an operand.
char byte_at(const Runtime& runtime, std::int64_t index) {
    const std::string& record = runtime.current_instruction;
    if (index < 0 || index >= static_cast<std::int64_t>(record.size())) return '\0';
    return record[static_cast<std::size_t>(index)];
}

bool compare(char comparison, const std::string& left, const std::string& right) {
    switch (comparison) {
    case '=': return left == right;
    case '!': return left != right;
    case '<': return read_real_number(left) < read_real_number(right);
    case '>': return read_real_number(left) > read_real_number(right);
    default: return false;
    }
}

} // namespace

std::string read_token(Runtime& runtime, char delimiter) {
    const std::string& record = runtime.current_instruction;
    const std::int64_t length = static_cast<std::int64_t>(record.size());
    std::int64_t start = runtime.parse_position;
    std::int64_t position = start;
    while (position < length && (position < 0 || record[static_cast<std::size_t>(position)] != delimiter))
        ++position;
    std::string token;
    if (start >= 0 && start < position)
        token.assign(record, static_cast<std::size_t>(start), position - start);
    // Past the delimiter; at the length plus 1 when the record ended without one.
    runtime.parse_position = static_cast<std::int32_t>(std::min<std::int64_t>(position + 1, length + 1));
    return token;
}

std::string read_value(Runtime& runtime) {
    std::string result;
    for (;;) {
        if (byte_at(runtime, std::int64_t(runtime.parse_position) - 1) == '[')
            result += get_variable(runtime, read_token(runtime, ']'));
        else
            result += read_token(runtime, '\'');
        if (byte_at(runtime, runtime.parse_position) != '#') return result;
        runtime.parse_position += 2;
    }
}

bool evaluate_condition(Runtime& runtime) {
    bool outcome = false;
    bool evaluate = true;
    for (;;) {
        std::string left = read_value(runtime);
        char comparison = byte_at(runtime, runtime.parse_position);
        runtime.parse_position += 2;
        std::string right = read_value(runtime);
        if (evaluate) {
            outcome = compare(comparison, left, right);
            evaluate = false;
        }
        char connective = byte_at(runtime, runtime.parse_position);
        if (connective != '|' && connective != '&') return outcome;
        runtime.parse_position += 2;
        evaluate = connective == '|' ? !outcome : outcome;
    }
}

const std::string& read_output_variable(Runtime& runtime) {
    runtime.output_variable = read_token(runtime, ']');
    return runtime.output_variable;
}

std::string read_next_value(Runtime& runtime) {
    runtime.parse_position += 1;
    return read_value(runtime);
}

} // namespace korvex
