// Chooses the desktop from the environment variable KORVEX_DESKTOP.
#include "platform/desktop.hpp"
#include "platform/os.hpp"

namespace korvex {

DesktopChoice make_desktop_from_environment() {
    std::string setting = platform::environment_variable("KORVEX_DESKTOP").value_or("");
    const std::string_view scripted = "scripted:";
    if (setting.compare(0, scripted.size(), scripted) == 0) {
        std::string answers = setting.substr(scripted.size());
        std::string transcript =
            platform::environment_variable("KORVEX_TRANSCRIPT").value_or(answers + ".transcript");
        Strictness strictness = platform::environment_variable("KORVEX_STRICT").value_or("") == "1"
                                    ? Strictness::stop
                                    : Strictness::lenient;
        DesktopChoice choice = make_scripted_desktop(answers, transcript, strictness);
        if (choice.desktop) choice.desktop = attach_native_windows(std::move(choice.desktop));
        return choice;
    }
    if (setting == "console") return {make_console_desktop(), {}};
    // A mistyped name must not pass for the desktop that answers nothing unattended.
    if (!setting.empty() && setting != "win32")
        return {nullptr, "unknown KORVEX_DESKTOP \"" + setting + "\": use console, scripted:FILE or win32"};
    return {make_native_desktop(), {}};
}

} // namespace korvex
