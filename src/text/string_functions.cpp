// Text functions: join, case, trim, character codes, length, pieces, positions, fields, replace.
// Texts are byte strings handled whole: no result is limited in length or cut at a zero byte.
#include <algorithm>
#include <optional>
#include <string_view>

#include "base/ascii.hpp"
#include "base/numbers.hpp"
#include "core/operands.hpp"
#include "core/results.hpp"
#include "core/runtime.hpp"
#include "core/variables.hpp"
#include "text/pattern_search.hpp"
#include "text/text.hpp"

namespace korvex {
namespace {

constexpr std::size_t not_found = std::string_view::npos;

// A count or position operand: blanks trimmed, read as a whole number, at least 1.
std::int32_t read_ordinal(std::string_view text) {
    std::int32_t number = read_whole_number(trim_blanks(text));
    return number < 1 ? 1 : number;
}

// Shared shape of the handlers that turn one text into another.
Step store_transformed(Runtime& runtime, std::string (*transform)(std::string_view)) {
    VariableSlot name = read_output_variable(runtime);
    set_variable(runtime, name, transform(read_value(runtime)));
    return Step::next;
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
// An empty search text matches at every position but the one behind the end.
std::int64_t position_of(std::string_view text, std::string_view search, std::int32_t occurrence) {
    if (search.empty()) return static_cast<std::size_t>(occurrence) <= text.size() ? occurrence : 0;
    if (search.size() > text.size()) return 0;
    PatternSearch matches(search, MatchOverlap::allowed);
    std::int32_t found = 0;
    for (std::size_t end = 0; (end = matches.next_match_end(text, end)) != not_found;)
        if (++found == occurrence) return static_cast<std::int64_t>(end - search.size()) + 1;
    return 0;
}

// The bytes from start to end of first + second, copied out of the two parts.
std::string joined_slice(std::string_view first, std::string_view second, std::size_t start,
                         std::size_t end) {
    std::string slice;
    if (start < first.size()) slice.append(first.substr(start, std::min(end, first.size()) - start));
    if (end > first.size()) {
        std::size_t second_start = start > first.size() ? start - first.size() : 0;
        slice.append(second.substr(second_start, end - first.size() - second_start));
    }
    return slice;
}

// The field_number-th field of text + separator, searched from place (a field at or before it);
// fields beyond the last and every field of an empty separator are empty. The separators are looked
// for left to right without overlap in text and then in the appended separator, whose first bytes may
// finish a separator begun at the text's end; the joined text itself is never built. When the field
// ends at a separator with more text behind it, place is left at the next field; otherwise at field 0,
// which no later search starts from.
std::string field_from(std::string_view text, std::string_view separator, std::int32_t field_number,
                       FieldPlace& place) {
    if (separator.empty()) return {};
    const std::size_t joined_size = text.size() + separator.size();
    PatternSearch separators(separator, MatchOverlap::excluded);
    // The start of the next separator in text + separator, or not_found.
    auto next_separator = [&]() -> std::size_t {
        if (place.in_text) {
            place.scanned = separators.next_match_end(text, place.scanned);
            if (place.scanned != not_found) return place.scanned - separator.size();
            place.in_text = false;
            place.scanned = 0;
        }
        place.scanned = separators.next_match_end(separator, place.scanned);
        return place.scanned == not_found ? not_found : text.size() + place.scanned - separator.size();
    };
    for (;; ++place.field_number) {
        std::size_t found = next_separator();
        if (found == not_found) {
            std::size_t start = place.field_start;
            place.field_number = 0;
            return joined_slice(text, separator, start, joined_size);
        }
        std::size_t start = place.field_start;
        place.field_start = found + separator.size();
        if (place.field_number == field_number) {
            place.field_number = place.field_start == joined_size ? 0 : field_number + 1;
            return joined_slice(text, separator, start, found);
        }
        if (place.field_start == joined_size) {
            place.field_number = 0;
            return {};
        }
    }
}

std::string field_of(std::string_view text, std::string_view separator, std::int32_t field_number) {
    FieldPlace place;
    return field_from(text, separator, field_number, place);
}

// Left to right without overlap; the replacement is not searched again. An empty search text
// would match without advancing, so it leaves the text unchanged.
std::string replace_all(std::string_view text, std::string_view search, std::string_view replacement) {
    if (search.empty() || search.size() > text.size()) return std::string(text);
    PatternSearch matches(search, MatchOverlap::excluded);
    std::string result;
    std::size_t from = 0;
    for (std::size_t end; (end = matches.next_match_end(text, from)) != not_found; from = end) {
        result.append(text.substr(from, end - search.size() - from));
        result.append(replacement);
    }
    result.append(text.substr(from));
    return result;
}

} // namespace

// RF00: joins values. When the first value is the output variable itself, the others are appended to
// the text it holds, so a text built up in a loop is not copied on every pass.
Step handle_join(Runtime& runtime) {
    VariableSlot name = read_output_variable(runtime);
    if (std::string* text = append_in_place(runtime, name)) {
        std::string storage;
        while (has_operands_left(runtime)) text->append(read_value_view(runtime, storage));
        runtime.variables.text_changed(name);
        return Step::next;
    }
    std::string result = read_value(runtime);
    std::string storage;
    while (has_operands_left(runtime)) result.append(read_value_view(runtime, storage));
    set_variable(runtime, name, std::move(result));
    return Step::next;
}

// RF03: upper case.
Step handle_upper_case(Runtime& runtime) {
    return store_transformed(runtime, upper_case_ascii);
}
// RF04: lower case.
Step handle_lower_case(Runtime& runtime) {
    return store_transformed(runtime, lower_case_ascii);
}
// RF05: trims blanks.
Step handle_trim(Runtime& runtime) {
    return store_transformed(runtime, trimmed_copy);
}
// RF06: character from a code.
Step handle_character(Runtime& runtime) {
    return store_transformed(runtime, character_of_code);
}
// RF12: code of the first character.
Step handle_character_code(Runtime& runtime) {
    return store_transformed(runtime, code_of_first_character);
}
// RF07: length in bytes.
Step handle_length(Runtime& runtime) {
    return store_transformed(runtime, length_text);
}

// RF08: piece of a text.
Step handle_piece(Runtime& runtime) {
    VariableSlot name = read_output_variable(runtime);
    std::string text = read_value(runtime);
    std::int32_t start = read_whole_number(read_value(runtime));
    std::int32_t count = read_whole_number(read_value(runtime));
    set_variable(runtime, name, piece_of(text, start, count));
    return Step::next;
}

// RF02: position of an occurrence.
Step handle_position(Runtime& runtime) {
    VariableSlot name = read_output_variable(runtime);
    std::string text = read_value(runtime);
    std::string search = read_value(runtime);
    std::int32_t occurrence = read_ordinal(read_value(runtime));
    set_variable(runtime, name, whole_number_text(position_of(text, search, occurrence)));
    return Step::next;
}

namespace {

// The field of a variable's text, from the place the last RF10 on the same unchanged text and
// separator stopped when that is at or before the field asked for, else from the start. Walking a
// list field by field thus searches it once, and no copy of it is made.
std::string field_of_variable(Runtime& runtime, VariableSlot text_slot) {
    runtime.operands.next += 1;
    // Views into the script or into variables of their own, which the reads after them leave in place.
    std::string separator_storage, field_number_storage;
    std::string_view separator = read_value_view(runtime, separator_storage);
    std::int32_t field_number = read_ordinal(read_value_view(runtime, field_number_storage));
    std::string_view text = variable_text(runtime, text_slot);
    FieldCursor& cursor = runtime.field_cursor;
    VariableStore& store = runtime.variables;
    bool resumes = store.watched() == text_slot && store.watched_changes() == cursor.text_changes &&
                   cursor.text_slot == text_slot && cursor.separator == separator &&
                   cursor.place.field_number >= 1 && cursor.place.field_number <= field_number;
    if (!resumes) cursor.place = FieldPlace{};
    std::string field = field_from(text, separator, field_number, cursor.place);
    // Kept before the result is stored: storing it into the text's own variable counts as a change.
    store.watch(text_slot);
    cursor.text_slot = text_slot;
    cursor.text_changes = store.watched_changes();
    if (cursor.separator != separator) cursor.separator.assign(separator);
    return field;
}

} // namespace

// RF10: field of a separated list.
Step handle_field(Runtime& runtime) {
    VariableSlot name = read_output_variable(runtime);
    std::optional<VariableSlot> text_slot = next_plain_variable(runtime);
    if (!text_slot || !runtime.options.value_shortcuts) {
        std::string text = read_value(runtime);
        std::string separator = read_value(runtime);
        std::int32_t field_number = read_ordinal(read_value(runtime));
        set_variable(runtime, name, field_of(text, separator, field_number));
    } else {
        set_variable(runtime, name, field_of_variable(runtime, *text_slot));
    }
    report_result(runtime, true);
    return Step::next;
}

// RF11: replaces every occurrence.
Step handle_replace(Runtime& runtime) {
    VariableSlot name = read_output_variable(runtime);
    std::string text = read_value(runtime);
    std::string search = read_value(runtime);
    std::string replacement = read_value(runtime);
    set_variable(runtime, name, replace_all(text, search, replacement));
    return Step::next;
}

} // namespace korvex
