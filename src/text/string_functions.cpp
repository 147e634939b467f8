// Text functions: join, case, trim, character codes, length, pieces, positions, fields, replace.
// Texts are byte strings handled whole: no result is limited in length or cut at a zero byte.
#include <string_view>

#include "core/numbers.hpp"
#include "core/operands.hpp"
#include "core/runtime.hpp"
#include "core/variables.hpp"
#include "text/text.hpp"

namespace korvex {
namespace {

constexpr std::size_t not_found = std::string_view::npos;

std::string lower_case_ascii(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return result;
}

// A count or position operand: blanks trimmed, read as a whole number, at least 1.
std::int32_t read_ordinal(std::string_view text) {
    std::int32_t number = read_whole_number(trim_blanks(text));
    return number < 1 ? 1 : number;
}

// Shared shape of the handlers that turn one text into another.
std::int32_t store_transformed(Runtime& runtime, std::string (*transform)(std::string_view)) {
    VariableSlot name = read_output_variable(runtime);
    set_variable(runtime, name, transform(read_value(runtime)));
    return status_continue;
}

std::string trimmed_copy(std::string_view text) {
    return std::string(trim_blanks(text));
}

std::string character_of_code(std::string_view code_text) {
    auto byte = static_cast<unsigned char>(static_cast<std::uint32_t>(read_whole_number(code_text)) & 0xFF);
    return byte == 0 ? std::string() : std::string(1, static_cast<char>(byte));
}

std::string code_of_first_character(std::string_view text) {
    return whole_number_text(text.empty() ? 0 : static_cast<signed char>(text[0]));
}

std::string length_text(std::string_view text) {
    return whole_number_text(static_cast<std::int64_t>(text.size()));
}

// A start position of 0 or less takes the piece from the end. Where the start falls outside the
// text the piece is empty.
std::string piece_of(std::string_view text, std::int32_t start_position, std::int32_t count_number) {
    const auto length = static_cast<std::int64_t>(text.size());
    std::int64_t count = count_number < 0 ? 1 : count_number;
    std::int64_t start = std::int64_t(start_position) - 1;
    if (start <= -1) start = length - count;
    if (trim_blanks(text).empty() || start < 0 || start > length) return {};
    return std::string(text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(count)));
}

// 1-based position of the occurrence-th match, counting overlapping matches; 0 when there is none.
std::int64_t position_of(std::string_view text, std::string_view search, std::int32_t occurrence) {
    std::size_t from = 0;
    for (std::int32_t found = 0; from < text.size();) {
        std::size_t match = text.find(search, from);
        if (match == not_found || match >= text.size()) return 0;
        if (++found == occurrence) return static_cast<std::int64_t>(match) + 1;
        from = match + 1;
    }
    return 0;
}

// The field_number-th field of text + separator; fields beyond the last and every field of an empty
// separator are empty.
std::string field_of(std::string_view text, std::string_view separator, std::int32_t field_number) {
    if (separator.empty()) return {};
    std::string extended = std::string(text) + std::string(separator);
    std::string_view walk = extended;
    std::size_t field_start = 0;
    for (std::int32_t counter = 1;; ++counter) {
        std::size_t found = walk.find(separator, field_start);
        if (found == not_found) return std::string(walk.substr(field_start));
        if (counter == field_number) return std::string(walk.substr(field_start, found - field_start));
        field_start = found + separator.size();
        if (field_start == walk.size()) return {};
    }
}

// Left to right without overlap; the replacement is not searched again. An empty search text
// would match without advancing, so it leaves the text unchanged.
std::string replace_all(std::string_view text, std::string_view search, std::string_view replacement) {
    if (search.empty()) return std::string(text);
    std::string result;
    std::size_t from = 0;
    for (std::size_t match; (match = text.find(search, from)) != not_found; from = match + search.size()) {
        result.append(text.substr(from, match - from));
        result.append(replacement);
    }
    result.append(text.substr(from));
    return result;
}

} // namespace

// RF00: joins values. When the first value is the output variable itself, the others are appended to
// the text it holds, so a text built up in a loop is not copied on every pass.
std::int32_t handle_join(Runtime& runtime) {
    VariableSlot name = read_output_variable(runtime);
    if (std::string* text = append_in_place(runtime, name)) {
        std::string storage;
        while (has_operands_left(runtime)) text->append(read_value_view(runtime, storage));
        runtime.variables.text_changed(name);
        return status_continue;
    }
    std::string result = read_value(runtime);
    std::string storage;
    while (has_operands_left(runtime)) result.append(read_value_view(runtime, storage));
    set_variable(runtime, name, std::move(result));
    return status_continue;
}

// RF03: upper case.
std::int32_t handle_upper_case(Runtime& runtime) {
    return store_transformed(runtime, upper_case_ascii);
}
// RF04: lower case.
std::int32_t handle_lower_case(Runtime& runtime) {
    return store_transformed(runtime, lower_case_ascii);
}
// RF05: trims blanks.
std::int32_t handle_trim(Runtime& runtime) {
    return store_transformed(runtime, trimmed_copy);
}
// RF06: character from a code.
std::int32_t handle_character(Runtime& runtime) {
    return store_transformed(runtime, character_of_code);
}
// RF12: code of the first character.
std::int32_t handle_character_code(Runtime& runtime) {
    return store_transformed(runtime, code_of_first_character);
}
// RF07: length in bytes.
std::int32_t handle_length(Runtime& runtime) {
    return store_transformed(runtime, length_text);
}

// RF08: piece of a text.
std::int32_t handle_piece(Runtime& runtime) {
    VariableSlot name = read_output_variable(runtime);
    std::string text = read_value(runtime);
    std::int32_t start = read_whole_number(read_value(runtime));
    std::int32_t count = read_whole_number(read_value(runtime));
    set_variable(runtime, name, piece_of(text, start, count));
    return status_continue;
}

// RF02: position of an occurrence.
std::int32_t handle_position(Runtime& runtime) {
    VariableSlot name = read_output_variable(runtime);
    std::string text = read_value(runtime);
    std::string search = read_value(runtime);
    std::int32_t occurrence = read_ordinal(read_value(runtime));
    set_variable(runtime, name, whole_number_text(position_of(text, search, occurrence)));
    return status_continue;
}

// RF10: field of a separated list.
std::int32_t handle_field(Runtime& runtime) {
    VariableSlot name = read_output_variable(runtime);
    std::string text = read_value(runtime);
    std::string separator = read_value(runtime);
    std::int32_t field_number = read_ordinal(read_value(runtime));
    set_variable(runtime, name, field_of(text, separator, field_number));
    set_variable(runtime, "0", "0");
    return status_continue;
}

// RF11: replaces every occurrence.
std::int32_t handle_replace(Runtime& runtime) {
    VariableSlot name = read_output_variable(runtime);
    std::string text = read_value(runtime);
    std::string search = read_value(runtime);
    std::string replacement = read_value(runtime);
    set_variable(runtime, name, replace_all(text, search, replacement));
    return status_continue;
}

} // namespace korvex
