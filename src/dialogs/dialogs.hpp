// Dialogs and messages: message boxes, the input, editor and list dialogs, the information window.
// The handlers are declared with every other from the one list, in core/handlers.hpp.
// Floor: interpreter, a room above core; may include base/, platform/, decoder/, core/ and dialogs/.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/handlers.hpp"

namespace korvex {

struct Runtime;

// The editor's mode operand: "EDITABLE" gives "0" and "READONLY" gives "1" (blanks at both ends
// removed, any case); any other text comes back in capitals, to be read as a number.
std::string editor_mode_text(std::string_view mode);
// Every line feed not already preceded by a carriage return becomes CR LF, as the edit field wants.
std::string with_crlf_line_ends(std::string_view text);
std::string without_carriage_returns(std::string_view text);
// The list text split at every "|"; empty pieces stay entries, so an empty text gives one empty entry.
std::vector<std::string> list_items(std::string_view text);

} // namespace korvex
