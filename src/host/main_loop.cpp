// The main loop: take the record behind the reader, execute it, run the dialog it asked for.
#include "core/executor.hpp"
#include "core/runtime.hpp"
#include "dialogs/dialogs.hpp"
#include "flow/flow.hpp"
#include "host/host.hpp"
#include "host/trace.hpp"

namespace korvex {

namespace {

// The loop itself; the traced form writes a line per record, the other never looks at the trace.
template <bool traced> void run_records(Runtime& runtime, std::int64_t record_limit) {
    bool in_record = false;
    try {
        for (std::int64_t executed = 0; record_limit < 0 || executed < record_limit; ++executed) {
            go_to_record(runtime, runtime.instruction_counter + 1);
            const std::int32_t number = runtime.instruction_counter;
            if constexpr (traced) {
                runtime.trace->before(runtime, number);
                in_record = true;
            }
            const std::int32_t status = execute_record(runtime, number);
            switch (status) {
            case status_input_dialog: run_input_dialog(runtime); break;
            case status_editor_dialog: run_editor_dialog(runtime); break;
            case status_list_dialog: run_list_dialog(runtime); break;
            default: break;
            }
            if constexpr (traced) {
                in_record = false;
                runtime.trace->after(runtime, status);
            }
            if (status == status_stop) return;
        }
    } catch (const ScriptEnded&) {
        // The script ran past its last record: an ordinary end.
        if constexpr (traced)
            if (in_record) runtime.trace->ended_in_record(runtime);
    }
}

} // namespace

void run_main_loop(Runtime& runtime, std::int64_t record_limit) {
    if (runtime.trace != nullptr)
        run_records<true>(runtime, record_limit);
    else
        run_records<false>(runtime, record_limit);
}

} // namespace korvex
