// The listing format: one record per line, as a person writes records.
//   R001[31]'Hello'        a record, byte for byte (a Windows path needs no escapes)
//   ~R001[31]'a\nb'        a record with backslash escapes: \\ \n \r \t \0 \' \" \xHH
//   # text                 a comment; blank lines are ignored
// A record that starts with "#" or "~", is empty, or holds bytes a line cannot hold is written escaped.
// Lines end in LF or CR LF; a UTF-8 byte-order mark in front of the first line is ignored.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvex::listing {

struct ParseError {
    int line;
    std::string message;
};

// Parses a listing into records; nothing is returned for a listing with errors, which are appended.
// With record_lines, the line each record came from is appended there.
bool parse(std::string_view text, std::vector<std::string>& records, std::vector<ParseError>& errors,
           std::vector<int>* record_lines = nullptr);
// The stream the runtime reads: each record followed by 0x01, then the terminator 0x00.
std::string stream_of(const std::vector<std::string>& records);

struct SplitStream {
    std::vector<std::string> records;
    bool terminated = false; // the bytes after the last separator are the single terminator
    std::string trailing;    // bytes after the last separator otherwise
};
SplitStream split_stream(std::string_view stream);
// One line of the listing for a record.
std::string line_of(std::string_view record);

} // namespace korvex::listing
