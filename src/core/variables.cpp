// The system variables that are computed when read or act when written sit in front of the table.
#include "core/variables.hpp"

#include <cstdio>

#include "core/runtime.hpp"
#include "platform/desktop.hpp"
#include "platform/os.hpp"

namespace korvex {
namespace {

std::string two_digits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

} // namespace

std::string upper_case_ascii(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return result;
}

std::string_view trim_blanks(std::string_view text) {
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

bool is_hide_word(std::string_view text) {
    return text == "-1" || upper_case_ascii(text) == "HIDE";
}

std::string get_variable(Runtime& runtime, std::string_view name) {
    if (name.size() <= 2) {
        if (name == "7") {
            platform::LocalTime now = platform::local_time();
            char text[48];
            std::snprintf(text, sizeof text, "%02d:%02d:%02d", now.hour, now.minute, now.second);
            return text;
        }
        if (name == "12") return std::to_string(platform::local_time().year);
        if (name == "11") return two_digits(platform::local_time().month);
        if (name == "10") return two_digits(platform::local_time().day);
        if (name == "25") return runtime.desktop.clipboard_text();
    }
    const std::string* value = runtime.variables.find(name);
    return value ? *value : std::string();
}

void set_variable(Runtime& runtime, std::string_view name, std::string value) {
    if (name.size() == 2) {
        Desktop& desktop = runtime.desktop;
        if (name == "13")
            desktop.set_button_caption(DialogButton::input_ok, value);
        else if (name == "14")
            desktop.set_button_caption(DialogButton::input_cancel, value);
        else if (name == "17")
            desktop.set_button_caption(DialogButton::editor_ok, value);
        else if (name == "18")
            desktop.set_button_caption(DialogButton::editor_cancel, value);
        else if (name == "23")
            desktop.set_button_caption(DialogButton::list_ok, value);
        else if (name == "25")
            desktop.set_clipboard_text(value);
        else if (name == "28")
            desktop.set_info_window_visible(!is_hide_word(value));
    }
    runtime.variables.store(name, std::move(value));
}

void declare_variable(Runtime& runtime, std::string_view name) {
    runtime.variables.declare(name);
}

} // namespace korvex
