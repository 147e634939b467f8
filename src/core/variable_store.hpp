// The table of named variables. Every name gets a slot the first time it is met, when the script is
// decoded or when the runtime names it; the slot never changes, so records read and store by slot.
// A slot may hold its value as text, as a number written by arithmetic, or both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

using VariableSlot = std::uint32_t;

// One variable as the table lists it: a name text and a value text. Names are raw text ("31" and
// "031" differ).
struct KX_VarSystem {
    std::string name;
    std::string value;
};

class VariableStore {
public:
    // The slot of name, made when the name is new. intern() copies the name; intern_stable() keeps a
    // view of it, for names that live as long as the store (the script's own bytes).
    VariableSlot intern(std::string_view name);
    VariableSlot intern_stable(std::string_view name);
    // The slot of name, or no_slot when the name was never met.
    VariableSlot find_slot(std::string_view name) const;
    static constexpr VariableSlot no_slot = 0xFFFFFFFFu;

    // A variable exists once it was stored or declared; reading one that does not gives "".
    bool exists(VariableSlot slot) const { return (states[slot] & exists_bit) != 0; }
    bool holds_text(VariableSlot slot) const { return (states[slot] & text_bit) != 0; }
    bool holds_number(VariableSlot slot) const { return (states[slot] & number_bit) != 0; }
    std::string& text(VariableSlot slot) { return texts[slot]; }
    double number(VariableSlot slot) const { return numbers[slot]; }

    void store_text(VariableSlot slot, std::string value);
    // A number whose text is made only when the variable is first read as text.
    void store_number(VariableSlot slot, double value);
    // Keeps a text made or a number read from the held form beside it.
    void keep_text(VariableSlot slot, std::string text);
    void keep_number(VariableSlot slot, double value);
    // The held text was changed in place: any number beside it is no longer valid.
    void text_changed(VariableSlot slot) { states[slot] = exists_bit | text_bit; }
    void declare(VariableSlot slot) { states[slot] |= exists_bit; }

    // By name, for the runtime's own variables and for tests. find() gives null when the variable does
    // not exist or holds only a number.
    const std::string* find(std::string_view name) const;
    void store(std::string_view name, std::string value) { store_text(intern(name), std::move(value)); }
    void declare(std::string_view name) { declare(intern(name)); }
    // The variables that exist, in the order of their slots, with the texts they hold (a value held only
    // as a number shows as "").
    std::vector<KX_VarSystem> entries() const;
    std::size_t slot_count() const { return names.size(); }
    std::string_view name_of(VariableSlot slot) const { return names[slot]; }

private:
    static constexpr std::uint8_t exists_bit = 1, text_bit = 2, number_bit = 4;
    VariableSlot add_slot(std::string_view name);
    std::size_t bucket_of(std::string_view name) const;
    void grow_index();

    std::vector<std::string_view> names;
    std::vector<std::string> texts;
    std::vector<double> numbers;
    std::vector<std::uint8_t> states;
    // Open addressing: slot + 1 per bucket, 0 for a free bucket; at most half the buckets are taken.
    std::vector<std::uint32_t> index;
    std::deque<std::string> owned_names;
};

} // namespace korvex
