// Store, read and declare variables, by slot or by name, with the computed (clock, clipboard) and
// acting (button captions, clipboard, information window) system variables.
#pragma once

#include <string>
#include <string_view>

#include "base/ascii.hpp"
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

// Storing into 13, 14, 17, 18, 23 (button captions), 25 (the clipboard) and 28 (the information
// window) acts on the desktop as well.
inline bool is_acting_variable(VariableSlot slot) {
    return slot == 13 || slot == 14 || slot == 17 || slot == 18 || slot == 23 || slot == 25 || slot == 28;
}
// 7, 10, 11 and 12 (the clock) and 25 (the clipboard) are made anew on every read.
inline bool is_computed_variable(VariableSlot slot) {
    return slot == 7 || slot == 10 || slot == 11 || slot == 12 || slot == 25;
}
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
