// Decoding of records and the index of the stream: labels, loops open at each record, block bounds.
#include "decoder/script_index.hpp"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace korvex {
namespace {

bool is_arithmetic_operator(char byte) {
    return byte == '+' || byte == '-' || byte == '*' || byte == '/' || byte == '~' || byte == '^';
}

bool is_block_opcode(Opcode opcode) {
    return opcode == Opcode::RXIF || opcode == Opcode::RXIE || opcode == Opcode::RXEL;
}

// Walks one record's text the way the operand readers always have: from index 5, one past the
// opening character of the first operand, stepping over the opening character of each operand that
// follows another. Positions at or beyond the record's end read as its end.
class RecordDecoder {
public:
    RecordDecoder(DecodedProgram& program, std::string_view text, VariableStore& variables, bool stable_names)
        : program(program), text(text), variables(variables), stable_names(stable_names) {}

    // Decodes the operands of the given shape; returns the text behind a one-line if's condition.
    std::string_view decode(OperandLayout layout) {
        switch (layout.shape) {
        case OperandShape::none: break;
        case OperandShape::label: add_literal(text.size() > 4 ? text.substr(4) : std::string_view()); break;
        case OperandShape::declarations:
            name();
            while (byte_at(position) == '[') {
                position += 1;
                name();
            }
            break;
        case OperandShape::values:
            value();
            for (int i = 1; i < layout.values; ++i) next_value();
            break;
        case OperandShape::output_then_values:
            name();
            for (int i = 0; i < layout.values; ++i) next_value();
            break;
        case OperandShape::join:
            name();
            next_value();
            while (position < length()) next_value();
            break;
        case OperandShape::arithmetic: arithmetic(); break;
        case OperandShape::condition: condition(); break;
        case OperandShape::one_line_if:
            condition();
            return text.substr(static_cast<std::size_t>(std::min<std::int64_t>(position, length())));
        }
        return {};
    }

private:
    std::int64_t length() const { return static_cast<std::int64_t>(text.size()); }

    char byte_at(std::int64_t index) const {
        return index >= 0 && index < length() ? text[static_cast<std::size_t>(index)] : '\0';
    }

    // Everything up to the delimiter; the position ends behind it, or one past the end of the record.
    std::string_view token(char delimiter) {
        std::int64_t start = position;
        std::int64_t end = start;
        while (end < length() && (end < 0 || text[static_cast<std::size_t>(end)] != delimiter)) ++end;
        position = std::min(end + 1, length() + 1);
        if (start < 0 || start >= end) return {};
        return text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
    }

    void add(std::uint32_t first, std::uint32_t length) {
        program.operands.push_back(Operand{first, length});
    }

    void add_literal(std::string_view literal) {
        auto offset = literal.empty() ? 0 : static_cast<std::uint32_t>(literal.data() - program.bytes.data());
        add(offset, static_cast<std::uint32_t>(literal.size()));
    }

    VariableSlot slot_of(std::string_view name_text) {
        return stable_names ? variables.intern_stable(name_text) : variables.intern(name_text);
    }

    // An output reference or a declared name: taken as a name, never evaluated.
    void name() { add(slot_of(token(']')), Operand::variable_code); }

    void value() {
        std::size_t header = program.operands.size();
        add(0, Operand::joined_code);
        std::uint32_t items = 0;
        for (;; ++items) {
            if (byte_at(position - 1) == '[')
                add(slot_of(token(']')), Operand::variable_code);
            else
                add_literal(token('\''));
            if (byte_at(position) != '#') break;
            position += 2;
        }
        if (items == 0)
            program.operands.erase(program.operands.begin() + static_cast<std::ptrdiff_t>(header));
        else
            program.operands[header].first = items + 1;
    }

    void next_value() {
        position += 1;
        value();
    }

    void mark(char byte) { add(static_cast<unsigned char>(byte), Operand::mark_code); }

    // Comparisons joined by "|" and "&": value, operator, value, then connective and the next comparison.
    void condition() {
        for (;;) {
            value();
            mark(byte_at(position));
            position += 2;
            value();
            char connective = byte_at(position);
            if (connective != '|' && connective != '&') return;
            mark(connective);
            position += 2;
        }
    }

    // An output reference, the first value, then each operator (the byte right behind the previous
    // value) with its value; a byte that is no operator is stepped over with the value behind it unread.
    void arithmetic() {
        name();
        next_value();
        position += 2;
        while (position < length()) {
            char operation = byte_at(position - 2);
            if (is_arithmetic_operator(operation)) {
                mark(operation);
                value();
            }
            position += 2;
        }
    }

