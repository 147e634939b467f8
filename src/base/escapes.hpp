// Backslash escapes that write any byte as readable text: \\ \n \r \t \0 \" and \xHH.
// Used by the listing format of the packer, the transcripts of the scripted desktop, and wherever a
// text goes to a terminal.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvex {

// Escapes backslashes, double quotes, control bytes and 0x7F; bytes above 0x7F stay as they are.
std::string escape_bytes(std::string_view text);
// A text as a terminal may be shown it: control bytes other than line feed and tab, and 0x7F, are
// written as escape_bytes writes them (\x1B, \r), so that no text can move the cursor, clear the screen or
// talk to the terminal; every other byte stays, backslashes too. A carriage return before a line feed
// stays: it only ends the line.
std::string shown_on_terminal(std::string_view text);
// The bytes an escaped text stands for; nothing when an escape is malformed.
std::optional<std::string> unescape_bytes(std::string_view text);

// A record as one line of a listing: as it stands, or "~" and its escaped bytes where it could not
// be read back so (empty, blank, starting with "#", "~" or a byte-order mark, holding control bytes).
std::string listing_line_of(std::string_view record);

} // namespace korvex
