// Carries out one decoded record and tells the main loop whether the next one follows.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/handlers.hpp"
#include "decoder/opcodes.hpp"

namespace korvex {

struct Runtime;
struct DecodedProgram;
struct DecodedRecord;

// Executes record `number` of the script (the record the reader has just reached); the step is never
// run_embedded.
Step execute_record(Runtime& runtime, std::int32_t number);
// Executes a record of another program (a record given as text, in tests) at the reader's place.
Step execute_instruction(Runtime& runtime, const DecodedProgram& program, const DecodedRecord& record);

// Decodes a record given as text and executes it at the reader's place (tests and benchmarks).
Step execute_text(Runtime& runtime, std::string_view text);

// Places the reader behind record `number`, as reading the stream from its start up to that record
// would; the script ends when the stream has no such record (0 names none).
void go_to_record(Runtime& runtime, std::int32_t number);

} // namespace korvex
