// Start values of the system variables 0 to 30, from the one list in core/system_variables.def.
#include "core/system_variables.hpp"
#include "base/version.hpp"
#include "core/instructions.hpp"
#include "core/runtime.hpp"
#include "core/variables.hpp"
#include "host/host.hpp"
#include "platform/os.hpp"

namespace korvex {
namespace {

void give_start_value(Runtime& runtime, VariableSlot slot, const char* text) {
    set_variable(runtime, slot, text);
}

void give_start_value(Runtime& runtime, VariableSlot slot, SystemStart start) {
    switch (start) {
    case SystemStart::none: break;
    case SystemStart::empty: runtime.variables.declare(slot); break;
    case SystemStart::command_line: set_variable(runtime, slot, runtime.host.command_line); break;
    case SystemStart::current_directory: set_variable(runtime, slot, platform::current_directory()); break;
    case SystemStart::program_path: set_variable(runtime, slot, runtime.host.module_path); break;
    case SystemStart::windows_folder:
        set_variable(runtime, slot, platform::environment_variable("windir").value_or(""));
        break;
    case SystemStart::system_version: set_variable(runtime, slot, platform::os_version_name()); break;
    case SystemStart::user_name: set_variable(runtime, slot, platform::user_name()); break;
    }
}

} // namespace

void init_system_variables(Runtime& runtime) {
    using enum SystemStart;
#define KORVEX_SYSTEM_VARIABLE(name, number, start, read, store)                                             \
    give_start_value(runtime, SystemVariable::name, start);
#include "core/system_variables.def"
#undef KORVEX_SYSTEM_VARIABLE
}

} // namespace korvex
