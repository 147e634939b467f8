// The one interpreter state. Every handler takes it explicitly, so a test can build a fresh one.
// Floor: interpreter, core (src/core/); may include base/, platform/, decoder/ and core/, no room.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/field_cursor.hpp"
#include "core/line_index.hpp"
#include "core/literal_numbers.hpp"
#include "decoder/script_image.hpp"
#include "decoder/script_index.hpp"
#include "decoder/variable_store.hpp"
#include "platform/os.hpp"

namespace korvex {

class Desktop;
class Trace;

// A stack of record numbers with a fixed number of slots; a push onto a full stack is dropped.
class RecordStack {
public:
    static constexpr int capacity = record_stack_slots;
    void push(std::int32_t record_number) {
        if (count < capacity) slots[count++] = record_number;
    }
    void pop() {
        if (count > 0) --count;
    }
    std::int32_t top() const { return count > 0 ? slots[count - 1] : 0; }
    bool empty() const { return count == 0; }
    int size() const { return count; }
    void clear() { count = 0; }

private:
    std::array<std::int32_t, capacity> slots{};
    int count = 0;
};

// What the main loop does after an instruction.
enum Status : std::int32_t {
    status_continue = 0,
    status_unknown_opcode = -1,
    status_input_dialog = 10,
    status_editor_dialog = 11,
    status_list_dialog = 12,
    status_stop = 99,
};

struct Runtime {
    // Decodes the stream at once; its names become the first variable slots after those of 0 to 30.
    Runtime(Desktop& desktop, std::string stream_bytes);

    Desktop& desktop;
    VariableStore variables;
    ScriptIndex script;
    // The reader's place: the number of the last record read, counted from the start of the stream.
    std::int32_t instruction_counter = 0;

    // The record being executed (the part behind a one-line if's condition, while that runs), the
    // records it belongs to, and the next of its operands that a handler reads.
    const DecodedProgram* current_program = nullptr;
    const DecodedRecord* current_record = nullptr;
    std::uint32_t next_operand = 0;
    std::uint32_t operands_end = 0;
    // A handler that asked for more operands than its record was decoded with (a fault of ours).
    std::int32_t operand_overruns = 0;
    VariableSlot output_variable = 0;
    // Arithmetic results kept as numbers beside their texts, appends made in place, and the other
    // fast paths (RF10's field cursor, comparisons of numbers). Tests switch them off to check that
    // the results are the same without them.
    bool value_shortcuts = true;

    RecordStack loop_stack;
    RecordStack return_stack;
    std::vector<std::int32_t> open_loops_scratch;

    // Operands that a dialog instruction hands to the dialog run of the main loop.
    std::string dialog_title;
    std::string dialog_text;
    std::string dialog_default;
    std::int32_t editor_mode = 0;

    std::int32_t reseed_countdown = 0;
    std::uint32_t random_state = 0;
    // Where the random numbers' seed comes from; tests put a fixed clock here.
    std::function<std::int64_t()> random_seed_clock = platform::calendar_seconds;

    // Environment entries set with an empty value where no entry existed: found, reading "", but
    // absent from the process environment (upper-cased names).
    std::unordered_set<std::string> empty_environment_names;

    // Where the lines of the files read last by line number start (R024).
    LineIndex line_index;
    // Where the last RF10 on a variable's text stopped (text/string_functions.cpp).
    FieldCursor field_cursor;
    // The numbers of the script's literals that were read as numbers (core/operands.cpp).
    LiteralNumbers literal_numbers;

    std::string module_path;
    std::string command_line;
    // Where each executed record is written as a line; none unless KORVEX_TRACE asks for it.
    Trace* trace = nullptr;
};

} // namespace korvex
