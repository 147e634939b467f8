// The main loop: read a record, execute it, run the dialog it asked for.
#include "core/executor.hpp"
#include "core/runtime.hpp"
#include "dialogs/dialogs.hpp"
#include "flow/flow.hpp"
#include "host/host.hpp"

namespace korvex {

void run_main_loop(Runtime& runtime) {
    std::int32_t status = status_continue;
    try {
        while (!runtime.script.at_end() && status != status_stop) {
            runtime.current_instruction = read_instruction(runtime);
            status = execute_instruction(runtime);
            switch (status) {
            case status_input_dialog: run_input_dialog(runtime); break;
            case status_editor_dialog: run_editor_dialog(runtime); break;
            case status_list_dialog: run_list_dialog(runtime); break;
            default: break;
            }
        }
    } catch (const ScriptEnded&) {
        // The stream ran out in the middle of a record: an ordinary end.
    }
}

} // namespace korvex
