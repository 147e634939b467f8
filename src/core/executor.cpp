// The dispatcher: one switch over the four-character opcode, one handler call per case.
#include "core/executor.hpp"

#include "core/instructions.hpp"
#include "core/runtime.hpp"
#include "dialogs/dialogs.hpp"
#include "files/files.hpp"
#include "flow/flow.hpp"
#include "system/system.hpp"
#include "text/text.hpp"

namespace korvex {
namespace {

std::int32_t dispatch(Runtime& runtime) {
    const std::string& record = runtime.current_instruction;
    runtime.current_opcode.assign(record, 0, std::min<std::size_t>(4, record.size()));
    const std::uint32_t code = opcode_number(record);
    // A label leaves the parse position as the previous instruction left it.
    if (code == opcode_number("RLBL")) return handle_label(runtime);
    runtime.parse_position = 5;
    switch (code) {
#define KORVEX_OPCODE(name, handler)                                                                         \
    case opcode_number(#name):                                                                               \
        return handler(runtime);
#include "core/opcodes.def"
#undef KORVEX_OPCODE
    default: return status_unknown_opcode;
    }
}

} // namespace

bool is_known_opcode(std::string_view code) {
    switch (opcode_number(code)) {
#define KORVEX_OPCODE(name, handler) case opcode_number(#name):
#include "core/opcodes.def"
#undef KORVEX_OPCODE
        return code.size() == 4;
    default: return false;
    }
}

std::int32_t execute_instruction(Runtime& runtime) {
    std::int32_t status;
    do {
        status = dispatch(runtime);
    } while (status == status_dispatch_again);
    return status;
}

} // namespace korvex
