// The key text of the keystroke instruction: which key events each kind of byte gives.
#include <gtest/gtest.h>

#include <map>

#include "system/keystrokes.hpp"

namespace korvex::testing {
namespace {

// A layout of a few keys, one of them needing all three modifiers; it counts its lookups.
struct FakeLayout {
    std::map<unsigned char, LayoutKey> keys = {
        {'1', {'1', 0}},
        {'~', {0xC0, shift_state::shift}},
        {'#', {'3', shift_state::shift}},
        {'@', {'Q', shift_state::ctrl | shift_state::alt}},
        {'$', {'4', shift_state::shift | shift_state::ctrl | shift_state::alt}}};
    int lookups = 0;

    KeyboardLayout function() {
        return [this](unsigned char byte) -> std::optional<LayoutKey> {
            ++lookups;
            auto found = keys.find(byte);
            if (found == keys.end()) return std::nullopt;
            return found->second;
        };
    }
};

// The events as the scripted desktop's transcript writes them: "shift+ A+ A- shift-".
std::string typed(std::string_view key_text, FakeLayout& layout) {
    std::string text;
    for (const KeyEvent& event : type_keys(key_text, layout.function()))
        text += (text.empty() ? "" : " ") + key_name(event.code) +
                (event.direction == KeyDirection::press ? "+" : "-");
    return text;
}

std::string typed(std::string_view key_text) {
    FakeLayout layout;
    return typed(key_text, layout);
}

TEST(TypeKeys, CapitalsTakeShiftSmallLettersDoNotDigitsGoThroughTheLayout) {
    EXPECT_EQ(typed("Ab1"), "shift+ A+ A- shift- B+ B- 1+ 1-");
}

TEST(TypeKeys, SevenPunctuationBytesAndSmallLettersNeverAskTheLayout) {
    FakeLayout layout;
    EXPECT_EQ(typed(" *+,-./z", layout),
              "space+ space- multiply+ multiply- add+ add- comma+ comma- subtract+ subtract- period+ period- "
              "divide+ divide- Z+ Z-");
    EXPECT_EQ(layout.lookups, 0);
}

TEST(TypeKeys, NamedKeysAreCaseSensitive) {
    EXPECT_EQ(typed("~r~5~A~a"), "enter+ enter- F5+ F5- F10+ F10- alt+ alt-");
    EXPECT_EQ(typed("~1~9~B~C~U~D~L~R~b~c~t"),
              "F1+ F1- F9+ F9- F11+ F11- F12+ F12- up+ up- down+ down- left+ left- right+ right- "
              "backspace+ backspace- capslock+ capslock- tab+ tab-");
}

TEST(TypeKeys, TildeBeforeAnUnnamedByteTypesThatByteThroughTheLayout) {
    EXPECT_EQ(typed("~~~#"), "shift+ backquote+ backquote- shift- shift+ 3+ 3- shift-");
}

TEST(TypeKeys, KeyCodesTapUpTo254AndHoldDownFrom255) {
    EXPECT_EQ(typed("#013"), "enter+ enter-");
    EXPECT_EQ(typed("#270#271#272x#016"), "shift+ ctrl+ alt+ X+ X- shift+ shift-");
    EXPECT_EQ(typed("#000#-12#abc#254#999"), "#254+ #254- #233+");
}

TEST(TypeKeys, LayoutModifiersGoDownShiftAltCtrlAndComeUpInTheSameOrder) {
    EXPECT_EQ(typed("$"), "shift+ alt+ ctrl+ 4+ 4- shift- alt- ctrl-");
    EXPECT_EQ(typed("@"), "alt+ ctrl+ Q+ Q- alt- ctrl-");
}

TEST(TypeKeys, EscapesAtTheEndReadOnlyTheBytesThere) {
    EXPECT_EQ(typed("a~"), "A+ A-");
    EXPECT_EQ(typed("#13"), "enter+ enter-");
    EXPECT_EQ(typed("#9"), "tab+ tab-");
    EXPECT_EQ(typed("#"), "");
}

TEST(TypeKeys, BytesTheLayoutLacksAreSkipped) {
    EXPECT_EQ(typed("1\xE9?1"), "1+ 1- 1+ 1-");
}

} // namespace
} // namespace korvex::testing
