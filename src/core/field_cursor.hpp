// Where RF10 stopped in the text of a variable, so that walking a list field by field goes on from
// there instead of searching it again from the start for every field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "decoder/variable_store.hpp"

namespace korvex {

// The place of one field in text + separator, with the search's own place: the state of the
// left-to-right search just before it looks for the end of field `field_number`.
struct FieldPlace {
    std::int32_t field_number = 1;
    std::size_t field_start = 0;
    bool in_text = true;
    std::size_t scanned = 0; // in the text while in_text, else in the appended separator
};

// The place is good for the text of text_slot while the variable store counts no change of that
// slot after text_changes, and for that separator.
struct FieldCursor {
    VariableSlot text_slot = VariableStore::no_slot;
    std::uint64_t text_changes = 0;
    std::string separator;
    FieldPlace place;
};

} // namespace korvex
