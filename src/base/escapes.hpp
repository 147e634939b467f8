// Backslash escapes that write any byte as readable text: \\ \n \r \t \0 \" and \xHH.
// Used by the listing format of the packer and the transcripts of the scripted desktop.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvex {

// Escapes backslashes, double quotes, control bytes and 0x7F; bytes above 0x7F stay as they are.
std::string escape_bytes(std::string_view text);
// The bytes an escaped text stands for; nothing when an escape is malformed.
std::optional<std::string> unescape_bytes(std::string_view text);

// A record as one line of a listing: as it stands, or "~" and its escaped bytes where it could not
// be read back so (empty, blank, starting with "#", "~" or a byte-order mark, holding control bytes).
std::string listing_line_of(std::string_view record);

} // namespace korvex
