// Reading and writing the listing format.
#include "listing.hpp"

#include "base/escapes.hpp"

namespace korvex::listing {

bool parse(std::string_view text, std::vector<std::string>& records, std::vector<ParseError>& errors,
           std::vector<int>* record_lines) {
    // Editors on Windows may begin a UTF-8 file with a byte-order mark; it is no part of a record.
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    // Lines end in LF or CR LF. Read by LF, a listing whose lines end in CR alone would be one record.
    if (text.find('\r') != std::string_view::npos && text.find('\n') == std::string_view::npos) {
        errors.push_back({1, "lines end in CR alone; end them in LF or CR LF"});
        return false;
    }
    int line_number = 0;
    std::size_t start = 0;
    const std::size_t error_count = errors.size();
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++line_number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.find_first_not_of(" \t") == std::string_view::npos || line[0] == '#') continue;
        std::string record;
        if (line[0] == '~') {
            std::optional<std::string> bytes = unescape_bytes(line.substr(1));
            if (!bytes) {
                errors.push_back({line_number, "malformed escape in record"});
                continue;
            }
            record = std::move(*bytes);
        } else {
            record = line;
        }
        if (record.find('\x01') != std::string::npos) {
            errors.push_back({line_number, "a record cannot contain the byte 0x01"});
            continue;
        }
        records.push_back(std::move(record));
        if (record_lines != nullptr) record_lines->push_back(line_number);
    }
    return errors.size() == error_count;
}

std::string stream_of(const std::vector<std::string>& records) {
    std::string stream;
    for (const std::string& record : records) {
        stream += record;
        stream += '\x01';
    }
    stream += '\x00';
    return stream;
}

SplitStream split_stream(std::string_view stream) {
    SplitStream result;
    std::size_t start = 0;
    for (;;) {
        std::size_t separator = stream.find('\x01', start);
        if (separator == std::string_view::npos) break;
        result.records.emplace_back(stream.substr(start, separator - start));
        start = separator + 1;
    }
    std::string_view rest = stream.substr(start);
    result.terminated = rest == std::string_view("\0", 1);
    if (!result.terminated) result.trailing = rest;
    return result;
}

std::string line_of(std::string_view record) {
    return listing_line_of(record);
}

} // namespace korvex::listing
