// If, else-if, else, end-if and the one-line if, carried out by reading forward past skipped branches
// and counting nested blocks.
#include "core/executor.hpp"
#include "core/operands.hpp"
#include "core/runtime.hpp"
#include "flow/flow.hpp"

namespace korvex {
namespace {

constexpr std::uint32_t if_code = opcode_number("RXIF");
constexpr std::uint32_t else_if_code = opcode_number("RXIE");
constexpr std::uint32_t else_code = opcode_number("RXEL");
constexpr std::uint32_t end_if_code = opcode_number("RXEI");

// After a false if: stops behind the first else at depth 0, the first true else-if at depth 0, or the
// block's end-if.
void skip_false_branch(Runtime& runtime) {
    runtime.block_depth = 0;
    while (!runtime.script.at_end()) {
        runtime.current_instruction = read_instruction(runtime);
        std::uint32_t code = opcode_number(runtime.current_instruction);
        runtime.current_opcode = runtime.current_instruction.substr(0, 4);
        if (code == if_code) {
            runtime.block_depth += 1;
        } else if (code == else_if_code) {
            if (runtime.block_depth == 0) {
                runtime.parse_position = 5;
                if (evaluate_condition(runtime)) return;
            }
        } else if (code == end_if_code) {
            if (runtime.block_depth <= 0) return;
            runtime.block_depth -= 1;
        } else if (code == else_code) {
            if (runtime.block_depth == 0) return;
        }
    }
}

// After a branch ran to its end: stops behind the block's end-if.
void skip_to_block_end(Runtime& runtime) {
    while (!runtime.script.at_end()) {
        std::uint32_t code = opcode_number(read_instruction(runtime));
        if (code == if_code) {
            runtime.block_depth += 1;
        } else if (code == end_if_code) {
            if (runtime.block_depth <= 0) return;
            runtime.block_depth -= 1;
        }
    }
}

} // namespace

// RLBL: a label: no effect.
std::int32_t handle_label(Runtime&) {
    return status_continue;
}

// RXEI: end-if reached in the ordinary flow: no effect.
std::int32_t handle_end_if(Runtime&) {
    return status_continue;
}

// R0IF, RXIF: the one-line if and the if.
std::int32_t handle_if(Runtime& runtime) {
    bool condition = evaluate_condition(runtime);
    if (opcode_number(runtime.current_instruction) == if_code) {
        if (!condition) skip_false_branch(runtime);
        return status_continue;
    }
    if (!condition) return status_continue;
    // The one-line if: the text behind the condition is dispatched as an instruction of its own.
    std::size_t rest = std::min<std::size_t>(static_cast<std::size_t>(runtime.parse_position),
                                             runtime.current_instruction.size());
    runtime.current_instruction.erase(0, rest);
    return status_dispatch_again;
}

// RXEL, RXIE: else and else-if reached in the ordinary flow.
std::int32_t handle_else(Runtime& runtime) {
    skip_to_block_end(runtime);
    return status_continue;
}

} // namespace korvex
