// Wildcard matching of whole names by the rules of the Windows directory search, for systems whose
// directory listing has none.
#include "platform/files.hpp"

#include <vector>

#include "base/ascii.hpp"

namespace korvex::platform {

bool wildcard_match(std::string_view pattern, std::string_view name) {
    // Row i tells for every name position j whether the pattern from i matches the name from j.
    // Rows are filled from the pattern's end backwards, each from the one after it, so no pattern
    // of stars takes more than pattern length times name length steps.
    std::vector<char> next(name.size() + 1, 0), row(name.size() + 1, 0);
    const std::size_t last_dot = name.rfind('.');
    next[name.size()] = 1;
    for (std::size_t i = pattern.size(); i-- > 0;) {
        for (std::size_t j = name.size() + 1; j-- > 0;) {
            const bool name_ended = j == name.size();
            bool result = false;
            switch (pattern[i]) {
            case '*': {
                // A star before a "." stops at the name's last ".", so "*." finds names without one.
                bool may_take =
                    !name_ended && !(j == last_dot && i + 1 < pattern.size() && pattern[i + 1] == '.');
                result = next[j] || (may_take && row[j + 1]);
                break;
            }
            case '?':
                result = (!name_ended && next[j + 1]) || ((name_ended || name[j] == '.') && next[j]);
                break;
            case '.': result = name_ended ? next[j] : name[j] == '.' && next[j + 1]; break;
            default:
                result =
                    !name_ended && upper_case_byte(pattern[i]) == upper_case_byte(name[j]) && next[j + 1];
            }
            row[j] = result ? 1 : 0;
        }
        next.swap(row);
    }
    return next[0] != 0;
}

} // namespace korvex::platform
