// Reads the operands of the current instruction: references, literals, joined values, conditions.
// Handlers call the readers in the order of their operands; nothing is read outside the record.
#pragma once

#include <string>

namespace korvex {

struct Runtime;

std::string read_token(Runtime& runtime, char delimiter);
std::string read_value(Runtime& runtime);
bool evaluate_condition(Runtime& runtime);

// The handler conventions: an output reference first (its name is kept in output_variable), then
// values, stepping over the opening character of each operand that follows another.
const std::string& read_output_variable(Runtime& runtime);
std::string read_next_value(Runtime& runtime);

} // namespace korvex
