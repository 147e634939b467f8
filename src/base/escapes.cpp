// Backslash escapes for listings and transcripts.
#include "base/escapes.hpp"

namespace korvex {
namespace {

bool is_control_byte(char c) {
    unsigned char byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

// One byte as escape_bytes writes it.
void append_escaped(std::string& result, char c) {
    static constexpr char digits[] = "0123456789ABCDEF";
    switch (c) {
    case '\\': result += "\\\\"; break;
    case '"': result += "\\\""; break;
    case '\n': result += "\\n"; break;
    case '\r': result += "\\r"; break;
    case '\t': result += "\\t"; break;
    default:
        if (is_control_byte(c)) {
            unsigned char byte = static_cast<unsigned char>(c);
            result += "\\x";
            result += digits[byte >> 4];
            result += digits[byte & 15];
        } else {
            result += c;
        }
    }
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool needs_escapes(std::string_view record) {
    if (record.empty() || record[0] == '#' || record[0] == '~') return true;
    // A listing's reader drops a byte-order mark at its start, where the first record would stand.
    if (record.substr(0, 3) == "\xEF\xBB\xBF") return true;
    if (record.find_first_not_of(" \t") == std::string_view::npos) return true;
    for (char c : record)
        if (is_control_byte(c) && c != '\t') return true;
    return false;
}

} // namespace

std::string listing_line_of(std::string_view record) {
    if (!needs_escapes(record)) return std::string(record);
    return "~" + escape_bytes(record);
}

std::string escape_bytes(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (char c : text) append_escaped(result, c);
    return result;
}

std::string shown_on_terminal(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        bool line_end = c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n');
        if (is_control_byte(c) && c != '\t' && !line_end)
            append_escaped(result, c);
        else
            result += c;
    }
    return result;
}

std::optional<std::string> unescape_bytes(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            result += text[i];
            continue;
        }
        if (++i == text.size()) return std::nullopt;
        switch (text[i]) {
        case '\\': result += '\\'; break;
        case '"': result += '"'; break;
        case '\'': result += '\''; break;
        case 'n': result += '\n'; break;
        case 'r': result += '\r'; break;
        case 't': result += '\t'; break;
        case '0': result += '\0'; break;
        case 'x': {
            if (i + 2 >= text.size()) return std::nullopt;
            int high = hex_digit(text[i + 1]);
            int low = hex_digit(text[i + 2]);
            if (high < 0 || low < 0) return std::nullopt;
            result += static_cast<char>(high * 16 + low);
            i += 2;
            break;
        }
        default: return std::nullopt;
        }
    }
    return result;
}

} // namespace korvex
