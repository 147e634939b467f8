// The key text of the keystroke instruction, turned into key events.
#pragma once

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/desktop.hpp"

namespace korvex {

// Where the keyboard layout puts a character; nothing when it has no key for it.
using KeyboardLayout = std::function<std::optional<LayoutKey>(unsigned char byte)>;

// The key events that type key_text: "~" names a key, "#" gives a three-digit key code (255 and more
// hold the key n - 254 down), capitals are typed with Shift, small letters and seven punctuation bytes
// directly, every other byte through layout.
std::vector<KeyEvent> type_keys(std::string_view key_text, const KeyboardLayout& layout);

} // namespace korvex
