// Start-up: the desktop and its windows, the own executable and its stream, the system variables,
// the main loop, the exit status.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

#include "base/stream.hpp"
#include "core/runtime.hpp"
#include "host/host.hpp"
#include "host/trace.hpp"
#include "platform/desktop.hpp"
#include "platform/os.hpp"

namespace korvex {
namespace {

// The stream behind the own executable; nothing when the executable cannot be read. Only the
// executable's headers and the stream are read: an image of unknown format has no stream we could
// find, and runs as an empty script.
std::optional<std::string> open_stream() {
    return platform::read_own_executable_behind([](std::string_view file) {
        return executable_image_length(file).value_or(file.size()) + banner_length;
    });
}

// Why the program stops before it ends, for whoever started it: no window can be relied on then.
void tell_failure(const std::string& reason) {
    std::fprintf(stderr, "korvex: %s\n", reason.c_str());
    std::fflush(stderr);
}

// Answers prepared for an unattended run that no dialog took are told on standard error; with
// KORVEX_STRICT=1 they fail the run (status 3), as a script that asked less than its author expected.
int report_unused_answers(const Desktop& desktop) {
    std::vector<std::string> unused = desktop.unused_answers();
    if (unused.empty()) return exit_status::ended;
    tell_failure(std::to_string(unused.size()) + (unused.size() == 1 ? " answer was" : " answers were") +
                 " left unused, the first: \"" + unused.front() + "\"");
    bool strict = platform::environment_variable("KORVEX_STRICT").value_or("") == "1";
    return strict ? exit_status::answer_misfit : exit_status::ended;
}

int run_within_memory(const ProgramStart& start) {
    DesktopChoice choice = make_desktop_from_environment();
    if (!choice.desktop) {
        if (choice.failure.empty()) return exit_status::ended;
        tell_failure(choice.failure);
        return choice.failure_status;
    }
    Desktop& desktop = *choice.desktop;
    TraceSetting trace = trace_from_environment();
    if (trace.error) {
        tell_failure(*trace.error);
        return exit_status::stopped;
    }
    if (trace.trace) {
        TracePlaces places = trace_places_from_environment();
        if (places.error) {
            tell_failure(*places.error);
            return exit_status::stopped;
        }
        trace.trace->name_places(std::move(places.places));
    }
    std::optional<std::string> stream = open_stream();
    if (!stream) {
        const std::string why = platform::last_system_error();
        tell_failure("Error in file: the program cannot read itself (" + platform::own_executable_path() +
                     "): " + why);
        desktop.message_box("Error in file", "KX4", message_box_style::ok | message_box_style::icon_stop);
        return exit_status::stopped;
    }
    // A runtime with nothing appended, started by hand, says what it is; as a program it just ends.
    if (stream->empty() && platform::standard_error_is_terminal()) {
        tell_failure(
            "this is the Korvex runtime with no script appended; pack one with: kxpack SCRIPT.kxs -o "
            "PROGRAM");
        return exit_status::ended;
    }
    // The stream moves into the runtime: start-up never holds it twice.
    auto runtime = std::make_unique<Runtime>(desktop, std::move(*stream));
    stream.reset();
    runtime->host.module_path = platform::own_executable_path();
    runtime->host.command_line = start.command_line;
    runtime->host.trace = trace.trace.get();
    try {
        init_system_variables(*runtime); // writes the start-up lines of a transcript
        run_main_loop(*runtime);
        if (runtime->host.trace) runtime->host.trace->finish();
        desktop.finish_run();
    } catch (const AnswerDoesNotFit& misfit) {
        tell_failure(misfit.message + "; the program stops");
        return exit_status::answer_misfit;
    } catch (const OutputLost& lost) {
        tell_failure(lost.message);
        return exit_status::stopped;
    }
    return report_unused_answers(desktop);
}

} // namespace

int run_program(const ProgramStart& start) {
    try {
        return run_within_memory(start);
    } catch (const std::bad_alloc&) {
        // A program too large for the memory it may use, or a script that asks for more than there
        // is (a text doubled in a loop), stops here; the exit status tells that it did not run to
        // its end.
        tell_failure("out of memory: the program stops");
        return exit_status::stopped;
    } catch (const std::length_error&) {
        // The same, for a text longer than a text can be (a 32-bit build reaches this first).
        tell_failure("out of memory: a text grew longer than a text can be; the program stops");
        return exit_status::stopped;
    }
}

} // namespace korvex
