// Environment variables, multimedia command strings and pauses.
//
// The process environment is the table scripts see, with one addition: an assignment with an
// empty value to a name that has no entry creates an entry that is found and reads "", yet stays
// out of the process environment, so programs started later do not see it. Those entries are kept
// in the runtime beside the environment.
#include "base/ascii.hpp"
#include "base/numbers.hpp"
#include "core/operands.hpp"
#include "core/results.hpp"
#include "core/runtime.hpp"
#include "core/variables.hpp"
#include "platform/os.hpp"
#include "platform/process.hpp"
#include "system/system.hpp"

namespace korvex {
namespace {

bool forget_empty_entry(Runtime& runtime, const std::string& upper_name) {
    return runtime.environment.empty_names.erase(upper_name) > 0;
}

std::optional<std::string> lookup(Runtime& runtime, std::string_view name) {
    if (name.empty()) return std::nullopt;
    if (std::optional<std::string> value = platform::environment_variable(name)) return value;
    if (runtime.environment.empty_names.contains(upper_case_ascii(name))) return std::string();
    return std::nullopt;
}

// Sets name to value in the runtime's table; false when the table refuses it.
bool assign(Runtime& runtime, std::string_view name, std::string_view value) {
    if (name.empty()) return false;
    std::string upper_name = upper_case_ascii(name);
    if (!value.empty()) {
        forget_empty_entry(runtime, upper_name);
        return platform::set_environment_variable(name, value);
    }
    bool existed =
        forget_empty_entry(runtime, upper_name) || platform::environment_variable(name).has_value();
    platform::remove_environment_variable(name);
    if (!existed) runtime.environment.empty_names.insert(std::move(upper_name));
    return true;
}

} // namespace

// R015: reads an environment variable.
Step handle_read_environment(Runtime& runtime) {
    VariableSlot name = read_output_variable(runtime);
    std::string operand = read_value(runtime);
    std::string_view wanted = trim_blanks(text_before_zero(operand));
    std::optional<std::string> value = lookup(runtime, wanted);
    set_variable(runtime, name, value.value_or(""));
    report_result(runtime, value.has_value());
    return Step::next;
}

// R016: sets an environment variable.
Step handle_set_environment(Runtime& runtime) {
    std::string operand = read_value(runtime);
    std::string_view assignment = text_before_zero(operand);
    std::size_t equals = assignment.find('=');
    bool done = equals != std::string_view::npos &&
                assign(runtime, assignment.substr(0, equals), assignment.substr(equals + 1));
    report_result(runtime, done);
    return Step::next;
}

// R029: multimedia command string.
Step handle_multimedia(Runtime& runtime) {
    std::string command = read_value(runtime);
    set_variable(runtime, SystemVariable::result,
                 whole_number_text(platform::send_multimedia_command(command)));
    return Step::next;
}

// R036: pauses.
Step handle_wait(Runtime& runtime) {
    platform::sleep_milliseconds(read_whole_number(read_value(runtime)));
    return Step::next;
}

} // namespace korvex
