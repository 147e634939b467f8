// Message boxes with a button set, the information notice and the yes/no confirmation.
#include "base/numbers.hpp"
#include "core/operands.hpp"
#include "core/runtime.hpp"
#include "core/variables.hpp"
#include "dialogs/dialogs.hpp"
#include "platform/desktop.hpp"

namespace korvex {
namespace {

// A button-set name, or the style number written directly.
std::uint32_t button_set_style(std::string_view button_set) {
    std::string name = upper_case_ascii(trim_blanks(button_set));
    for (std::uint32_t i = 0; i < std::size(message_box_style::button_set_names); ++i)
        if (name == message_box_style::button_set_names[i]) return i;
    return static_cast<std::uint32_t>(read_whole_number(name));
}

} // namespace

// R007: message box with a button set.
Step handle_message_box(Runtime& runtime) {
    std::string title = read_value(runtime);
    std::string text = read_value(runtime);
    std::uint32_t style = button_set_style(read_value(runtime)) | message_box_style::set_foreground;
    int code = runtime.desktop.message_box(text, title, style);
    set_variable(runtime, SystemVariable::result, whole_number_text(code));
    return Step::next;
}

// R027: information notice.
Step handle_notice(Runtime& runtime) {
    std::string text = read_value(runtime);
    runtime.desktop.message_box(text, get_variable(runtime, SystemVariable::notice_title),
                                message_box_style::ok | message_box_style::icon_information |
                                    message_box_style::set_foreground);
    return Step::next;
}

// R028: yes/no confirmation.
Step handle_confirmation(Runtime& runtime) {
    VariableSlot name = read_output_variable(runtime);
    std::string title = get_variable(runtime, SystemVariable::confirmation_title);
    std::string text = read_value(runtime);
    int code = runtime.desktop.message_box(text, title,
                                           message_box_style::yes_no | message_box_style::icon_question |
                                               message_box_style::set_foreground);
    set_variable(runtime, name, code == button_code::yes ? "0" : "-1");
    return Step::next;
}

} // namespace korvex
