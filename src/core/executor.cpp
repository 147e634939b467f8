// The dispatcher: one switch over the decoded opcode, one handler call per case.
#include "core/executor.hpp"

#include "core/handlers.hpp"
#include "core/operands.hpp"
#include "core/runtime.hpp"

namespace korvex {
namespace {

Step dispatch(Runtime& runtime) {
    switch (runtime.operands.record->opcode) {
#define KORVEX_OPCODE(code, handler, shape, values, group, name, operands)                                   \
    case Opcode::code:                                                                                       \
        return handler(runtime);
#include "decoder/opcodes.def"
#undef KORVEX_OPCODE
    case Opcode::unknown: break;
    }
    return Step::unknown_opcode;
}

} // namespace

Step execute_instruction(Runtime& runtime, const DecodedProgram& program, const DecodedRecord& record) {
    begin_record(runtime, program, record);
    Step step;
    // A true one-line if makes the record behind its condition the current one and asks for it to run.
    while ((step = dispatch(runtime)) == Step::run_embedded) {
    }
    return step;
}

Step execute_record(Runtime& runtime, std::int32_t number) {
    return execute_instruction(runtime, runtime.script.decoded(), runtime.script.record(number));
}

Step execute_text(Runtime& runtime, std::string_view text) {
    DecodedProgram program;
    program.bytes = text;
    std::uint32_t index = decode_record(program, text, runtime.variables, &runtime.script);
    return execute_instruction(runtime, program, program.records[index]);
}

void go_to_record(Runtime& runtime, std::int32_t number) {
    if (number < 1 || number > runtime.script.record_count()) throw ScriptEnded{};
    runtime.reader.instruction_counter = number;
}

} // namespace korvex
