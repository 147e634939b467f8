// The operand readers over decoded records. A handler that reads more operands than its record holds
// gets empty texts, as reading beyond the end of a record always gave.
#include "core/operands.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

#include "base/numbers.hpp"
#include "core/literal_numbers.hpp"
#include "core/runtime.hpp"
#include "core/variables.hpp"

namespace korvex {
namespace {

const Operand* take_operand(Runtime& runtime) {
    if (runtime.operands.next >= runtime.operands.end) {
        runtime.operands.overruns += 1;
        return nullptr;
    }
    return &runtime.operands.program->operands[runtime.operands.next++];
}

void append_item(Runtime& runtime, const Operand& item, std::string& text) {
    if (item.kind() == Operand::Kind::literal)
        text.append(runtime.operands.program->literal(item));
    else if (is_computed_variable(item.first))
        text.append(computed_variable(runtime, item.first));
    else
        text.append(variable_text(runtime, item.first));
}

// Whether text is what format_whole_number writes for a whole number, decided without writing it:
// the digits are compared from the last one back, where most texts that differ differ already.
bool is_text_of_whole_number(std::string_view text, double number) {
    const bool negative = !text.empty() && text[0] == '-';
    const std::size_t first = negative ? 1 : 0;
    if (text.size() == first) return false;
    if (number == 0)
        return text.size() == first + 1 && text[first] == '0' && std::signbit(number) == negative;
    if ((number < 0) != negative) return false;
    auto magnitude = static_cast<std::uint64_t>(std::fabs(number));
    for (std::size_t i = text.size(); i > first; --i) {
        if (text[i - 1] != static_cast<char>('0' + magnitude % 10)) return false;
        magnitude /= 10;
        if (magnitude == 0) return i - 1 == first;
    }
    return false;
}

// The literal at operand_index read as a number, and whether it is a whole number's text.
[[gnu::noinline]] LiteralNumber decode_literal_number(const DecodedProgram& program,
                                                      std::uint32_t operand_index) {
    std::string_view text = program.literal(program.operands[operand_index]);
    LiteralNumber decoded;
    decoded.operand_key = operand_index + 1;
    decoded.number = read_real_number(text);
    decoded.is_whole_number_text = std::trunc(decoded.number) == decoded.number &&
                                   std::fabs(decoded.number) <= 9007199254740992.0 &&
                                   is_text_of_whole_number(text, decoded.number);
    return decoded;
}

// What the literal at operand_index of the running program reads as; decoded once for a literal of
// the script, every time for one of a record handed to the executor (whose bytes may not last).
LiteralNumber literal_number(Runtime& runtime, std::uint32_t operand_index) {
    const DecodedProgram& program = *runtime.operands.program;
    LiteralNumber& entry = runtime.literal_numbers.entries[operand_index % LiteralNumbers::size];
    const bool cached = &program == &runtime.script.decoded() && runtime.options.value_shortcuts;
    if (cached && entry.operand_key == operand_index + 1) return entry;
    LiteralNumber decoded = decode_literal_number(program, operand_index);
    if (cached) entry = decoded;
    return decoded;
}

// The number of a single value that is a variable holding a number or a literal, read as read_number
// reads it; nothing (and nothing read) for any other value.
std::optional<double> quick_number(Runtime& runtime, std::uint32_t operand_index) {
    const Operand& operand = runtime.operands.program->operands[operand_index];
    if (operand.kind() == Operand::Kind::literal) return literal_number(runtime, operand_index).number;
    if (operand.kind() == Operand::Kind::variable && !is_computed_variable(operand.first) &&
        runtime.variables.holds_number(operand.first))
        return runtime.variables.number(operand.first);
    return std::nullopt;
}

// A value to compare as text. A variable that holds a whole number and no text yet is written into
// `digits` rather than given a text of its own, which the next arithmetic would drop again.
std::string_view compared_value(Runtime& runtime, std::string& storage, char (&digits)[24]) {
    if (runtime.operands.next < runtime.operands.end) {
        const Operand& operand = runtime.operands.program->operands[runtime.operands.next];
        const VariableStore& store = runtime.variables;
        if (operand.kind() == Operand::Kind::variable && !is_computed_variable(operand.first) &&
            store.holds_number(operand.first) && !store.holds_text(operand.first)) {
            runtime.operands.next += 1;
            return format_whole_number(store.number(operand.first), digits);
        }
    }
    return read_value_view(runtime, storage);
}

// The whole number a variable holds without a text yet; nothing for any other operand.
std::optional<double> held_whole_number(const Runtime& runtime, const Operand& operand) {
    const VariableStore& store = runtime.variables;
    if (operand.kind() != Operand::Kind::variable || is_computed_variable(operand.first) ||
        !store.holds_number(operand.first) || store.holds_text(operand.first))
        return std::nullopt;
    return store.number(operand.first);
}

// Whether two single values are equal as texts, found from the numbers held where one side or both
// hold a whole number without a text; nothing where the texts must be compared.
std::optional<bool> equal_by_numbers(Runtime& runtime, std::uint32_t left_index, std::uint32_t right_index) {
    const Operand& left = runtime.operands.program->operands[left_index];
    const Operand& right = runtime.operands.program->operands[right_index];
    std::optional<double> left_number = held_whole_number(runtime, left);
    std::optional<double> right_number = held_whole_number(runtime, right);
    if (left_number && right_number)
        return *left_number == *right_number && std::signbit(*left_number) == std::signbit(*right_number);
    // A literal that is no whole number's text equals no held number.
    auto equal_to_literal = [&](double held, std::uint32_t literal_index) {
        LiteralNumber literal = literal_number(runtime, literal_index);
        return literal.is_whole_number_text && literal.number == held &&
               std::signbit(literal.number) == std::signbit(held);
    };
    if (left_number && right.kind() == Operand::Kind::literal)
        return equal_to_literal(*left_number, right_index);
    if (right_number && left.kind() == Operand::Kind::literal)
        return equal_to_literal(*right_number, left_index);
    return std::nullopt;
}

// One comparison: the left value, the operator, the right value, read in that order.
bool compare_next(Runtime& runtime) {
    const std::vector<Operand>& operands = runtime.operands.program->operands;
    std::uint32_t operator_index = runtime.operands.next + operands[runtime.operands.next].extent();
    char comparison = static_cast<char>(operands[operator_index].first);
    switch (comparison) {
    case '=':
    case '!': {
        if (operator_index == runtime.operands.next + 1 && operator_index + 1 < runtime.operands.end) {
            std::optional<bool> equal = equal_by_numbers(runtime, runtime.operands.next, operator_index + 1);
            if (equal) {
                runtime.operands.next = operator_index + 2;
                return comparison == '=' ? *equal : !*equal;
            }
        }
        std::string left_storage, right_storage;
        char left_digits[24], right_digits[24];
        std::string_view left = compared_value(runtime, left_storage, left_digits);
        runtime.operands.next += 1;
        bool equal = left == compared_value(runtime, right_storage, right_digits);
        return comparison == '=' ? equal : !equal;
    }
    case '<':
    case '>': {
        if (operator_index == runtime.operands.next + 1 && operator_index + 1 < runtime.operands.end) {
            std::optional<double> left = quick_number(runtime, runtime.operands.next);
            std::optional<double> right = left ? quick_number(runtime, operator_index + 1) : std::nullopt;
            if (right) {
                runtime.operands.next = operator_index + 2;
                return comparison == '<' ? *left < *right : *left > *right;
            }
        }
        double left = read_number(runtime);
        runtime.operands.next += 1;
        double right = read_number(runtime);
        return comparison == '<' ? left < right : left > right;
    }
    default: {
        runtime.operands.next = operator_index + 1;
        runtime.operands.next += operands[runtime.operands.next].extent();
        return false;
    }
    }
}

// A comparison that cannot change the outcome: passed over, its values not read.
void skip_comparison(Runtime& runtime) {
    const std::vector<Operand>& operands = runtime.operands.program->operands;
    runtime.operands.next += operands[runtime.operands.next].extent() + 1;
    runtime.operands.next += operands[runtime.operands.next].extent();
}

} // namespace

void begin_record(Runtime& runtime, const DecodedProgram& program, const DecodedRecord& record) {
    runtime.operands.program = &program;
    runtime.operands.record = &record;
    runtime.operands.next = record.first_operand;
    runtime.operands.end = record.first_operand + record.operand_count;
}

char read_operator(Runtime& runtime) {
    const Operand* operand = take_operand(runtime);
    return operand ? static_cast<char>(operand->first) : '\0';
}

std::optional<VariableSlot> next_plain_variable(const Runtime& runtime) {
    if (runtime.operands.next >= runtime.operands.end) return std::nullopt;
    const Operand& operand = runtime.operands.program->operands[runtime.operands.next];
    if (operand.kind() != Operand::Kind::variable || is_computed_variable(operand.first)) return std::nullopt;
    return operand.first;
}

bool read_held_operation(Runtime& runtime, HeldOperation& operation) {
    const std::uint32_t first = runtime.operands.next;
    if (runtime.operands.end - first != 4 || !runtime.options.value_shortcuts) return false;
    const Operand* operands = runtime.operands.program->operands.data() + first;
    if (operands[0].kind() != Operand::Kind::variable || operands[2].kind() != Operand::Kind::mark)
        return false;
    std::optional<double> left = quick_number(runtime, first + 1);
    if (!left) return false;
    std::optional<double> right = quick_number(runtime, first + 3);
    if (!right) return false;
    operation.output = operands[0].first;
    operation.left = *left;
    operation.operation = static_cast<char>(operands[2].first);
    operation.right = *right;
    runtime.operands.output_variable = operation.output;
    runtime.operands.next = runtime.operands.end;
    return true;
}

bool has_operands_left(const Runtime& runtime) {
    return runtime.operands.next < runtime.operands.end;
}

VariableSlot read_output_variable(Runtime& runtime) {
    const Operand* operand = take_operand(runtime);
    runtime.operands.output_variable = operand ? operand->first : runtime.variables.intern("");
    return runtime.operands.output_variable;
}

std::string_view read_value_view(Runtime& runtime, std::string& storage) {
    const Operand* operand = take_operand(runtime);
    if (operand == nullptr) return {};
    switch (operand->kind()) {
    case Operand::Kind::literal: return runtime.operands.program->literal(*operand);
    case Operand::Kind::variable:
        if (!is_computed_variable(operand->first)) return variable_text(runtime, operand->first);
        storage = computed_variable(runtime, operand->first);
        return storage;
    case Operand::Kind::joined:
        storage.clear();
        for (std::uint32_t i = 0; i < operand->first; ++i)
            append_item(runtime, *take_operand(runtime), storage);
        return storage;
    case Operand::Kind::mark: break;
    }
    runtime.operands.overruns += 1;
    return {};
}

std::string* append_in_place(Runtime& runtime, VariableSlot slot) {
    if (!runtime.options.value_shortcuts || is_computed_variable(slot) || is_acting_variable(slot) ||
        !has_operands_left(runtime))
        return nullptr;
    const std::vector<Operand>& operands = runtime.operands.program->operands;
    const Operand& value = operands[runtime.operands.next];
    const Operand& first_item =
        value.kind() == Operand::Kind::joined ? operands[runtime.operands.next + 1] : value;
    if (first_item.kind() != Operand::Kind::variable || first_item.first != slot) return nullptr;
    for (std::uint32_t i = runtime.operands.next + (value.kind() == Operand::Kind::joined ? 2 : 1);
         i < runtime.operands.end; ++i)
        if (operands[i].kind() == Operand::Kind::variable && operands[i].first == slot) return nullptr;
    variable_text(runtime, slot);
    std::string* text = &runtime.variables.text_to_change(slot);
    runtime.operands.next += 1;
    if (value.kind() == Operand::Kind::joined) {
        runtime.operands.next += 1;
        for (std::uint32_t i = 1; i < value.first; ++i) append_item(runtime, *take_operand(runtime), *text);
    }
    return text;
}

std::string read_value(Runtime& runtime) {
    std::string storage;
    std::string_view text = read_value_view(runtime, storage);
    if (text.data() == storage.data()) return storage;
    return std::string(text);
}

double read_number(Runtime& runtime) {
    const Operand* operand = runtime.operands.next < runtime.operands.end
                                 ? &runtime.operands.program->operands[runtime.operands.next]
                                 : nullptr;
    if (operand && operand->kind() == Operand::Kind::variable && !is_computed_variable(operand->first)) {
        runtime.operands.next += 1;
        return variable_number(runtime, operand->first);
    }
    if (operand && operand->kind() == Operand::Kind::literal) {
        runtime.operands.next += 1;
        return literal_number(runtime, runtime.operands.next - 1).number;
    }
    std::string storage;
    return read_real_number(read_value_view(runtime, storage));
}

[[gnu::noinline]] std::int32_t read_whole_number_operand(Runtime& runtime) {
    if (runtime.options.value_shortcuts && runtime.operands.next < runtime.operands.end) {
        const Operand& operand = runtime.operands.program->operands[runtime.operands.next];
        const VariableStore& store = runtime.variables;
        if (operand.kind() == Operand::Kind::variable && !is_computed_variable(operand.first) &&
            store.holds_number(operand.first) && !store.holds_text(operand.first)) {
            double held = store.number(operand.first);
            if (std::fabs(held) <= 9007199254740992.0 && std::trunc(held) == held) {
                runtime.operands.next += 1;
                // The number's digits read as read_whole_number reads them: held within 32 bits.
                return static_cast<std::int32_t>(std::clamp(held, -2147483648.0, 2147483647.0));
            }
        }
    }
    return read_whole_number(read_value(runtime));
}

bool evaluate_condition(Runtime& runtime) {
    bool outcome = false;
    bool evaluate = true;
    while (has_operands_left(runtime)) {
        if (evaluate)
            outcome = compare_next(runtime);
        else
            skip_comparison(runtime);
        if (!has_operands_left(runtime)) break;
        char connective = read_operator(runtime);
        // Only a comparison that can still change the outcome is evaluated.
        evaluate = connective == '|' ? !outcome : outcome;
    }
    return outcome;
}

} // namespace korvex
