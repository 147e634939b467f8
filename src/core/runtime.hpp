// The one interpreter state. Every handler takes it explicitly, so a test can build a fresh one.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/script_image.hpp"
#include "core/variable_store.hpp"
#include "platform/os.hpp"

namespace korvex {

class Desktop;

// A stack of record numbers with a fixed number of slots; a push onto a full stack is dropped.
class RecordStack {
public:
    static constexpr int capacity = 200;
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
    Runtime(Desktop& desktop, ScriptImage script) : desktop(desktop), script(std::move(script)) {}

    Desktop& desktop;
    ScriptImage script;
    // Records read since the reader was last placed at the start of the stream.
    std::int32_t instruction_counter = 0;
    VariableStore variables;

    std::string current_instruction;
    std::string current_opcode;
    std::int32_t parse_position = 0;
    std::string output_variable;

    std::int32_t block_depth = 0;
    RecordStack loop_stack;
    RecordStack return_stack;
    // What a scan from the start of the stream found, kept because the stream never changes: the
    // record of each label reached, and the loops open at a record, so later jumps, calls and
    // returns need not read the stream again.
    struct ScannedPosition {
        std::int32_t record = 0;
        RecordStack open_loops;
    };
    std::unordered_map<std::string, ScannedPosition> label_positions;
    std::unordered_map<std::int32_t, RecordStack> open_loops_at_record;

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
    std::vector<std::string> empty_environment_names;

    std::string module_path;
    std::string command_line;
};

} // namespace korvex
