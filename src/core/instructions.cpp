// The version record, declarations and assignments.
#include "core/instructions.hpp"

#include "base/numbers.hpp"
#include "core/operands.hpp"
#include "core/runtime.hpp"
#include "core/variables.hpp"
#include "platform/desktop.hpp"

namespace korvex {

// RRLR: the version check.
Step handle_version_check(Runtime& runtime) {
    // Compared in single precision, so 4.40 and " 4.4" pass while 4.5 and "" do not.
    float version = static_cast<float>(read_real_number(read_value(runtime)));
    if (version == language_version) return Step::next;
    runtime.desktop.message_box(
        "ERROR: RTL uses newer KXRL-specification!\nThis may result unpredictable results.",
        "Korvex Runtime Language Conflict", message_box_style::ok | message_box_style::icon_stop);
    return Step::stop;
}

// R000: declares variables.
Step handle_declare(Runtime& runtime) {
    while (has_operands_left(runtime)) runtime.variables.declare(read_output_variable(runtime));
    return Step::next;
}

// R001: assigns a value; a value that starts with the variable itself is appended in place.
Step handle_assign(Runtime& runtime) {
    VariableSlot name = read_output_variable(runtime);
    if (append_in_place(runtime, name)) {
        runtime.variables.text_changed(name);
        return Step::next;
    }
    set_variable(runtime, name, read_value(runtime));
    return Step::next;
}

} // namespace korvex
