// If, else-if, else, end-if and the one-line if. Where a skipped branch or a block ends was found when
// the script was decoded; the reader goes there directly, as reading forward record by record and
// counting nested blocks would leave it.
#include "core/executor.hpp"
#include "core/operands.hpp"
#include "core/runtime.hpp"
#include "flow/flow.hpp"

namespace korvex {
namespace {

// A record decoded outside the script (a record given to the executor directly) finds its way by
// reading forward from the reader's place.
std::int32_t branch_target(const Runtime& runtime) {
    std::int32_t target = runtime.operands.record->branch_end();
    return target != DecodedRecord::unresolved
               ? target
               : runtime.script.branch_after(runtime.reader.instruction_counter);
}

std::int32_t block_end_target(const Runtime& runtime, const DecodedRecord& record) {
    std::int32_t target = record.block_end();
    return target != DecodedRecord::unresolved
               ? target
               : runtime.script.block_end_after(runtime.reader.instruction_counter);
}

// After a false if: stops behind the first else at depth 0, the first true else-if at depth 0, or the
// block's end-if.
void skip_false_branch(Runtime& runtime) {
    std::int32_t stop = branch_target(runtime);
    for (;;) {
        go_to_record(runtime, stop);
        const DecodedRecord& record = runtime.script.record(stop);
        if (record.opcode != Opcode::RXIE) return;
        begin_record(runtime, runtime.script.decoded(), record);
        if (evaluate_condition(runtime)) return;
        stop = record.branch_end();
    }
}

} // namespace

// RLBL: a label: no effect.
Step handle_label(Runtime&) {
    return Step::next;
}

// RXEI: end-if reached in the ordinary flow: no effect.
Step handle_end_if(Runtime&) {
    return Step::next;
}

// R0IF, RXIF: the one-line if and the if.
Step handle_if(Runtime& runtime) {
    const DecodedRecord& record = *runtime.operands.record;
    bool condition = evaluate_condition(runtime);
    if (record.opcode == Opcode::RXIF) {
        if (!condition) skip_false_branch(runtime);
        return Step::next;
    }
    if (!condition) return Step::next;
    // The one-line if: the record behind the condition runs as an instruction of its own.
    const DecodedProgram& program = *runtime.operands.program;
    begin_record(runtime, program, program.records[record.embedded_record()]);
    return Step::run_embedded;
}

// RXEL, RXIE: else and else-if reached in the ordinary flow.
Step handle_else(Runtime& runtime) {
    go_to_record(runtime, block_end_target(runtime, *runtime.operands.record));
    return Step::next;
}

} // namespace korvex
