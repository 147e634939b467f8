// Keystrokes typed into another window.
#include "core/runtime.hpp"
#include "system/system.hpp"

namespace korvex {

// R033: keystrokes to a window.
std::int32_t handle_send_keys(Runtime&) {
    return status_unknown_opcode;
}

} // namespace korvex
