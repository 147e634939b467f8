// Making a runtime: the system variables' slots, then the decoded stream.
#include "core/runtime.hpp"

#include "platform/desktop.hpp"

namespace korvex {

Runtime::Runtime(Desktop& desktop, std::string stream_bytes)
    : desktop(desktop), script(std::move(stream_bytes)) {
    for (int number = 0; number <= 30; ++number) variables.intern(std::to_string(number));
    script.decode(variables);
    // Unattended desktops name the record that asked in what they write.
    desktop.follow_record_counter(&instruction_counter);
}

} // namespace korvex
