// The handler of every instruction, declared from the one list in opcodes.def. Each takes the runtime,
// reads its operands, works and returns the status that tells the main loop what to do next.
#pragma once

#include <cstdint>

namespace korvex {

struct Runtime;

#define KORVEX_OPCODE(code, handler, shape, values, group, name, operands)                                   \
    std::int32_t handler(Runtime& runtime);
#include "decoder/opcodes.def"
#undef KORVEX_OPCODE

} // namespace korvex
