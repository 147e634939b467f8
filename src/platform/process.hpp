// Processes and the system around the runtime: starting programs and waiting for them, opening
// documents with the desktop's opener, changing the environment, multimedia commands, pauses, and
// the pieces of the version name. One declaration set; one implementation per operating system,
// except the two pure helpers at the end, which every build shares (and tests run anywhere).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex::platform {

// How a started program's main window is shown; ignored where there are no such windows.
enum class ShowState { show, hide, maximized, minimized };

// Starts a program and goes on at once. A number above 31 means it started; 0 to 31 are the
// small error numbers of Windows (2: file not found, 3: path not found, 5: access denied,
// 11: not a program, 0: out of resources).
std::int32_t start_program(std::string_view command_line, ShowState show);

// Starts a program and waits for its end, keeping the runtime's windows serviced meanwhile. Its
// exit code; nothing when it could not be started or its end could not be confirmed.
std::optional<std::int32_t> run_program_and_wait(std::string_view command_line, ShowState show);

// Runs a program for a tool that stands in for it, and waits for its end: an interrupt, termination
// or hang-up signal (on Windows Ctrl+C and Ctrl+Break) that reaches the tool goes on to the program
// and leaves the tool running, so that it can clean up once the program has ended. Its exit code as
// run_program_and_wait gives it.
std::optional<std::int32_t> run_program_in_place_of_tool(std::string_view command_line);

// Hands a document (or program, or address) to the desktop's opener and goes on at once. A number
// above 32 means it was handed over; 32 or below are the shell's error numbers (2: not found,
// 31: nothing to open it with).
std::int32_t open_with_shell(std::string_view file);

// Sets a variable of the process environment, which programs started later inherit. The name is
// matched without regard to letter case; where the system itself tells spellings apart (POSIX), an
// existing entry keeps its spelling, so that programs looking it up by that spelling still find it.
// False when the environment refuses the name.
bool set_environment_variable(std::string_view name, std::string_view value);
// Removes every entry of that name (letter case ignored); no such entry is no error.
void remove_environment_variable(std::string_view name);

// Sends a command string to the multimedia command interpreter: 0 or its error number.
std::int32_t send_multimedia_command(std::string_view command);
// The error number where there is no multimedia command interpreter ("cannot load driver").
inline constexpr std::int32_t multimedia_unavailable = 266;

// Suspends the calling thread; values of 0 or less return at once.
void sleep_milliseconds(std::int32_t milliseconds);

// The Windows version record: what the version name is made from.
struct VersionRecord {
    std::uint32_t major_version = 0;
    std::uint32_t minor_version = 0;
    std::uint32_t build_number = 0;
    std::uint32_t platform_id = 0;
};
// "95A", "95B", "95C", "98", "98SE", "ME", "NT4", "2000", "XP" or "unknown".
std::string windows_version_name(const VersionRecord& record);

// Splits a command line into the program name and its arguments as Windows programs split theirs:
// blanks and tabs separate, double quotes group, backslashes escape only the quotes they precede.
// The command line ends at its first zero byte.
std::vector<std::string> split_command_line(std::string_view command_line);
// One argument as a command line holds it so that split_command_line gives it back: unchanged when it
// is not empty and has no blank, tab or quote, else quoted, with the backslashes before a quote or
// the closing quote doubled and each quote escaped.
std::string quote_argument(std::string_view argument);

} // namespace korvex::platform
