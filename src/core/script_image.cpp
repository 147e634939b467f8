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
    return std::string_view(start, length);
}

void ScriptImage::rewind() {
    position = 0;
    end_of_file = false;
}

std::string_view read_instruction(Runtime& runtime) {
    std::optional<std::string_view> record = runtime.script.next_record();
    if (!record) throw ScriptEnded{};
    runtime.instruction_counter += 1;
    return *record;
}

void rewind_stream(Runtime& runtime) { runtime.script.rewind(); }

} // namespace korvex
