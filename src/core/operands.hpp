// Reads the operands of the record being executed, in the order the record was decoded with: an
// output reference first where the instruction has one, then its values.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "decoder/variable_store.hpp"

namespace korvex {

struct Runtime;
struct DecodedProgram;
struct DecodedRecord;

// Makes record the one whose operands the readers below take.
void begin_record(Runtime& runtime, const DecodedProgram& program, const DecodedRecord& record);

// The next operand as the name of the variable that receives a result; kept in output_variable.
VariableSlot read_output_variable(Runtime& runtime);
// The next operand's text: a reference's value, a literal, or the items of a joined value.
std::string read_value(Runtime& runtime);
// The same as a view: into the script, into a variable (valid until it is stored again) or into storage.
std::string_view read_value_view(Runtime& runtime, std::string& storage);
// The next operand read as a real number.
double read_number(Runtime& runtime);
// The next operand read as read_whole_number reads its text (a line number, a count).
std::int32_t read_whole_number_operand(Runtime& runtime);
// The next operand as an operator or connective byte (arithmetic and conditions).
char read_operator(Runtime& runtime);
// The record's remaining operands as a chain of comparisons, left to right without precedence.
bool evaluate_condition(Runtime& runtime);
// For a value that starts with the variable `slot` itself: steps over that item, appends the value's
// other items to the text the variable holds and gives that text, to which the caller may append
// more before it calls text_changed. Nothing (and nothing read) when the value starts otherwise, when
// a later operand names the variable again, or when the variable is computed or acts when stored.
std::string* append_in_place(Runtime& runtime, VariableSlot slot);
// The slot of the next operand when it is one variable that is not computed; nothing is read.
std::optional<VariableSlot> next_plain_variable(const Runtime& runtime);
// True while the record has operands left.
bool has_operands_left(const Runtime& runtime);

// A record of exactly an output variable, a value, an operator and a value, both values numbers that
// variables hold or literals: what read_output_variable, read_number, read_operator and read_number
// would give, read without reading any text.
struct HeldOperation {
    VariableSlot output = 0;
    double left = 0;
    char operation = 0;
    double right = 0;
};
// Reads such a record whole and gives true; reads nothing and gives false for any other record.
bool read_held_operation(Runtime& runtime, HeldOperation& operation);

} // namespace korvex
