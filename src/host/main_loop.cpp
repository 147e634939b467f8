// The main loop: take the record behind the reader, execute it, go on unless it stopped the script.
#include "core/executor.hpp"
#include "core/runtime.hpp"
#include "host/host.hpp"
#include "host/trace.hpp"

namespace korvex {

namespace {

// The loop itself; the watched form tells a watcher of each record, the other never looks for one.
template <bool watched>
void run_records(Runtime& runtime, std::int64_t record_limit, RecordWatcher* watcher) {
    bool in_record = false;
    try {
        for (std::int64_t executed = 0; record_limit < 0 || executed < record_limit; ++executed) {
            go_to_record(runtime, runtime.reader.instruction_counter + 1);
            const std::int32_t number = runtime.reader.instruction_counter;
            if constexpr (watched) {
                if (!watcher->before(runtime, number)) return;
                in_record = true;
            }
            const Step step = execute_record(runtime, number);
            if constexpr (watched) {
                in_record = false;
                if (!watcher->after(runtime, step)) return;
            }
            if (step == Step::stop) return;
        }
    } catch (const ScriptEnded&) {
        // The script ran past its last record: an ordinary end.
        if constexpr (watched)
            if (in_record) watcher->ended_in_record(runtime);
    }
}

} // namespace

void run_main_loop(Runtime& runtime, std::int64_t record_limit) {
    if (runtime.host.trace != nullptr)
        run_records<true>(runtime, record_limit, runtime.host.trace);
    else
        run_records<false>(runtime, record_limit, nullptr);
}

void run_main_loop(Runtime& runtime, std::int64_t record_limit, RecordWatcher& watcher) {
    run_records<true>(runtime, record_limit, &watcher);
}

} // namespace korvex
