// The handler of every instruction, declared from the one list in opcodes.def, and the one step
// protocol they share. Each takes the runtime, reads its operands, works (a dialog instruction runs its
// dialog and stores the answer) and returns the step that tells the executor what to do next.
#pragma once

#include <cstdint>

namespace korvex {

struct Runtime;

// What follows a handler. The main loop knows only the next record or the stop; run_embedded stays
// inside the executor.
enum class Step : std::uint8_t {
    // Go on with the record behind the reader.
    next,
    // The script ends here: the end instruction, a version record of another version.
    stop,
    // The record names no instruction: skipped, as next.
    unknown_opcode,
    // A true one-line if made the record behind its condition the current one: run it now.
    run_embedded,
};

#define KORVEX_OPCODE(code, handler, shape, values, group, name, operands) Step handler(Runtime& runtime);
#include "decoder/opcodes.def"
#undef KORVEX_OPCODE

} // namespace korvex
