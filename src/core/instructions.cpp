// The version record, declarations and assignments.
#include "core/instructions.hpp"

#include "core/numbers.hpp"
#include "core/operands.hpp"
#include "core/runtime.hpp"
#include "core/variables.hpp"
#include "platform/desktop.hpp"

namespace korvex {

// RRLR: the version check.
std::int32_t handle_version_check(Runtime& runtime) {
    // Compared in single precision, so 4.40 and " 4.4" pass while 4.5 and "" do not.
    float version = static_cast<float>(read_real_number(read_value(runtime)));
    if (version == language_version) return status_continue;
    runtime.desktop.message_box(
        "ERROR: RTL uses newer KXRL-specification!\nThis may result unpredictable results.",
        "Korvex Runtime Language Conflict", message_box_style::ok | message_box_style::icon_stop);
    return status_stop;
}

// R000: declares variables.
std::int32_t handle_declare(Runtime& runtime) {
    declare_variable(runtime, read_token(runtime, ']'));
    const std::string& record = runtime.current_instruction;
    while (runtime.parse_position >= 0 && static_cast<std::size_t>(runtime.parse_position) < record.size() &&
           record[runtime.parse_position] == '[') {
        runtime.parse_position += 1;
        declare_variable(runtime, read_token(runtime, ']'));
    }
    return status_continue;
}

// R001: assigns a value.
std::int32_t handle_assign(Runtime& runtime) {
    std::string name = read_output_variable(runtime);
    set_variable(runtime, name, read_next_value(runtime));
    return status_continue;
}

} // namespace korvex
