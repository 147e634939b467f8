// The instruction stream appended to the runtime: records separated by 0x01, read forward one at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

inline constexpr char record_separator = '\x01';
inline constexpr char stream_terminator = '\x00';
inline constexpr std::size_t banner_length = 64;

// Thrown when the stream runs out in the middle of a record; the host ends the process with status 0.
struct ScriptEnded {};

// The stream held in memory: a rewind resets the read position instead of reopening the file.
class ScriptImage {
public:
    ScriptImage() = default;
    explicit ScriptImage(std::string stream_bytes) : bytes(std::move(stream_bytes)) {}

    // The next record without its separator, or nothing when the stream ends before a separator;
    // the view stays valid for the life of the image.
    std::optional<std::string_view> next_record();
    void rewind();
    // Places the reader just behind record `number` (counted from the start, 1 for the first) and
    // returns that record, as rewinding and reading `number` records would; nothing when the record
    // has not been read since the image was made, so the caller reads forward instead.
    std::optional<std::string_view> seek_record(std::int32_t number);
    // The end-of-file indicator: set by a read that found no more bytes.
    bool at_end() const { return end_of_file; }
    std::size_t size() const { return bytes.size(); }

private:
    std::string bytes;
    std::size_t position = 0;
    bool end_of_file = false;
    // Records read since the last rewind, and where each record read so far ends, so that a loop
    // goes back to its start without reading the stream again.
    std::int32_t records_read = 0;
    std::vector<std::size_t> record_ends;
};

struct Runtime;

// Reads the next record, counting it in instruction_counter; ends the script (throws ScriptEnded)
// when the stream runs out. The view stays valid for the life of the runtime.
std::string_view read_instruction(Runtime& runtime);
// Places the reader at the start of the stream; the caller resets instruction_counter.
void rewind_stream(Runtime& runtime);

// Length of an executable image, computed from its own headers (ELF or PE); nothing when the
// bytes are no executable of a known format. The stream starts 64 bytes (the banner) behind it.
std::optional<std::size_t> executable_image_length(std::string_view file_bytes);

} // namespace korvex
