// The runtime host: start-up, system variables, the main loop and the exit status.
// Floor: host (src/host/); may include every floor below it and host/.
#pragma once

#include <cstdint>
#include <string>

namespace korvex {

struct Runtime;
class Desktop;

// The exit statuses of a program.
namespace exit_status {
// The script ended: the end instruction, a version record of another version, the end of the stream.
inline constexpr int ended = 0;
// It did not run, or not to its end: its executable unreadable, out of memory, no desktop.
inline constexpr int stopped = 1;
// An unattended run met an answer that does not fit its dialog (or, strict, left answers unused).
inline constexpr int answer_misfit = 3;
} // namespace exit_status

// What the platform's program entry hands to the host.
struct ProgramStart {
    // The command-line text after the program name and the blanks behind it.
    std::string command_line;
};

// Runs the program appended to the own executable; returns the process exit status.
int run_program(const ProgramStart& start);

// Gives variables 0 to 30 their start values, in their start-up order.
void init_system_variables(Runtime& runtime);

// Executes records until the end instruction, a failed version check or the end of the stream, or
// until record_limit records have run (tests bound a run so).
void run_main_loop(Runtime& runtime, std::int64_t record_limit = -1);

} // namespace korvex
