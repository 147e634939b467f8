// Making a runtime: the system variables' slots, then the decoded stream.
#include "core/runtime.hpp"

#include "core/system_variables.hpp"
#include "platform/desktop.hpp"

namespace korvex {

Runtime::Runtime(Desktop& desktop, std::string stream_bytes)
    : desktop(desktop), script(std::move(stream_bytes)) {
    for (VariableSlot number = 0; number < system_variable_count; ++number)
        variables.intern(std::to_string(number));
    script.decode(variables);
    // Unattended desktops name the record that asked in what they write.
    desktop.follow_record_counter(&reader.instruction_counter);
}

} // namespace korvex