    DecodedProgram& program;
    std::string_view text;
    VariableStore& variables;
    bool stable_names;
    std::int64_t position = 5;
};

// Decodes text into program.records[index], and the records behind one-line ifs after the end.
void decode_into(DecodedProgram& program, std::size_t index, std::string_view text, VariableStore& variables,
                 bool stable_names) {
    for (;;) {
        DecodedRecord record;
        record.opcode = opcode_of(text);
        record.first_operand = static_cast<std::uint32_t>(program.operands.size());
        RecordDecoder decoder(program, text, variables, stable_names);
        std::string_view rest = decoder.decode(operand_layout(record.opcode));
        record.operand_count = static_cast<std::uint32_t>(program.operands.size()) - record.first_operand;
        if (is_block_opcode(record.opcode)) {
            record.set_branch_end(DecodedRecord::unresolved);
            record.set_block_end(DecodedRecord::unresolved);
        }
        if (record.opcode == Opcode::R0IF) record.set_embedded_record(program.records.size());
        program.records[index] = record;
        if (record.opcode != Opcode::R0IF) return;
        index = program.records.size();
        program.records.emplace_back();
        text = rest;
    }
}

} // namespace

std::uint32_t decode_record(DecodedProgram& program, std::string_view text, VariableStore& variables,
                            const ScriptIndex* labels) {
    auto first = static_cast<std::uint32_t>(program.records.size());
    program.records.emplace_back();
    decode_into(program, first, text, variables, false);
    for (std::size_t i = first; i < program.records.size(); ++i) {
        DecodedRecord& record = program.records[i];
        if ((record.opcode == Opcode::R004 || record.opcode == Opcode::R005) && labels != nullptr)
            record.set_jump_target(
                labels->label_record(program.literal(program.operands[record.first_operand])));
    }
    return first;
}

void ScriptIndex::decode(VariableStore& variables) {
    // Operands keep 32-bit offsets into the stream.
    if (bytes.size() >= Operand::longest_stream) throw std::length_error("stream too long");
    program.bytes = bytes;
    variables.keep_names_in(bytes);
    for (const char* at = bytes.data();
         const void* separator = std::memchr(at, '\x01', bytes.data() + bytes.size() - at);) {
        record_ends.push_back(static_cast<std::uint32_t>(static_cast<const char*>(separator) - bytes.data()));
        at = static_cast<const char*>(separator) + 1;
    }
    // Room for what most scripts need, so that large ones are not moved while they grow: reserved
    // pages that stay unused cost no memory.
    std::size_t one_line_ifs = 0;
    for (std::int32_t number = 1; number <= record_count(); ++number)
        one_line_ifs += record_text(number).substr(0, 4) == "R0IF";
    program.records.reserve(record_ends.size() + one_line_ifs);
    program.records.resize(record_ends.size());
    program.operands.reserve(record_ends.size() * 3);
    variables.reserve(variables.slot_count() + record_ends.size());
    for (std::int32_t number = 1; number <= record_count(); ++number)
        decode_into(program, static_cast<std::size_t>(number - 1), record_text(number), variables, true);

    for (std::int32_t number = 1; number <= record_count(); ++number)
        if (record(number).opcode == Opcode::RLBL)
            labels.emplace(program.literal(program.operands[record(number).first_operand]), number);
    for (DecodedRecord& record : program.records)
        if (record.opcode == Opcode::R004 || record.opcode == Opcode::R005)
            record.set_jump_target(label_record(program.literal(program.operands[record.first_operand])));

    index_loops();
    resolve_blocks();
}

std::string_view ScriptIndex::record_text(std::int32_t number) const {
    std::size_t start = number > 1 ? record_ends[static_cast<std::size_t>(number - 2)] + 1 : 0;
    return std::string_view(bytes).substr(start, record_ends[static_cast<std::size_t>(number - 1)] - start);
}

std::int32_t ScriptIndex::label_record(std::string_view name) const {
    auto found = labels.find(name);
    return found == labels.end() ? 0 : found->second;
}

namespace {

// Where jumps and returns arrive: a label, or a record that may call.
bool is_arrival(Opcode opcode) {
    return opcode == Opcode::RLBL || opcode == Opcode::R005 || opcode == Opcode::R0IF;
}

} // namespace

