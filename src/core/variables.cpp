// The system variables that are computed when read or act when written sit in front of the table.
#include "core/variables.hpp"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "base/numbers.hpp"
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

std::string read_time(Runtime&) {
    platform::LocalTime now = platform::local_time();
    char text[48];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", now.hour, now.minute, now.second);
    return text;
}
std::string read_year(Runtime&) {
    return std::to_string(platform::local_time().year);
}
std::string read_month(Runtime&) {
    return two_digits(platform::local_time().month);
}
std::string read_day(Runtime&) {
    return two_digits(platform::local_time().day);
}
std::string read_clipboard(Runtime& runtime) {
    return runtime.desktop.clipboard_text();
}

void act_on_input_ok_caption(Runtime& runtime, const std::string& value) {
    runtime.desktop.set_button_caption(DialogButton::input_ok, value);
}
void act_on_input_cancel_caption(Runtime& runtime, const std::string& value) {
    runtime.desktop.set_button_caption(DialogButton::input_cancel, value);
}
void act_on_editor_ok_caption(Runtime& runtime, const std::string& value) {
    runtime.desktop.set_button_caption(DialogButton::editor_ok, value);
}
void act_on_editor_cancel_caption(Runtime& runtime, const std::string& value) {
    runtime.desktop.set_button_caption(DialogButton::editor_cancel, value);
}
void act_on_list_ok_caption(Runtime& runtime, const std::string& value) {
    runtime.desktop.set_button_caption(DialogButton::list_ok, value);
}
void act_on_clipboard(Runtime& runtime, const std::string& value) {
    runtime.desktop.set_clipboard_text(value);
}
void act_on_information_mode(Runtime& runtime, const std::string& value) {
    runtime.desktop.set_info_window_visible(!is_hide_word(value));
}

// The cases of the computed reads and the acting stores, one for each variable the list marks so.
#define KORVEX_READ_stored(name)
#define KORVEX_READ_computed(name)                                                                           \
    case SystemVariable::name:                                                                               \
        return read_##name(runtime);
#define KORVEX_STORE_keeps(name)
#define KORVEX_STORE_acts(name)                                                                              \
    case SystemVariable::name: act_on_##name(runtime, value); break;

} // namespace

std::string_view trim_blanks(std::string_view text) {
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

bool is_hide_word(std::string_view text) {
    return text == "-1" || upper_case_ascii(text) == "HIDE";
}

std::string computed_variable(Runtime& runtime, VariableSlot slot) {
    switch (slot) {
#define KORVEX_SYSTEM_VARIABLE(name, number, start, read, store) KORVEX_READ_##read(name)
#include "core/system_variables.def"
#undef KORVEX_SYSTEM_VARIABLE
    default: return {};
    }
}

std::string_view variable_text(Runtime& runtime, VariableSlot slot) {
    VariableStore& store = runtime.variables;
    if (store.holds_number(slot) && !store.holds_text(slot))
        store.keep_text(slot, format_number(store.number(slot)));
    return store.text(slot);
}

double variable_number(Runtime& runtime, VariableSlot slot) {
    VariableStore& store = runtime.variables;
    if (store.holds_number(slot)) return store.number(slot);
    double number = read_real_number(store.text(slot));
    // Kept beside a text only: a variable never stored must still read as "".
    if (store.holds_text(slot)) store.keep_number(slot, number);
    return number;
}

std::string get_variable(Runtime& runtime, VariableSlot slot) {
    if (is_computed_variable(slot)) return computed_variable(runtime, slot);
    return std::string(variable_text(runtime, slot));
}

std::string get_variable(Runtime& runtime, std::string_view name) {
    VariableSlot slot = runtime.variables.find_slot(name);
    return slot == VariableStore::no_slot ? std::string() : get_variable(runtime, slot);
}

namespace {

void act_on_store(Runtime& runtime, VariableSlot slot, const std::string& value) {
    switch (slot) {
#define KORVEX_SYSTEM_VARIABLE(name, number, start, read, store) KORVEX_STORE_##store(name)
#include "core/system_variables.def"
#undef KORVEX_SYSTEM_VARIABLE
    default: break;
    }
}

} // namespace

void set_variable(Runtime& runtime, VariableSlot slot, std::string value) {
    act_on_store(runtime, slot, value);
    runtime.variables.store_text(slot, std::move(value));
}

namespace {

// Kept apart so that the path storing a number alone saves no registers for it.
[[gnu::noinline]] void set_number_variable_as_text(Runtime& runtime, VariableSlot slot, double value) {
    set_variable(runtime, slot, format_number(value));
}

} // namespace

void set_number_variable(Runtime& runtime, VariableSlot slot, double value) {
    // Whole numbers up to 2^53 are written with all their digits, so reading the text back gives the
    // same number; other values are kept only as the text they are written as. Within that range the
    // conversion to 64 bits is exact, and it drops what a fraction the value has.
    constexpr double exact_limit = 9007199254740992.0;
    bool exact = value >= -exact_limit && value <= exact_limit &&
                 static_cast<double>(static_cast<std::int64_t>(value)) == value;
    if (exact && !is_acting_variable(slot) && runtime.options.value_shortcuts)
        runtime.variables.store_number(slot, value);
    else
        set_number_variable_as_text(runtime, slot, value);
}

void set_variable_unless_held(Runtime& runtime, VariableSlot slot, std::string_view value) {
    const VariableStore& store = runtime.variables;
    if (runtime.options.value_shortcuts && store.holds_text(slot) && store.text(slot) == value) return;
    set_variable(runtime, slot, std::string(value));
}

void set_variable(Runtime& runtime, std::string_view name, std::string value) {
    set_variable(runtime, runtime.variables.intern(name), std::move(value));
}

void declare_variable(Runtime& runtime, std::string_view name) {
    runtime.variables.declare(runtime.variables.intern(name));
}

} // namespace korvex
