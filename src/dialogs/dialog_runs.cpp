// The input, editor and list instructions: each reads its operands, shows its dialog on the desktop
// and stores the answer, or the empty text when the user cancelled, into the output variable.
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

namespace {

// A cancelled or closed dialog stores the empty text, so a script cannot tell it from an empty answer.
void store_answer(Runtime& runtime, std::optional<std::string> answer) {
    ++runtime.host.dialogs_answered;
    set_variable(runtime, runtime.operands.output_variable, std::move(answer).value_or(""));
}

} // namespace

// R008: input box.
Step handle_input_box(Runtime& runtime) {
    read_output_variable(runtime);
    std::string title = read_value(runtime);
    std::string prompt = read_value(runtime);
    std::string default_text = read_value(runtime);
    store_answer(runtime, runtime.desktop.run_input_dialog(title, prompt, default_text));
    return Step::next;
}

// R032: text editor.
Step handle_editor(Runtime& runtime) {
    read_output_variable(runtime);
    EditorDialog dialog;
    dialog.title = read_value(runtime);
    dialog.content = with_crlf_line_ends(read_value(runtime));
    dialog.mode = read_whole_number(editor_mode_text(read_value(runtime))) == 1 ? EditorMode::read_only
                                                                                : EditorMode::editable;
    dialog.width = read_whole_number(get_variable(runtime, SystemVariable::editor_width));
    dialog.height = read_whole_number(get_variable(runtime, SystemVariable::editor_height));
    std::optional<std::string> answer = runtime.desktop.run_editor_dialog(dialog);
    if (answer) answer = without_carriage_returns(*answer);
    store_answer(runtime, std::move(answer));
    return Step::next;
}

// R031: list selection.
Step handle_list_box(Runtime& runtime) {
    read_output_variable(runtime);
    ListDialog dialog;
    dialog.title = read_value(runtime);
    dialog.items = list_items(read_value(runtime));
    dialog.width = read_whole_number(get_variable(runtime, SystemVariable::list_width));
    dialog.height = read_whole_number(get_variable(runtime, SystemVariable::list_height));
    store_answer(runtime, runtime.desktop.run_list_dialog(dialog));
    return Step::next;
}

} // namespace korvex
