// Labels, jumps, calls, returns and repeat-until loops. Positions are record numbers. A move leaves
// the reader and the loop stack as reading the stream from its start up to the new place would: the
// loop stack then holds the repeats before that place that no until closed.
#include "core/executor.hpp"
#include "core/operands.hpp"
#include "core/runtime.hpp"
#include "flow/flow.hpp"

namespace korvex {
namespace {

// Places the reader behind record `number` with the loops open there.
void go_to_record_with_its_loops(Runtime& runtime, std::int32_t number) {
    go_to_record(runtime, number);
    runtime.script.open_loops(number, runtime.reader.open_loops_scratch);
    runtime.reader.loop_stack.clear();
    for (std::int32_t repeat : runtime.reader.open_loops_scratch) runtime.reader.loop_stack.push(repeat);
}

} // namespace

// R004: jumps to the first label of that name; the script ends when there is none.
Step handle_jump(Runtime& runtime) {
    go_to_record_with_its_loops(runtime, runtime.operands.record->jump_target());
    return Step::next;
}

// R005: calls a label as a subroutine; the return comes back behind the calling record.
Step handle_call(Runtime& runtime) {
    runtime.reader.return_stack.push(runtime.reader.instruction_counter);
    go_to_record_with_its_loops(runtime, runtime.operands.record->jump_target());
    return Step::next;
}

// R006: returns from a subroutine.
Step handle_return(Runtime& runtime) {
    if (runtime.reader.return_stack.empty()) return Step::next;
    std::int32_t target = runtime.reader.return_stack.top();
    runtime.reader.return_stack.pop();
    // At least the first record is read again, even for a call recorded before any record.
    go_to_record_with_its_loops(runtime, std::max(target, 1));
    return Step::next;
}

// RRPT: repeat: opens a loop.
Step handle_repeat(Runtime& runtime) {
    runtime.reader.loop_stack.push(runtime.reader.instruction_counter);
    return Step::next;
}

// RUNT: until: closes a loop, or goes back behind its repeat without touching either stack.
Step handle_until(Runtime& runtime) {
    if (runtime.reader.loop_stack.empty()) return Step::next;
    if (evaluate_condition(runtime)) {
        runtime.reader.loop_stack.pop();
        return Step::next;
    }
    go_to_record(runtime, std::max(runtime.reader.loop_stack.top(), 1));
    return Step::next;
}

// R009: end of the script.
Step handle_end(Runtime&) {
    return Step::stop;
}

} // namespace korvex
