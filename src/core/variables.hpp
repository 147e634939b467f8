// Store, read and declare variables, by slot or by name, with the computed (clock, clipboard) and
// acting (button captions, clipboard, information window) system variables.
#pragma once

#include <string>
#include <string_view>

#include "base/ascii.hpp"
#include "core/system_variables.hpp"
#include "decoder/variable_store.hpp"

namespace korvex {

struct Runtime;

std::string get_variable(Runtime& runtime, std::string_view name);
void set_variable(Runtime& runtime, std::string_view name, std::string value);
void declare_variable(Runtime& runtime, std::string_view name);

std::string get_variable(Runtime& runtime, VariableSlot slot);
void set_variable(Runtime& runtime, VariableSlot slot, std::string value);
// Stores the result of arithmetic: a whole number is kept as a number and written out when first
// read as text; any other value is written at once, so the text is always the formatted one.
void set_number_variable(Runtime& runtime, VariableSlot slot, double value);
// Stores a text into a variable that does not act when stored, unless it holds that very text already:
// most instructions report the outcome the one before them reported.
void set_variable_unless_held(Runtime& runtime, VariableSlot slot, std::string_view value);

// The value of a computed system variable (core/system_variables.hpp), made anew.
std::string computed_variable(Runtime& runtime, VariableSlot slot);
// The held text of a variable that is not computed, valid until the variable is stored again or a
// new variable is named.
std::string_view variable_text(Runtime& runtime, VariableSlot slot);
// The held value of a variable that is not computed, read as a real number.
double variable_number(Runtime& runtime, VariableSlot slot);

// Blanks (0x20 only) removed at both ends.
std::string_view trim_blanks(std::string_view text);
// Variable 28 and the information window's mode: "-1", or "HIDE" in any case, hides.
bool is_hide_word(std::string_view text);

} // namespace korvex
