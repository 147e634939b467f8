// Start-up: the desktop and its windows, the own executable and its stream, the system variables,
// the main loop, the exit status.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>
#include <stdexcept>

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
std::optional<std::string> open_stream(const std::string& module_path) {
    if (module_path.empty()) return std::nullopt;
    return platform::read_file_behind(module_path, [](std::string_view file) {
        return executable_image_length(file).value_or(file.size()) + banner_length;
    });
}

} // namespace

int run_program(const ProgramStart& start) {
    std::unique_ptr<Desktop> desktop = make_desktop_from_environment();
    if (!desktop) return 0;
    std::string module_path = platform::own_executable_path();
    std::optional<std::string> stream = open_stream(module_path);
    if (!stream) {
        desktop->message_box("Error in file", "KX4", message_box_style::ok | message_box_style::icon_stop);
        return 1;
    }
    TraceSetting trace = trace_from_environment();
    if (trace.error) {
        std::fprintf(stderr, "korvex: %s\n", trace.error->c_str());
        return 1;
    }
    try {
        auto runtime = std::make_unique<Runtime>(*desktop, std::move(*stream));
        runtime->module_path = std::move(module_path);
        runtime->command_line = start.command_line;
        runtime->trace = trace.trace.get();
        init_system_variables(*runtime);
        run_main_loop(*runtime);
    } catch (const std::bad_alloc&) {
        // A script that asks for more memory than there is (a text doubled in a loop) stops here,
        // and the exit status tells that it did not run to its end.
        return 1;
    } catch (const std::length_error&) {
        // The same, for a text longer than a text can be (a 32-bit build reaches this first).
        return 1;
    }
    return 0;
}

} // namespace korvex
