// The system variables 0 to 30 by name, with what each does when read and when stored, made from the
// one list in system_variables.def. A name from "0" to "30" has the slot of its number.
#pragma once

#include <cstdint>
#include <iterator>

#include "decoder/variable_store.hpp"

namespace korvex {

struct SystemVariable {
#define KORVEX_SYSTEM_VARIABLE(name, number, start, read, store) static constexpr VariableSlot name = number;
#include "core/system_variables.def"
#undef KORVEX_SYSTEM_VARIABLE
};

// Where a start value comes from when it is no text of its own; see system_variables.def.
enum class SystemStart : std::uint8_t {
    none,
    empty,
    command_line,
    current_directory,
    program_path,
    windows_folder,
    system_version,
    user_name,
};
enum class SystemRead : std::uint8_t { stored, computed };
enum class SystemStore : std::uint8_t { keeps, acts };

struct SystemVariableInfo {
    VariableSlot slot;
    SystemRead read;
    SystemStore store;
};

inline constexpr SystemVariableInfo system_variables[] = {
#define KORVEX_SYSTEM_VARIABLE(name, number, start, read, store)                                             \
    {number, SystemRead::read, SystemStore::store},
#include "core/system_variables.def"
#undef KORVEX_SYSTEM_VARIABLE
};
inline constexpr VariableSlot system_variable_count = static_cast<VariableSlot>(std::size(system_variables));

constexpr bool listed_by_number() {
    for (VariableSlot slot = 0; slot < system_variable_count; ++slot)
        if (system_variables[slot].slot != slot) return false;
    return true;
}
static_assert(listed_by_number(),
              "system_variables.def must list the variables by number, from 0, none left out");

// Whether the variable is made anew on every read (the clock, the clipboard).
constexpr bool is_computed_variable(VariableSlot slot) {
    return slot < system_variable_count && system_variables[slot].read == SystemRead::computed;
}
// Whether storing into the variable acts on the desktop as well (button captions, the clipboard, the
// information window).
constexpr bool is_acting_variable(VariableSlot slot) {
    return slot < system_variable_count && system_variables[slot].store == SystemStore::acts;
}

} // namespace korvex
