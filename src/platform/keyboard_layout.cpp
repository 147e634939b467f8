// The US keyboard layout that desktops without a layout of their own type with, and the names of keys
// in transcripts.
#include "platform/desktop.hpp"

namespace korvex {
namespace {

constexpr std::uint8_t oem_semicolon = 0xBA, oem_equals = 0xBB, oem_minus = 0xBD, oem_slash = 0xBF,
                       oem_backquote = 0xC0, oem_left_bracket = 0xDB, oem_backslash = 0xDC,
                       oem_right_bracket = 0xDD, oem_quote = 0xDE;

// The punctuation keys of the US layout: the byte typed alone, and the byte typed with Shift.
struct PunctuationKey {
    std::uint8_t code;
    char plain;
    char shifted;
};
constexpr PunctuationKey punctuation_keys[] = {
    {'1', '1', '!'},
    {'2', '2', '@'},
    {'3', '3', '#'},
    {'4', '4', '$'},
    {'5', '5', '%'},
    {'6', '6', '^'},
    {'7', '7', '&'},
    {'8', '8', '*'},
    {'9', '9', '('},
    {'0', '0', ')'},
    {oem_semicolon, ';', ':'},
    {oem_equals, '=', '+'},
    {virtual_key::comma, ',', '<'},
    {oem_minus, '-', '_'},
    {virtual_key::period, '.', '>'},
    {oem_slash, '/', '?'},
    {oem_backquote, '`', '~'},
    {oem_left_bracket, '[', '{'},
    {oem_backslash, '\\', '|'},
    {oem_right_bracket, ']', '}'},
    {oem_quote, '\'', '"'},
};

struct NamedKey {
    std::uint8_t code;
    const char* name;
};
constexpr NamedKey named_keys[] = {
    {virtual_key::backspace, "backspace"},
    {virtual_key::tab, "tab"},
    {virtual_key::enter, "enter"},
    {virtual_key::shift, "shift"},
    {virtual_key::ctrl, "ctrl"},
    {virtual_key::alt, "alt"},
    {virtual_key::caps_lock, "capslock"},
    {0x1B, "escape"},
    {virtual_key::space, "space"},
    {0x21, "pageup"},
    {0x22, "pagedown"},
    {0x23, "end"},
    {0x24, "home"},
    {virtual_key::left, "left"},
    {virtual_key::up, "up"},
    {virtual_key::right, "right"},
    {virtual_key::down, "down"},
    {0x2D, "insert"},
    {0x2E, "delete"},
    {virtual_key::multiply, "multiply"},
    {virtual_key::add, "add"},
    {virtual_key::subtract, "subtract"},
    {0x6E, "decimal"},
    {virtual_key::divide, "divide"},
    {oem_semicolon, "semicolon"},
    {oem_equals, "equals"},
    {virtual_key::comma, "comma"},
    {oem_minus, "minus"},
    {virtual_key::period, "period"},
    {oem_slash, "slash"},
    {oem_backquote, "backquote"},
    {oem_left_bracket, "leftbracket"},
    {oem_backslash, "backslash"},
    {oem_right_bracket, "rightbracket"},
    {oem_quote, "quote"},
};

} // namespace

// Control bytes map as the Windows layout lookup maps them: backspace, tab, carriage return and
// escape have keys of their own, a line feed is Ctrl+Enter, the others are Ctrl with a letter.
std::optional<LayoutKey> us_layout_key(unsigned char byte) {
    if (byte >= 'a' && byte <= 'z') return LayoutKey{static_cast<std::uint8_t>(byte - 'a' + 'A'), 0};
    if (byte >= 'A' && byte <= 'Z') return LayoutKey{byte, shift_state::shift};
    for (const PunctuationKey& key : punctuation_keys) {
        if (byte == static_cast<unsigned char>(key.plain)) return LayoutKey{key.code, 0};
        if (byte == static_cast<unsigned char>(key.shifted)) return LayoutKey{key.code, shift_state::shift};
    }
    switch (byte) {
    case ' ': return LayoutKey{virtual_key::space, 0};
    case '\b': return LayoutKey{virtual_key::backspace, 0};
    case '\t': return LayoutKey{virtual_key::tab, 0};
    case '\r': return LayoutKey{virtual_key::enter, 0};
    case '\n': return LayoutKey{virtual_key::enter, shift_state::ctrl};
    case 0x1B: return LayoutKey{0x1B, 0};
    default: break;
    }
    if (byte >= 0x01 && byte <= 0x1A)
        return LayoutKey{static_cast<std::uint8_t>(byte - 1 + 'A'), shift_state::ctrl};
    return std::nullopt;
}

std::string key_name(std::uint8_t code) {
    if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9'))
        return std::string(1, static_cast<char>(code));
    if (code >= virtual_key::f1 && code < virtual_key::f1 + 24)
        return "F" + std::to_string(code - virtual_key::f1 + 1);
    if (code >= 0x60 && code <= 0x69) return "num" + std::to_string(code - 0x60);
    for (const NamedKey& key : named_keys)
        if (key.code == code) return key.name;
    return "#" + std::to_string(code);
}

} // namespace korvex
