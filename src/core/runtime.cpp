// Making a runtime: the system variables' slots, then the decoded stream.
#include "core/runtime.hpp"

namespace korvex {

Runtime::Runtime(Desktop& desktop, std::string stream_bytes)
    : desktop(desktop), script(std::move(stream_bytes)) {
    for (int number = 0; number <= 30; ++number) variables.intern(std::to_string(number));
    script.decode(variables);
}

} // namespace korvex
