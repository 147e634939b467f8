// Labels, jumps, calls, returns and repeat-until loops. Positions are record numbers; every move
// back rewinds the stream and reads forward, replaying the loops it passes.
#include "core/executor.hpp"
#include "core/operands.hpp"
#include "core/runtime.hpp"
#include "flow/flow.hpp"

namespace korvex {
namespace {

constexpr std::uint32_t label_code = opcode_number("RLBL");
constexpr std::uint32_t repeat_code = opcode_number("RRPT");
constexpr std::uint32_t until_code = opcode_number("RUNT");

// Keeps the loop stack describing the loops open at the position just read.
void replay_loop_record(Runtime& runtime, std::uint32_t code) {
    if (code == repeat_code)
        runtime.loop_stack.push(runtime.instruction_counter);
    else if (code == until_code)
        runtime.loop_stack.pop();
}

// Leaves the reader behind a record found by an earlier scan, with the loops open there.
bool return_to_scanned_position(Runtime& runtime, std::int32_t record, const RecordStack& open_loops) {
    std::optional<std::string_view> text = runtime.script.seek_record(record);
    if (!text) return false;
    runtime.current_instruction = *text;
    runtime.instruction_counter = record;
    runtime.loop_stack = open_loops;
    return true;
}

void scan_to_label(Runtime& runtime, const std::string& name) {
    if (auto known = runtime.label_positions.find(name); known != runtime.label_positions.end())
        if (return_to_scanned_position(runtime, known->second.record, known->second.open_loops)) return;
    runtime.instruction_counter = 0;
    runtime.loop_stack.clear();
    while (!runtime.script.at_end()) {
        runtime.current_instruction = read_instruction(runtime);
        std::uint32_t code = opcode_number(runtime.current_instruction);
        if (code == label_code && std::string_view(runtime.current_instruction).substr(4) == name) {
            runtime.label_positions[name] = {runtime.instruction_counter, runtime.loop_stack};
            return;
        }
        replay_loop_record(runtime, code);
    }
}

std::string label_name(const Runtime& runtime) {
    return runtime.current_instruction.size() > 4 ? runtime.current_instruction.substr(4) : std::string();
}

} // namespace

// R004: jumps to a label.
std::int32_t handle_jump(Runtime& runtime) {
    std::string name = label_name(runtime);
    rewind_stream(runtime);
    scan_to_label(runtime, name);
    return status_continue;
}

// R005: calls a label as a subroutine.
std::int32_t handle_call(Runtime& runtime) {
    std::string name = label_name(runtime);
    rewind_stream(runtime);
    runtime.return_stack.push(runtime.instruction_counter);
    scan_to_label(runtime, name);
    return status_continue;
}

// R006: returns from a subroutine.
std::int32_t handle_return(Runtime& runtime) {
    if (runtime.return_stack.empty()) return status_continue;
    rewind_stream(runtime);
    std::int32_t target = runtime.return_stack.top();
    runtime.return_stack.pop();
    if (auto known = runtime.open_loops_at_record.find(target); known != runtime.open_loops_at_record.end())
        if (return_to_scanned_position(runtime, target, known->second)) return status_continue;
    runtime.instruction_counter = 0;
    runtime.loop_stack.clear();
    do {
        runtime.current_instruction = read_instruction(runtime);
        replay_loop_record(runtime, opcode_number(runtime.current_instruction));
    } while (runtime.instruction_counter < target);
    runtime.open_loops_at_record[target] = runtime.loop_stack;
    return status_continue;
}

// RRPT: repeat: opens a loop.
std::int32_t handle_repeat(Runtime& runtime) {
    runtime.loop_stack.push(runtime.instruction_counter);
    return status_continue;
}

// RUNT: until: closes a loop.
std::int32_t handle_until(Runtime& runtime) {
    if (runtime.loop_stack.empty()) return status_continue;
    if (evaluate_condition(runtime)) {
        runtime.loop_stack.pop();
        return status_continue;
    }
    rewind_stream(runtime);
    std::int32_t target = runtime.loop_stack.top();
    runtime.instruction_counter = 0;
    // The records up to the repeat were read before, so the reader goes straight behind it.
    if (std::optional<std::string_view> repeat = runtime.script.seek_record(target)) {
        runtime.current_instruction = *repeat;
        runtime.instruction_counter = target;
        return status_continue;
    }
    do {
        runtime.current_instruction = read_instruction(runtime);
    } while (runtime.instruction_counter < target);
    return status_continue;
}

// R009: end of the script.
std::int32_t handle_end(Runtime&) {
    return status_stop;
}

} // namespace korvex
