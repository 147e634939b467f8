// The table of named variables. Every name gets a slot the first time it is met, when the script is
// decoded or when the runtime names it; the slot never changes, so records read and store by slot.
// A slot may hold its value as text, as a number written by arithmetic, or both. A script may name a
// million variables, so a slot is kept small: a short text lives in the slot itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
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
    VariableStore() = default;
    VariableStore(const VariableStore&) = delete;
    VariableStore& operator=(const VariableStore&) = delete;
    ~VariableStore();

    // The slot of name, made when the name is new. intern() copies the name; intern_stable() takes a
    // name inside the bytes given to keep_names_in, which live as long as the store (the script's own
    // bytes, shorter than 2 GiB), and keeps only where it is.
    VariableSlot intern(std::string_view name);
    VariableSlot intern_stable(std::string_view name);
    void keep_names_in(std::string_view bytes) { stable_bytes = bytes; }
    // The slot of name, or no_slot when the name was never met.
    VariableSlot find_slot(std::string_view name) const;
    static constexpr VariableSlot no_slot = 0xFFFFFFFFu;
    // Room for this many slots without moving the table (pages not yet used cost no memory).
    void reserve(std::size_t slots);

    // A variable exists once it was stored or declared; reading one that does not gives "".
    bool exists(VariableSlot slot) const { return (states[slot] & exists_bit) != 0; }
    bool holds_text(VariableSlot slot) const { return (states[slot] & text_bit) != 0; }
    bool holds_number(VariableSlot slot) const { return (states[slot] & number_bit) != 0; }
    // The held text ("" when the slot holds none), valid until the slot is stored again or a new
    // slot is made.
    std::string_view text(VariableSlot slot) const;
    double number(VariableSlot slot) const { return numbers[slot]; }
    // The held text, to be changed in place; the caller then calls text_changed.
    std::string& text_to_change(VariableSlot slot);
    // The held text was changed in place: any number beside it is no longer valid.
    void text_changed(VariableSlot slot) {
        count_change(slot);
        states[slot] = (states[slot] & heap_bit) | exists_bit | text_bit;
    }

    // One slot whose changes are counted, for a reader that keeps a place in its text between
    // instructions (RF10's field cursor): the text is unchanged while the count stays the same.
    void watch(VariableSlot slot) { watched_slot = slot; }
    VariableSlot watched() const { return watched_slot; }
    std::uint64_t watched_changes() const { return watched_change_count; }

    void store_text(VariableSlot slot, std::string value);
    // A number whose text is made only when the variable is first read as text.
    void store_number(VariableSlot slot, double value) {
        count_change(slot);
        keep_number(slot, value);
        states[slot] = (states[slot] & heap_bit) | exists_bit | number_bit;
    }
    // Keeps the text made for, or the number read from, the held value beside it.
    void keep_text(VariableSlot slot, std::string text);
    void keep_number(VariableSlot slot, double value) {
        if (slot >= numbers.size()) make_number_room(slot);
        numbers[slot] = value;
        states[slot] |= number_bit;
    }
    void declare(VariableSlot slot) { states[slot] |= exists_bit; }

    // By name, for the runtime's own variables and for tests. find() gives nothing when the variable
    // does not exist or holds only a number.
    std::optional<std::string_view> find(std::string_view name) const;
    void store(std::string_view name, std::string value) { store_text(intern(name), std::move(value)); }
    void declare(std::string_view name) { declare(intern(name)); }
    // The variables that exist, in the order of their slots, with the texts they hold (a value held only
    // as a number shows as "").
    std::vector<KX_VarSystem> entries() const;
    std::size_t slot_count() const { return name_offset.size(); }
    std::string_view name_of(VariableSlot slot) const {
        std::uint32_t length = name_length[slot];
        if (length & owned_name_bit)
            return std::string_view(owned_names).substr(name_offset[slot], length & ~owned_name_bit);
        return stable_bytes.substr(name_offset[slot], length);
    }

private:
    static constexpr std::uint8_t exists_bit = 1, text_bit = 2, number_bit = 4, heap_bit = 8;
    // A text of up to 15 bytes in place, or a longer one on the heap.
    union Cell {
        struct {
            char bytes[15];
            std::uint8_t length;
        } small;
        std::string* heap;
    };
    static_assert(sizeof(Cell) == 16);

    static constexpr std::uint32_t owned_name_bit = 0x80000000u;
    VariableSlot add_slot(std::string_view name, std::uint32_t offset, std::uint32_t length);
    std::size_t bucket_of(std::string_view name) const;
    void grow_index();
    void set_text(VariableSlot slot, std::string&& value);
    // Out of line, so that storing a number where there is room for it saves no registers.
    void make_number_room(VariableSlot slot);
    void count_change(VariableSlot slot) {
        if (slot == watched_slot) ++watched_change_count;
    }

    // Where each name is: in stable_bytes, or (with owned_name_bit in its length) in owned_names.
    std::vector<std::uint32_t> name_offset;
    std::vector<std::uint32_t> name_length;
    std::vector<Cell> cells;
    std::vector<std::uint8_t> states;
    // Only as long as the highest slot that ever held a number.
    std::vector<double> numbers;
    // Open addressing: slot + 1 per bucket, 0 for a free bucket; at most half the buckets are taken.
    std::vector<std::uint32_t> index;
    std::string_view stable_bytes;
    std::string owned_names;
    VariableSlot watched_slot = no_slot;
    std::uint64_t watched_change_count = 0;
};

} // namespace korvex
