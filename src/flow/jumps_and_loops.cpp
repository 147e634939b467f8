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
    if (code == repeat_code) runtime.loop_stack.push(runtime.instruction_counter);
    else if (code == until_code) runtime.loop_stack.pop();
}

void scan_to_label(Runtime& runtime, const std::string& name) {
    runtime.instruction_counter = 0;
    runtime.loop_stack.clear();
    while (!runtime.script.at_end()) {
        runtime.current_instruction = read_instruction(runtime);
        std::uint32_t code = opcode_number(runtime.current_instruction);
        if (code == label_code && std::string_view(runtime.current_instruction).substr(4) == name) return;
        replay_loop_record(runtime, code);
    }
}

std::string label_name(const Runtime& runtime) {
    return runtime.current_instruction.size() > 4 ? runtime.current_instruction.substr(4) : std::string();
}

} // namespace

std::int32_t handle_jump(Runtime& runtime) {
    std::string name = label_name(runtime);
    rewind_stream(runtime);
    scan_to_label(runtime, name);
    return status_continue;
}

std::int32_t handle_call(Runtime& runtime) {
    std::string name = label_name(runtime);
    rewind_stream(runtime);
    runtime.return_stack.push(runtime.instruction_counter);
    scan_to_label(runtime, name);
    return status_continue;
}

std::int32_t handle_return(Runtime& runtime) {
    if (runtime.return_stack.empty()) return status_continue;
    rewind_stream(runtime);
    std::int32_t target = runtime.return_stack.top();
    runtime.return_stack.pop();
    runtime.instruction_counter = 0;
    runtime.loop_stack.clear();
    do {
        runtime.current_instruction = read_instruction(runtime);
        replay_loop_record(runtime, opcode_number(runtime.current_instruction));
    } while (runtime.instruction_counter < target);
    return status_continue;
}

std::int32_t handle_repeat(Runtime& runtime) {
    runtime.loop_stack.push(runtime.instruction_counter);
    return status_continue;
}

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

std::int32_t handle_end(Runtime&) { return status_stop; }

} // namespace korvex
