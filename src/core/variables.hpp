// Store, read and declare variables by name, with the computed (clock, clipboard) and acting
// (button captions, clipboard, information window) system variables.
#pragma once

#include <string>
#include <string_view>

namespace korvex {

struct Runtime;

std::string get_variable(Runtime& runtime, std::string_view name);
void set_variable(Runtime& runtime, std::string_view name, std::string value);
void declare_variable(Runtime& runtime, std::string_view name);

// Letters a to z turned into A to Z; every other byte unchanged.
std::string upper_case_ascii(std::string_view text);
// Blanks (0x20 only) removed at both ends.
std::string_view trim_blanks(std::string_view text);
// Variable 28 and the information window's mode: "-1", or "HIDE" in any case, hides.
bool is_hide_word(std::string_view text);

} // namespace korvex
