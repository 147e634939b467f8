// The input, editor and list instructions and the dialog runs the main loop performs for them.
// The instructions only keep their operands in the runtime; the runs show the dialog on the desktop
// and store the answer, or the empty text when the user cancelled, into the output variable.
#include <optional>

#include "base/numbers.hpp"
#include "core/operands.hpp"
#include "core/runtime.hpp"
#include "core/variables.hpp"
#include "dialogs/dialogs.hpp"
#include "platform/desktop.hpp"

namespace korvex {

std::string editor_mode_text(std::string_view mode) {
    std::string name = upper_case_ascii(trim_blanks(mode));
    if (name == "EDITABLE") return "0";
    if (name == "READONLY") return "1";
    return name;
}

std::string with_crlf_line_ends(std::string_view text) {
    std::string result;
    result.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        // A line end that already is CR LF stays as it is: doubling its CR would add a stray break.
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) result += '\r';
        result += text[i];
    }
    return result;
}

std::string without_carriage_returns(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (char c : text)
        if (c != '\r') result += c;
    return result;
}

std::vector<std::string> list_items(std::string_view text) {
    std::vector<std::string> items;
    std::size_t start = 0;
    for (;;) {
        std::size_t bar = text.find('|', start);
        items.emplace_back(
            text.substr(start, bar == std::string_view::npos ? std::string_view::npos : bar - start));
        if (bar == std::string_view::npos) return items;
        start = bar + 1;
    }
}

// R008: input box.
std::int32_t handle_input_box(Runtime& runtime) {
    read_output_variable(runtime);
    runtime.dialog_title = read_value(runtime);
    runtime.dialog_text = read_value(runtime);
    runtime.dialog_default = read_value(runtime);
    return status_input_dialog;
}

// R032: text editor.
std::int32_t handle_editor(Runtime& runtime) {
    read_output_variable(runtime);
    runtime.dialog_title = read_value(runtime);
    runtime.dialog_text = read_value(runtime);
    runtime.dialog_default = editor_mode_text(read_value(runtime));
    runtime.editor_mode = read_whole_number(runtime.dialog_default);
    return status_editor_dialog;
}

// R031: list selection.
std::int32_t handle_list_box(Runtime& runtime) {
    read_output_variable(runtime);
    runtime.dialog_title = read_value(runtime);
    runtime.dialog_text = read_value(runtime);
    return status_list_dialog;
}

namespace {

// A cancelled or closed dialog stores the empty text, so a script cannot tell it from an empty answer.
void store_answer(Runtime& runtime, std::optional<std::string> answer) {
    set_variable(runtime, runtime.output_variable, std::move(answer).value_or(""));
}

} // namespace

void run_input_dialog(Runtime& runtime) {
    store_answer(runtime, runtime.desktop.run_input_dialog(runtime.dialog_title, runtime.dialog_text,
                                                           runtime.dialog_default));
}

void run_editor_dialog(Runtime& runtime) {
    runtime.dialog_text = with_crlf_line_ends(runtime.dialog_text);
    EditorDialog dialog;
    dialog.title = runtime.dialog_title;
    dialog.content = runtime.dialog_text;
    dialog.mode = runtime.editor_mode == 1 ? EditorMode::read_only : EditorMode::editable;
    dialog.width = read_whole_number(get_variable(runtime, SystemVariable::editor_width));
    dialog.height = read_whole_number(get_variable(runtime, SystemVariable::editor_height));
    std::optional<std::string> answer = runtime.desktop.run_editor_dialog(dialog);
    if (answer) answer = without_carriage_returns(*answer);
    store_answer(runtime, std::move(answer));
}

void run_list_dialog(Runtime& runtime) {
    ListDialog dialog;
    dialog.title = runtime.dialog_title;
    dialog.items = list_items(runtime.dialog_text);
    dialog.width = read_whole_number(get_variable(runtime, SystemVariable::list_width));
    dialog.height = read_whole_number(get_variable(runtime, SystemVariable::list_height));
    store_answer(runtime, runtime.desktop.run_list_dialog(dialog));
}

} // namespace korvex
