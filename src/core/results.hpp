// How instructions report success in variable 0: "0" for success and "-1" for failure.
#pragma once

#include <string>

#include "core/variables.hpp"

namespace korvex {

inline std::string result_text(bool success) {
    return success ? "0" : "-1";
}

// Stores the outcome in the result variable 0.
inline void report_result(Runtime& runtime, bool success) {
    set_variable_unless_held(runtime, SystemVariable::result, success ? "0" : "-1");
}

} // namespace korvex
