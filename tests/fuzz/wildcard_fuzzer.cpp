// The wildcard matcher against a matcher written from its stated rules: "*" takes any run of bytes
// (a run that stands before a "." never takes the name's last "."), "?" one byte or none at the end
// of the name or before a ".", "." a dot or the end of the name, letters A to Z in either case.
// The first input byte gives the pattern's length; the name follows the pattern.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/files.hpp"

namespace {

constexpr std::size_t longest = 64;

char upper(char byte) {
    return byte >= 'a' && byte <= 'z' ? static_cast<char>(byte - 'a' + 'A') : byte;
}

// Tries every run a star can take, remembering what was tried for each place in pattern and name.
class ReferenceMatcher {
public:
    ReferenceMatcher(std::string_view pattern, std::string_view name)
        : pattern(pattern), name(name), last_dot(name.rfind('.')),
          known((pattern.size() + 1) * (name.size() + 1), unknown) {}

    bool matches(std::size_t i = 0, std::size_t j = 0) {
        char& result = known[i * (name.size() + 1) + j];
        if (result == unknown) result = compute(i, j) ? 1 : 0;
        return result == 1;
    }

private:
    static constexpr char unknown = 2;

    bool compute(std::size_t i, std::size_t j) {
        if (i == pattern.size()) return j == name.size();
        const bool name_ended = j == name.size();
        switch (pattern[i]) {
        case '*': {
            const bool before_dot = i + 1 < pattern.size() && pattern[i + 1] == '.';
            for (std::size_t end = j; end <= name.size(); ++end) {
                if (before_dot && end > j && end - 1 == last_dot) break;
                if (matches(i + 1, end)) return true;
            }
            return false;
        }
        case '?':
            return (!name_ended && matches(i + 1, j + 1)) ||
                   ((name_ended || name[j] == '.') && matches(i + 1, j));
        case '.': return name_ended ? matches(i + 1, j) : name[j] == '.' && matches(i + 1, j + 1);
        default: return !name_ended && upper(pattern[i]) == upper(name[j]) && matches(i + 1, j + 1);
        }
    }

    std::string_view pattern, name;
    std::size_t last_dot;
    std::vector<char> known;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string_view pattern = rest.substr(0, data[0] % (longest + 1));
    std::string_view name = rest.substr(pattern.size());
    if (name.size() > longest) return -1;
    if (korvex::platform::wildcard_match(pattern, name) != ReferenceMatcher(pattern, name).matches())
        std::abort();
    return 0;
}
