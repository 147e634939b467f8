// Splits a command line into arguments the way Windows programs split their own, so that a command
// line written for Windows starts the same program with the same arguments everywhere.
#include "platform/process.hpp"

#include "base/ascii.hpp"

namespace korvex::platform {
namespace {

bool is_separator(char c) {
    return c == ' ' || c == '\t';
}

// The program name: quotes group but are dropped, and backslashes are plain characters.
std::string program_name(std::string_view text, std::size_t& position) {
    std::string name;
    bool in_quotes = false;
    for (; position < text.size(); ++position) {
        char c = text[position];
        if (c == '"')
            in_quotes = !in_quotes;
        else if (!in_quotes && is_separator(c))
            break;
        else
            name += c;
    }
    return name;
}

// One argument: 2n backslashes before a quote give n backslashes and the quote groups; 2n+1 give n
// and a literal quote; "" inside quotes is a literal quote; other backslashes stand for themselves.
std::string argument(std::string_view text, std::size_t& position) {
    std::string result;
    bool in_quotes = false;
    while (position < text.size()) {
        std::size_t backslashes = 0;
        while (position < text.size() && text[position] == '\\') {
            ++backslashes;
            ++position;
        }
        if (position < text.size() && text[position] == '"') {
            result.append(backslashes / 2, '\\');
            if (backslashes % 2 == 1) {
                result += '"';
            } else if (in_quotes && position + 1 < text.size() && text[position + 1] == '"') {
                result += '"';
                ++position;
            } else {
                in_quotes = !in_quotes;
            }
            ++position;
            continue;
        }
        result.append(backslashes, '\\');
        if (position >= text.size() || (!in_quotes && is_separator(text[position]))) break;
        result += text[position++];
    }
    return result;
}

} // namespace

std::vector<std::string> split_command_line(std::string_view command_line) {
    command_line = text_before_zero(command_line);
    std::vector<std::string> arguments;
    std::size_t position = 0;
    while (position < command_line.size() && is_separator(command_line[position])) ++position;
    if (position == command_line.size()) return arguments;
    arguments.push_back(program_name(command_line, position));
    for (;;) {
        while (position < command_line.size() && is_separator(command_line[position])) ++position;
        if (position == command_line.size()) break;
        arguments.push_back(argument(command_line, position));
    }
    return arguments;
}

std::string quote_argument(std::string_view argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string_view::npos)
        return std::string(argument);
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled and the quote escaped; others stand as they are.
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        quoted += c;
        backslashes = 0;
    }
    quoted.append(2 * backslashes, '\\'); // before the closing quote
    return quoted + '"';
}

} // namespace korvex::platform
