// The instruction stream, decoded once when the program starts. The stream never changes, so every
// record is split into its opcode and operands here, every label, loop and block boundary is found
// here, and running the script moves a record number instead of reading bytes again.
// Floor: decoder (src/decoder/), beside the platform; may include base/ and decoder/.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "decoder/opcodes.hpp"
#include "decoder/variable_store.hpp"

namespace korvex {

// One piece of a decoded record's operands, in eight bytes: a million records decode into little.
struct Operand {
    enum class Kind : std::uint8_t {
        literal,  // first: offset of the text in the program's bytes, length: its length
        variable, // first: the variable's slot (a reference, an output name or a declared name)
        joined,   // first: how many literal or variable pieces follow, which together make one value
        mark,     // first: an operator or connective byte (0 where the record ended)
    };
    // Codes in place of a length for the kinds that have none; no literal is this long, since the
    // stream is shorter than longest_stream.
    static constexpr std::uint32_t variable_code = 0xFFFFFFFFu, joined_code = 0xFFFFFFFEu,
                                   mark_code = 0xFFFFFFFDu;
    static constexpr std::uint64_t longest_stream = 0x7FFFFFF0u;

    std::uint32_t first;
    std::uint32_t length;

    Kind kind() const {
        switch (length) {
        case variable_code: return Kind::variable;
        case joined_code: return Kind::joined;
        case mark_code: return Kind::mark;
        default: return Kind::literal;
        }
    }
    // The operands a value takes: itself, and its pieces when it is joined.
    std::uint32_t extent() const { return length == joined_code ? first + 1 : 1; }
};

// A record's opcode, where its operands are, and the two facts the decoder found for its opcode, each
// read and set under its own name:
//   R004, R005        jump_target(): the record of the label (0: no such label)
//   R0IF              embedded_record(): the index of the record behind the condition in the same program
//   RXIF, RXIE        branch_end(): where the skip of a false branch stops (the next else-if, else or
//                     end-if of the same depth)
//   RXIE, RXEL        block_end(): the block's end-if, where a branch that ran to its end goes
//   RLBL, R005, R0IF  loops_here(): the loops open there, where jumps and returns arrive (a node of the
//                     script's loop tree; 0: none)
// A branch or block end is 0 when the stream ends first, and unresolved in a record decoded outside
// the script, which finds it by reading forward when needed.
struct DecodedRecord {
    static constexpr std::int32_t unresolved = -1;
    std::uint32_t first_operand = 0;
    std::uint32_t operand_count = 0;
    Opcode opcode = Opcode::unknown;

    std::int32_t jump_target() const { return first_fact; }
    std::size_t embedded_record() const { return static_cast<std::size_t>(first_fact); }
    std::int32_t branch_end() const { return first_fact; }
    std::int32_t block_end() const { return second_fact; }
    std::int32_t loops_here() const { return second_fact; }

    void set_jump_target(std::int32_t record) { first_fact = record; }
    void set_embedded_record(std::size_t index) { first_fact = static_cast<std::int32_t>(index); }
    void set_branch_end(std::int32_t record) { first_fact = record; }
    void set_block_end(std::int32_t record) { second_fact = record; }
    void set_loops_here(std::int32_t node) { second_fact = node; }

private:
    // No opcode has more than two facts, and an opcode's two sit in different fields: the facts of all
    // opcodes share these two, keeping the record at 20 bytes (a million records decode into little).
    std::int32_t first_fact = 0;
    std::int32_t second_fact = 0;
};
static_assert(sizeof(DecodedRecord) == 20, "a decoded record stays 20 bytes");

// Records decoded over one run of bytes: the stream, or a record handed to the executor directly.
struct DecodedProgram {
    std::string_view bytes;
    std::vector<DecodedRecord> records;
    std::vector<Operand> operands;

    // Decoding made every literal a part of bytes.
    std::string_view literal(const Operand& operand) const {
        return std::string_view(bytes.data() + operand.first, operand.length);
    }
};

// Decodes one record's text (a view into program.bytes) and the records embedded behind one-line ifs,
// interning variable names; returns the index of the record in program.records. Jump targets come from
// labels when given.
class ScriptIndex;

// The slots of the reader's loop and return stacks: a push onto a full stack is dropped, and the index
// finds the loops as a reader with such a stack would.
inline constexpr int record_stack_slots = 200;
std::uint32_t decode_record(DecodedProgram& program, std::string_view text, VariableStore& variables,
                            const ScriptIndex* labels);

class ScriptIndex {
public:
    ScriptIndex() = default;
    explicit ScriptIndex(std::string stream_bytes) : bytes(std::move(stream_bytes)) {}
    ScriptIndex(ScriptIndex&&) = delete;

    // Splits and decodes every record; names go into variables. Called once, before the script runs.
    void decode(VariableStore& variables);

    // Records are numbered from 1; the bytes behind the last separator (the terminator) are no record.
    std::int32_t record_count() const { return static_cast<std::int32_t>(record_ends.size()); }
    std::string_view record_text(std::int32_t number) const;
    const DecodedRecord& record(std::int32_t number) const { return program.records[number - 1]; }
    const DecodedProgram& decoded() const { return program; }

    // The first label of that name, or 0.
    std::int32_t label_record(std::string_view name) const;
    // The loops open behind record `number` (0: at the start), as replaying the repeats and untils of
    // records 1 to number onto an empty 200-slot stack leaves them, innermost last.
    void open_loops(std::int32_t number, std::vector<std::int32_t>& loops) const;
    // Where reading forward from behind record `position` stops for a false if (the next else-if, else
    // or end-if of the same depth) and for a branch that ran to its end (the block's end-if); 0 when the
    // stream ends first.
    std::int32_t branch_after(std::int32_t position) const;
    std::int32_t block_end_after(std::int32_t position) const;

private:
    void resolve_blocks();
    void index_loops();

    std::string bytes;
    std::vector<std::uint32_t> record_ends;
    DecodedProgram program;
    std::unordered_map<std::string_view, std::int32_t> labels;
    // Loops as a tree: each pushed repeat is a node whose parent is the loop around it.
    struct LoopNode {
        std::int32_t record;
        std::int32_t parent;
        std::int32_t depth;
    };
    std::vector<LoopNode> loop_nodes;
};

} // namespace korvex
