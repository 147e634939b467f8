// The command-line splitter: arguments written back with Windows quoting, in both the always-quoted
// and the quoted-when-needed style, split into the same arguments. The arguments come from splitting
// the input, and from the input cut at its zero bytes (any bytes at all, the program name without
// quotes, since a program name takes no escapes).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/process.hpp"

namespace {

using Arguments = std::vector<std::string>;

enum class Quoting { always, when_needed };

// One argument as Windows programs read it back: the runtime's own quoting when needed; always
// quoted, with backslashes doubled only before a quote, which they escape, and before the closing one.
std::string quoted_argument(std::string_view argument, Quoting quoting) {
    if (quoting == Quoting::when_needed) return korvex::platform::quote_argument(argument);
    std::string text = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        text.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        text += c;
        backslashes = 0;
    }
    text.append(2 * backslashes, '\\');
    return text + '"';
}

std::string command_line_of(const Arguments& arguments, Quoting quoting) {
    std::string line = "\"" + arguments.front() + "\"";
    for (std::size_t i = 1; i < arguments.size(); ++i) line += " " + quoted_argument(arguments[i], quoting);
    return line;
}

void require_round_trip(const Arguments& arguments) {
    if (arguments.empty()) return;
    for (Quoting quoting : {Quoting::always, Quoting::when_needed})
        if (korvex::platform::split_command_line(command_line_of(arguments, quoting)) != arguments)
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    Arguments split = korvex::platform::split_command_line(text);
    for (const std::string& argument : split)
        if (argument.find('\0') != std::string::npos) std::abort();
    require_round_trip(split);

    Arguments pieces;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = std::min(text.find('\0', start), text.size());
        pieces.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    std::erase(pieces.front(), '"');
    require_round_trip(pieces);
    return 0;
}