void ScriptIndex::index_loops() {
    loop_nodes.assign(1, LoopNode{0, 0, 0});
    std::int32_t node = 0;
    for (std::int32_t number = 1; number <= record_count(); ++number) {
        DecodedRecord& record = program.records[static_cast<std::size_t>(number - 1)];
        if (record.opcode == Opcode::RRPT &&
            loop_nodes[static_cast<std::size_t>(node)].depth < record_stack_slots) {
            loop_nodes.push_back(
                LoopNode{number, node, loop_nodes[static_cast<std::size_t>(node)].depth + 1});
            node = static_cast<std::int32_t>(loop_nodes.size() - 1);
        } else if (record.opcode == Opcode::RUNT) {
            node = loop_nodes[static_cast<std::size_t>(node)].parent;
        }
        if (is_arrival(record.opcode)) record.set_loops_here(node);
    }
}

void ScriptIndex::open_loops(std::int32_t number, std::vector<std::int32_t>& loops) const {
    loops.clear();
    number = std::clamp(number, 0, record_count());
    if (number > 0 && is_arrival(record(number).opcode)) {
        for (std::int32_t node = record(number).loops_here(); node != 0;
             node = loop_nodes[static_cast<std::size_t>(node)].parent)
            loops.push_back(loop_nodes[static_cast<std::size_t>(node)].record);
        std::reverse(loops.begin(), loops.end());
        return;
    }
    // Anywhere else (a return to a record that did not call, which only a record executed from
    // outside the script can ask for): replay the repeats and untils from the start.
    for (std::int32_t replayed = 1; replayed <= number; ++replayed) {
        Opcode opcode = record(replayed).opcode;
        if (opcode == Opcode::RRPT && loops.size() < static_cast<std::size_t>(record_stack_slots))
            loops.push_back(replayed);
        else if (opcode == Opcode::RUNT && !loops.empty())
            loops.pop_back();
    }
}

// One pass with the if records as brackets. A position waits at the nesting level where its scan
// started; an else-if, else or end-if at that level ends its skip of a false branch, an end-if ends its
// skip to the block's end. Waiting positions of one level always lie on top of their stack.
void ScriptIndex::resolve_blocks() {
    struct Waiting {
        std::int64_t level;
        DecodedRecord* record;
    };
    std::vector<Waiting> waiting_for_branch, waiting_for_end;
    auto resolve = [](std::vector<Waiting>& waiting, std::int64_t level, std::int32_t number, bool branch) {
        while (!waiting.empty() && waiting.back().level == level) {
            if (branch)
                waiting.back().record->set_branch_end(number);
            else
                waiting.back().record->set_block_end(number);
            waiting.pop_back();
        }
    };
    std::int64_t level = 0;
    for (std::int32_t number = 1; number <= record_count(); ++number) {
        switch (record(number).opcode) {
        case Opcode::RXIF: level += 1; break;
        case Opcode::RXIE:
        case Opcode::RXEL: resolve(waiting_for_branch, level, number, true); break;
        case Opcode::RXEI:
            resolve(waiting_for_branch, level, number, true);
            resolve(waiting_for_end, level, number, false);
            if (level > 0) level -= 1;
            break;
        default: break;
        }
        // A skip starts behind a block record, or behind a one-line if that ends in one.
        DecodedRecord* last = &program.records[static_cast<std::size_t>(number - 1)];
        while (last->opcode == Opcode::R0IF) last = &program.records[last->embedded_record()];
        if (!is_block_opcode(last->opcode)) continue;
        last->set_branch_end(0);
        last->set_block_end(0);
        if (last->opcode != Opcode::RXEL) waiting_for_branch.push_back({level, last});
        if (last->opcode != Opcode::RXIF) waiting_for_end.push_back({level, last});
    }
}

std::int32_t ScriptIndex::branch_after(std::int32_t position) const {
    std::int64_t depth = 0;
    for (std::int32_t number = std::max(position, 0) + 1; number <= record_count(); ++number) {
        switch (record(number).opcode) {
        case Opcode::RXIF: depth += 1; break;
        case Opcode::RXIE:
        case Opcode::RXEL:
            if (depth == 0) return number;
            break;
        case Opcode::RXEI:
            if (depth <= 0) return number;
            depth -= 1;
            break;
        default: break;
        }
    }
    return 0;
}

std::int32_t ScriptIndex::block_end_after(std::int32_t position) const {
    std::int64_t depth = 0;
    for (std::int32_t number = std::max(position, 0) + 1; number <= record_count(); ++number) {
        Opcode opcode = record(number).opcode;
        if (opcode == Opcode::RXIF) depth += 1;
        if (opcode == Opcode::RXEI) {
            if (depth <= 0) return number;
            depth -= 1;
        }
    }
    return 0;
}

} // namespace korvex
