// The runtime host: start-up, system variables, the main loop and the exit status.
// Floor: host (src/host/); may include every floor below it and host/.
#pragma once

#include <cstdint>
#include <string>

#include "base/exit_status.hpp"
#include "core/handlers.hpp"

namespace korvex {

struct Runtime;
class Desktop;

// What the platform's program entry hands to the host.
struct ProgramStart {
    // The command-line text after the program name and the blanks behind it.
    std::string command_line;
};

// Runs the program appended to the own executable; returns the process exit status.
int run_program(const ProgramStart& start);

// Gives variables 0 to 30 their start values, in their start-up order.
void init_system_variables(Runtime& runtime);

// Looks at a run record by record: the trace, and the guard of the executor fuzzer.
class RecordWatcher {
public:
    // Before record `number` runs; false stops the run there, the record not run.
    virtual bool before(const Runtime& runtime, std::int32_t number) = 0;
    // After the record ran with this step; false stops the run.
    virtual bool after(const Runtime& runtime, Step step) = 0;
    // The script ended in the middle of the record: a jump to a missing label, a skip past the end.
    virtual void ended_in_record(const Runtime& runtime) = 0;

protected:
    ~RecordWatcher() = default;
};

// Executes records until the end instruction, a failed version check or the end of the stream, or
// until record_limit records have run (tests bound a run so); the runtime's trace, if any, watches.
void run_main_loop(Runtime& runtime, std::int64_t record_limit = -1);
// The same, watched by `watcher` instead.
void run_main_loop(Runtime& runtime, std::int64_t record_limit, RecordWatcher& watcher);

} // namespace korvex
