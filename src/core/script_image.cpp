// Reads records from the in-memory stream.
#include "core/script_image.hpp"

#include <cstring>

#include "core/runtime.hpp"

namespace korvex {

std::optional<std::string_view> ScriptImage::next_record() {
    if (position >= bytes.size()) {
        end_of_file = true;
        return std::nullopt;
    }
    const char* start = bytes.data() + position;
    const void* separator = std::memchr(start, record_separator, bytes.size() - position);
    if (separator == nullptr) {
        position = bytes.size();
        end_of_file = true;
        return std::nullopt;
    }
    std::size_t length = static_cast<const char*>(separator) - start;
    position += length + 1;
    records_read += 1;
    if (static_cast<std::size_t>(records_read) == record_ends.size() + 1) record_ends.push_back(position);
    return std::string_view(start, length);
}

void ScriptImage::rewind() {
    position = 0;
    end_of_file = false;
    records_read = 0;
}

std::optional<std::string_view> ScriptImage::seek_record(std::int32_t number) {
    if (number < 1 || static_cast<std::size_t>(number) > record_ends.size()) return std::nullopt;
    std::size_t end = record_ends[number - 1];
    std::size_t start = number > 1 ? record_ends[number - 2] : 0;
    position = end;
    end_of_file = false;
    records_read = number;
    return std::string_view(bytes.data() + start, end - 1 - start);
}

std::string_view read_instruction(Runtime& runtime) {
    std::optional<std::string_view> record = runtime.script.next_record();
    if (!record) throw ScriptEnded{};
    runtime.instruction_counter += 1;
    return *record;
}

void rewind_stream(Runtime& runtime) {
    runtime.script.rewind();
}

} // namespace korvex
