// The non-modal information window: one instruction sets its size and text and shows or hides it;
// the visibility itself is the side effect of storing variable 28.
#include "base/numbers.hpp"
#include "core/operands.hpp"
#include "core/runtime.hpp"
#include "core/variables.hpp"
#include "dialogs/dialogs.hpp"
#include "platform/desktop.hpp"

namespace korvex {

// R038: information window.
Step handle_info_window(Runtime& runtime) {
    std::string text = read_value(runtime);
    std::string mode = read_value(runtime);
    int width = read_whole_number(get_variable(runtime, SystemVariable::information_width));
    int height = read_whole_number(get_variable(runtime, SystemVariable::information_height));
    runtime.desktop.place_info_window(text, width, height);
    set_variable(runtime, SystemVariable::information_mode, is_hide_word(mode) ? "-1" : "0");
    return Step::next;
}

} // namespace korvex
