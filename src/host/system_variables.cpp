// Start values of the system variables 0 to 30.
#include "core/instructions.hpp"
#include "core/runtime.hpp"
#include "core/variables.hpp"
#include "host/host.hpp"
#include "platform/os.hpp"

namespace korvex {

void init_system_variables(Runtime& runtime) {
    declare_variable(runtime, "0");
    set_variable(runtime, "1", runtime.command_line);
    set_variable(runtime, "2", platform::current_directory());
    set_variable(runtime, "3", runtime.module_path);
    set_variable(runtime, "4", "Korvex Echo");
    set_variable(runtime, "5", "Korvex Confirmation");
    set_variable(runtime, "6", platform::environment_variable("windir").value_or(""));
    declare_variable(runtime, "7");
    set_variable(runtime, "8", platform::os_version_name());
    set_variable(runtime, "9", platform::user_name());
    declare_variable(runtime, "12");
    declare_variable(runtime, "11");
    declare_variable(runtime, "10");
    set_variable(runtime, "13", "Ok");
    set_variable(runtime, "14", "Cancel");
    set_variable(runtime, "15", "-1");
    set_variable(runtime, "16", "-1");
    set_variable(runtime, "17", "&Ok");
    set_variable(runtime, "18", "&Cancel");
    set_variable(runtime, "19", "350");
    set_variable(runtime, "20", "238");
    set_variable(runtime, "21", "130");
    set_variable(runtime, "22", "176");
    set_variable(runtime, "23", "&Ok");
    set_variable(runtime, "24", "\n");
    set_variable(runtime, "26", "300");
    set_variable(runtime, "27", "24");
    set_variable(runtime, "28", "-1");
    set_variable(runtime, "29", language_version_text);
    set_variable(runtime, "30", "0");
}

} // namespace korvex
