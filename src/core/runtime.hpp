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

// The reader's place: the number of the last record read, counted from the start of the stream, and
// the loops and calls open there.
struct Reader {
    std::int32_t instruction_counter = 0;
    RecordStack loop_stack;
    RecordStack return_stack;
    // Room that moving the reader reuses for the loops open at the new place.
    std::vector<std::int32_t> open_loops_scratch;
};

// The record being executed (the part behind a one-line if's condition, while that runs), the records
// it belongs to, and the next of its operands that a handler reads.
struct OperandCursor {
    const DecodedProgram* program = nullptr;
    const DecodedRecord* record = nullptr;
    std::uint32_t next = 0;
    std::uint32_t end = 0;
    // A handler that asked for more operands than its record was decoded with (a fault of ours).
    std::int32_t overruns = 0;
    VariableSlot output_variable = 0;
};

// The random numbers' generator.
struct RandomState {
    std::int32_t reseed_countdown = 0;
    std::uint32_t state = 0;
    // Where the seed comes from; tests put a fixed clock here.
    std::function<std::int64_t()> seed_clock = platform::calendar_seconds;
};

// What the script changed of the environment beyond the process's own.
struct EnvironmentOverlay {
    // Entries set with an empty value where no entry existed: found, reading "", but absent from the
    // process environment (upper-cased names).
    std::unordered_set<std::string> empty_names;
};

// What the host gave the run, and what it watches.
struct HostPart {
    std::string module_path;
    std::string command_line;
    // Where each executed record is written as a line; none unless KORVEX_TRACE asks for it.
    Trace* trace = nullptr;
    // The input, editor and list dialogs answered so far (a cancel counts), which the trace reports.
    std::uint32_t dialogs_answered = 0;
};

// Switches that tests turn.
struct TestOptions {
    // Arithmetic results kept as numbers beside their texts, and appends made in place. Tests switch
    // them off to check that the results are the same without them.
    bool value_shortcuts = true;
};

struct Runtime {
    // Decodes the stream at once; its names become the first variable slots after those of 0 to 30.
    Runtime(Desktop& desktop, std::string stream_bytes);

    Desktop& desktop;
    VariableStore variables;
    ScriptIndex script;
    // The operands before the reader: the hot fields of both then share a cache line.
    OperandCursor operands;
    Reader reader;
    RandomState random;
    EnvironmentOverlay environment;
    // Where the lines of the files read last by line number start (R024).
    LineIndex lines;
    // Where the last RF10 on a variable's text stopped (text/string_functions.cpp).
    FieldCursor field_cursor;
    // The numbers of the script's literals that were read as numbers (core/operands.cpp).
    LiteralNumbers literal_numbers;
    HostPart host;
    TestOptions options;
};

} // namespace korvex
