// The main loop: take the record behind the reader, execute it, run the dialog it asked for.
#include "core/executor.hpp"
#include "core/runtime.hpp"
#include "dialogs/dialogs.hpp"
#include "flow/flow.hpp"
#include "host/host.hpp"

namespace korvex {

void run_main_loop(Runtime& runtime, std::int64_t record_limit) {
    try {
        for (std::int64_t executed = 0; record_limit < 0 || executed < record_limit; ++executed) {
            go_to_record(runtime, runtime.instruction_counter + 1);
            switch (execute_record(runtime, runtime.instruction_counter)) {
            case status_stop: return;
            case status_input_dialog: run_input_dialog(runtime); break;
            case status_editor_dialog: run_editor_dialog(runtime); break;
            case status_list_dialog: run_list_dialog(runtime); break;
            default: break;
            }
        }
    } catch (const ScriptEnded&) {
        // The script ran past its last record: an ordinary end.
    }
}

} // namespace korvex
