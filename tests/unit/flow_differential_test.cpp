// Random control-flow programs run through the executor and through a reference reader kept here that
// reads the stream literally: every jump, call, return and false until rewinds to the first record and
// reads forward. Both must agree on the variables, how the run ended, the record counter and the stacks.
#include <algorithm>
#include <cstdlib>
#include <map>
#include <random>

#include "core/executor.hpp"
#include "test_support.hpp"

namespace korvex::testing {
namespace {

constexpr std::size_t stack_slots = 200;

enum class Ending { end_instruction, stream_ran_out, bound_reached };

// What the flow instructions leave behind. Stacks are listed bottom first.
struct FlowState {
    Ending ending = Ending::bound_reached;
    std::int32_t counter = 0;
    std::vector<std::int32_t> loops;
    std::vector<std::int32_t> returns;
    std::map<std::string, std::string> variables;
    bool operator==(const FlowState&) const = default;

    // Once the stream has run out the script is over: the counter and the stacks can no longer be
    // seen, and a jump that found no label may leave them anywhere.
    FlowState& forget_unseen() {
        if (ending == Ending::stream_ran_out) {
            counter = 0;
            loops.clear();
            returns.clear();
        }
        return *this;
    }
};

// 31 to 33 count loop rounds by nesting depth, 34 holds a digit, 35 counts for one-line ifs, 36 the
// recursion's depth and 37 the runs from the start; 40 is the trace.
const char* const compared_variables[] = {"31", "32", "33", "34", "35", "36", "37", "40"};

// The flow rules written plainly: no index, no cache, the stream re-read on every move back.
class ReferenceReader {
public:
    explicit ReferenceReader(const std::vector<std::string>& records) : records(records) {}

    FlowState run(int bound) {
        FlowState state;
        state.ending = run_records(bound);
        state.counter = counter;
        state.loops = loops;
        state.returns = returns;
        for (const char* name : compared_variables) state.variables[name] = variables[name];
        return state;
    }

    // Whether a push found its stack full, so the test can tell that the programs reach the limit.
    bool loop_push_dropped = false;
    bool return_push_dropped = false;

private:
    struct RanOut {};

    Ending run_records(int bound) {
        try {
            for (int i = 0; i < bound; ++i)
                if (!execute(read_record())) return Ending::end_instruction;
            return Ending::bound_reached;
        } catch (const RanOut&) {
            return Ending::stream_ran_out;
        }
    }

    const std::string& read_record() {
        if (position == records.size()) throw RanOut{};
        ++counter;
        return records[position++];
    }

    void rewind() {
        position = 0;
        counter = 0;
    }

    static void push(std::vector<std::int32_t>& stack, std::int32_t record, bool& dropped) {
        if (stack.size() < stack_slots)
            stack.push_back(record);
        else
            dropped = true;
    }

    static std::string_view opcode_of(std::string_view record) { return record.substr(0, 4); }
    static std::string_view operands_of(std::string_view record) {
        return record.size() > 4 ? record.substr(4) : std::string_view();
    }

    // False when the record ends the run.
    bool execute(std::string record) {
        for (;;) {
            const std::string_view code = opcode_of(record);
            const std::string operands(operands_of(record));
            std::size_t condition_end = 0;
            if (code == "R009") return false;
            if (code == "R001") {
                assign(operands);
            } else if (code == "R004") {
                jump(operands);
            } else if (code == "R005") {
                push(returns, counter, return_push_dropped);
                jump(operands);
            } else if (code == "R006") {
                give_back();
            } else if (code == "RRPT") {
                push(loops, counter, loop_push_dropped);
            } else if (code == "RUNT") {
                until(operands);
            } else if (code == "RXIF") {
                if (!condition(operands, condition_end)) skip_false_branch();
            } else if (code == "RXIE" || code == "RXEL") {
                skip_to_end_if();
            } else if (code == "R0IF" && condition(operands, condition_end)) {
                record = operands.substr(std::min(condition_end, operands.size()));
                continue;
            }
            return true;
        }
    }

    // [name] or 'text', joined by #; `at` ends behind the value.
    std::string value(const std::string& text, std::size_t& at) {
        std::string result;
        while (at < text.size()) {
            const bool is_variable = text[at] == '[';
            std::size_t close = std::min(text.find(is_variable ? ']' : '\'', at + 1), text.size());
            std::string item = text.substr(at + 1, close - at - 1);
            result += is_variable ? variables[item] : item;
            at = close + 1;
            if (at >= text.size() || text[at] != '#') break;
            ++at;
        }
        return result;
    }

    static bool compare(char comparison, const std::string& left, const std::string& right) {
        double left_number = std::strtod(left.c_str(), nullptr);
        double right_number = std::strtod(right.c_str(), nullptr);
        switch (comparison) {
        case '=': return left == right;
        case '!': return left != right;
        case '<': return left_number < right_number;
        case '>': return left_number > right_number;
        default: return false;
        }
    }

    // Comparisons joined by | and &, taken left to right; `at` ends behind the condition.
    bool condition(const std::string& text, std::size_t& at) {
        at = 0;
        bool outcome = false;
        char connective = 0;
        for (;;) {
            std::string left = value(text, at);
            char comparison = at < text.size() ? text[at] : '\0';
            ++at;
            std::string right = value(text, at);
            bool clause = compare(comparison, left, right);
            outcome = connective == '|' ? outcome || clause : connective == '&' ? outcome && clause : clause;
            if (at >= text.size() || (text[at] != '|' && text[at] != '&')) return outcome;
            connective = text[at++];
        }
    }

    void assign(const std::string& operands) {
        std::size_t close = std::min(operands.find(']'), operands.size());
        std::size_t at = close + 1;
        std::string result = value(operands, at);
        variables[operands.substr(1, close - 1)] = result;
    }

    void jump(const std::string& name) {
        rewind();
        loops.clear();
        for (;;) {
            const std::string& record = read_record();
            if (opcode_of(record) == "RLBL" && operands_of(record) == name) return;
            replay_loop(record);
        }
    }

    void replay_loop(const std::string& record) {
        if (opcode_of(record) == "RRPT") push(loops, counter, loop_push_dropped);
        if (opcode_of(record) == "RUNT" && !loops.empty()) loops.pop_back();
    }

    void give_back() {
        if (returns.empty()) return;
        std::int32_t target = returns.back();
        returns.pop_back();
        rewind();
        loops.clear();
        do {
            replay_loop(read_record());
        } while (counter < target);
    }

    void until(const std::string& operands) {
        if (loops.empty()) return;
        std::size_t condition_end = 0;
        if (condition(operands, condition_end)) {
            loops.pop_back();
            return;
        }
        rewind();
        while (counter < loops.back()) read_record();
    }

    void skip_false_branch() {
        int depth = 0;
        for (;;) {
            const std::string& record = read_record();
            std::string_view code = opcode_of(record);
            std::size_t condition_end = 0;
            if (code == "RXIF") {
                ++depth;
            } else if (code == "RXIE" && depth == 0 &&
                       condition(std::string(operands_of(record)), condition_end)) {
                return;
            } else if (code == "RXEI") {
                if (depth <= 0) return;
                --depth;
            } else if (code == "RXEL" && depth == 0) {
                return;
            }
        }
    }

    void skip_to_end_if() {
        int depth = 0;
        for (;;) {
            std::string_view code = opcode_of(read_record());
            if (code == "RXIF") {
                ++depth;
            } else if (code == "RXEI") {
                if (depth <= 0) return;
                --depth;
            }
        }
    }

    const std::vector<std::string>& records;
    std::size_t position = 0;
    std::int32_t counter = 0;
    std::vector<std::int32_t> loops;
    std::vector<std::int32_t> returns;
    std::map<std::string, std::string> variables;
};

// Runs the executor for at most `bound` main-loop records. This is the only place that knows how the
// runtime reads and executes; the comparison reads the variables, the counter and the stacks only.
Ending run_in_runtime(Runtime& runtime, int bound) {
    try {
        for (int i = 0; i < bound; ++i) {
            go_to_record(runtime, runtime.reader.instruction_counter + 1);
            if (execute_record(runtime, runtime.reader.instruction_counter) == Step::stop)
                return Ending::end_instruction;
        }
    } catch (const ScriptEnded&) {
        return Ending::stream_ran_out;
    }
    return Ending::bound_reached;
}

std::vector<std::int32_t> entries_of(RecordStack stack) {
    std::vector<std::int32_t> entries(static_cast<std::size_t>(stack.size()));
    for (auto slot = entries.rbegin(); slot != entries.rend(); ++slot) {
        *slot = stack.top();
        stack.pop();
    }
    return entries;
}

FlowState state_of_runtime(ScriptRun& script, Ending ending) {
    FlowState state;
    state.ending = ending;
    state.counter = script.runtime->reader.instruction_counter;
    state.loops = entries_of(script.runtime->reader.loop_stack);
    state.returns = entries_of(script.runtime->reader.return_stack);
    for (const char* name : compared_variables) state.variables[name] = script.variable(name);
    return state;
}

std::string stack_text(const std::vector<std::int32_t>& stack) {
    return std::to_string(stack.size()) + (stack.empty() ? "" : " top " + std::to_string(stack.back()));
}

std::string describe(const FlowState& state) {
    const char* const endings[] = {"end instruction", "stream ran out", "bound reached"};
    std::string text = std::string(endings[static_cast<int>(state.ending)]) + ", counter " +
                       std::to_string(state.counter) + ", loops " + stack_text(state.loops) + ", returns " +
                       stack_text(state.returns) + "\n";
    for (const auto& [name, value] : state.variables)
        text += "  [" + name + "] " +
                (value.size() > 400 ? "..." + value.substr(value.size() - 400) : value) + "\n";
    return text;
}

enum class Extra { none, repeat_tower, deep_recursion };

// Random programs of flow records. Each trace record appends a number of its own to variable 40, so the
// trace lists the records executed, in order.
class ProgramGenerator {
public:
    explicit ProgramGenerator(unsigned seed) : random(seed) {}

    std::vector<std::string> program(Extra extra) {
        for (int i = 4; i > 0; --i) std::swap(label_names[i], label_names[pick(i + 1)]);
        placed_names = 2 + pick(2);
        int count = 5 + pick(30);
        int extra_at = pick(count);
        emit("RLBLstart");
        for (int i = 0; i < count; ++i) {
            if (i == extra_at && extra == Extra::repeat_tower) repeat_tower();
            if (i == extra_at && extra == Extra::deep_recursion) deep_recursion();
            statement(0);
        }
        // Every name the program jumps to mostly has its label somewhere.
        for (int i = 0; i < placed_names; ++i) {
            std::string label = std::string("RLBL") + label_names[i];
            if (std::find(records.begin(), records.end(), label) == records.end())
                records.insert(records.begin() + pick(static_cast<int>(records.size()) + 1), label);
        }
        // Runs that reach the end mostly start over a few times, on other paths as the counters grew.
        if (pick(4)) {
            emit("R001[37][37]#'x'");
            emit("R0IF[37]!'" + std::string(static_cast<std::size_t>(1 + pick(4)), 'x') + "'R004start");
        }
        return records;
    }

    // Mostly enough for the program to end; sometimes a cut in the middle of the run.
    int bound() { return pick(4) == 0 ? 1 + pick(400) : 1500; }

private:
    // Plain modulo rather than a distribution, whose results differ between standard libraries: a seed
    // names the same program everywhere.
    int pick(int count) { return static_cast<int>(random() % static_cast<std::uint32_t>(count)); }

    void emit(std::string record) { records.push_back(std::move(record)); }

    std::string trace_record() { return "R001[40][40]#'" + std::to_string(records.size() + 1) + ",'"; }

    std::string placed_label() { return label_names[pick(placed_names)]; }

    // Now and then a name without a label in this program, or one byte away from a label's name.
    std::string target_label() {
        return pick(12) == 0 ? label_names[placed_names + pick(6 - placed_names)] : placed_label();
    }

    std::string comparison() {
        std::string counter = "[3" + std::to_string(1 + pick(3)) + "]";
        std::string x_run(static_cast<std::size_t>(pick(4)), 'x');
        switch (pick(8)) {
        case 0: return counter + "='" + x_run + "'";
        case 1: return counter + "!'" + x_run + "'";
        case 2: return "[34]<'" + std::to_string(pick(10)) + "'";
        case 3: return "[34]>'" + std::to_string(pick(10)) + "'";
        case 4: return "[35]='" + x_run + "'";
        case 5: return "[35]#'x'=[31]#'x'";
        case 6: return pick(2) ? "'1'='1'" : "'1'='2'";
        default: return "[35]!'" + x_run + "'";
        }
    }

    std::string condition() {
        std::string text = comparison();
        for (int joins = pick(4) == 0 ? 1 + pick(2) : 0; joins > 0; --joins)
            text += (pick(2) ? "|" : "&") + comparison();
        return text;
    }

    void statements(int depth, int count) {
        for (int i = 0; i < count; ++i) statement(depth);
    }

    void statement(int depth) {
        int roll = pick(100);
        if (roll < 24)
            emit(trace_record());
        else if (roll < 28)
            emit("R001[34]'" + std::to_string(pick(10)) + "'");
        else if (roll < 34)
            emit(pick(4) ? "R001[35][35]#'x'" : "R001[35]''");
        else if (roll < 41)
            emit("RLBL" + placed_label());
        else if (roll < 44)
            emit("R004" + target_label());
        else if (roll < 48)
            emit("R005" + target_label());
        else if (roll < 52)
            emit("R006");
        else if (roll < 66)
            one_line_if(depth, 0);
        else if (roll < 75 && depth < 3)
            loop(depth);
        else if (roll < 84 && depth < 3)
            if_block(depth);
        else if (roll < 88 && depth == 0)
            subroutine();
        else if (roll < 94)
            stray_block_record();
        else if (roll < 95)
            emit("R009");
        else
            emit(trace_record());
    }

    // The counter of this depth grows once a round; the until ends the loop when it has grown enough.
    void loop(int depth) {
        std::string counter = "[3" + std::to_string(1 + depth) + "]";
        if (pick(6)) emit("R001" + counter + "''");
        emit("RRPT");
        statements(depth + 1, pick(5));
        // A return into a loop body must find the loops open there again.
        if (pick(3) == 0) emit("R005" + placed_label());
        emit("R001" + counter + counter + "#'x'");
        if (pick(8) == 0) return;
        std::string x_run(static_cast<std::size_t>(1 + pick(3)), 'x');
        emit("RUNT" + counter + "='" + x_run + "'" + (pick(3) ? "" : (pick(2) ? "|" : "&") + comparison()));
    }

    void if_block(int depth) {
        emit("RXIF" + condition());
        statements(depth + 1, pick(4));
        for (int others = pick(3); others > 0; --others) {
            emit("RXIE" + condition());
            statements(depth + 1, pick(3));
        }
        if (pick(2)) {
            emit("RXEL");
            statements(depth + 1, pick(3));
        }
        if (pick(8)) emit("RXEI");
    }

    void one_line_if(int depth, int nesting) {
        std::string record = "R0IF" + condition();
        int roll = pick(nesting < 3 ? 15 : 14);
        switch (roll) {
        case 0:
        case 1: emit(record + "R001[40][40]#'" + std::to_string(records.size() + 1) + "i,'"); return;
        case 2: emit(record + "R004" + target_label()); return;
        case 3: emit(record + "R005" + target_label()); return;
        case 4: emit(record + "R006"); return;
        case 5: emit(record + "R009"); return;
        case 6: emit(record + "RRPT"); return;
        case 7: emit(record + "RUNT" + condition()); return;
        case 8: emit(record + "RXEL"); return;
        case 9: emit(record + "RXIE" + condition()); return;
        case 10: emit(record + "RLBL" + placed_label()); return;
        case 11: emit(record + "R001[35][35]#'x'"); return;
        case 12: emit(record); return;
        case 13:
            emit(record + "RXIF" + condition());
            if (depth < 3) statements(depth + 1, pick(3));
            if (pick(4)) emit("RXEI");
            return;
        default: {
            // A one-line if inside a one-line if: the record of the inner one takes the outer condition.
            std::size_t inner = records.size();
            one_line_if(depth, nesting + 1);
            records[inner] = record + records[inner];
            return;
        }
        }
    }

    void subroutine() {
        std::string behind = "s" + std::to_string(records.size());
        emit("R004" + behind);
        emit("RLBL" + placed_label());
        statements(1, 1 + pick(4));
        emit("R006");
        emit("RLBL" + behind);
    }

    void stray_block_record() {
        const char* const codes[] = {"RRPT", "RUNT", "RXIF", "RXIE", "RXEL", "RXEI"};
        std::string code = codes[pick(6)];
        emit(code + (code == "RUNT" || code == "RXIF" || code == "RXIE" ? condition() : ""));
    }

    // More repeats than the loop stack has slots, a label among them and a jump back to it.
    void repeat_tower() {
        int height = 190 + pick(71);
        int label_at = pick(height);
        emit("R001[33]''");
        for (int i = 0; i < height; ++i) {
            emit("RRPT");
            if (i == label_at) emit("RLBLtower");
            if (pick(40) == 0) emit(trace_record());
        }
        emit("R001[33][33]#'x'");
        emit("RUNT[33]!'x'");
        for (int closes = pick(height + 20); closes > 0; --closes) emit("RUNT'1'='1'");
        emit("R0IF[33]='xx'R004tower");
        emit(trace_record());
    }

    // A subroutine that calls itself deeper than the return stack has slots.
    void deep_recursion() {
        std::string depth(static_cast<std::size_t>(150 + pick(111)), 'x');
        emit("R004behind");
        emit("RLBLrecurse");
        emit("R001[36][36]#'x'");
        emit(trace_record());
        emit("R0IF[36]!'" + depth + "'R005recurse");
        emit(trace_record());
        emit("R006");
        emit("RLBLbehind");
        emit("R001[36]''");
        emit("R005recurse");
        emit(trace_record());
    }

    std::mt19937 random;
    std::vector<std::string> records;
    // "" is the label of a bare RLBL, "a " differs from "a" by its blank, "missing" is never placed.
    // The first placed_names of them (after a shuffle that leaves "missing" last) have labels.
    const char* label_names[6] = {"a", "b", "ab", "a ", "", "missing"};
    int placed_names = 0;
};

std::string listing_of(const std::vector<std::string>& records) {
    std::string listing;
    for (const std::string& record : records) listing += listing::line_of(record) + "\n";
    return listing;
}

TEST(FlowDifferential, RandomProgramsRunAsTheLiteralReaderRunsThem) {
    const unsigned programs = 1000;
    int failures = 0;
    int endings[3] = {0, 0, 0};
    int full_loop_stacks = 0;
    int full_return_stacks = 0;
    for (unsigned seed = 1; seed <= programs && failures < 3; ++seed) {
        ProgramGenerator generator(seed);
        Extra extra = seed % 10 == 3   ? Extra::repeat_tower
                      : seed % 10 == 7 ? Extra::deep_recursion
                                       : Extra::none;
        std::vector<std::string> records = generator.program(extra);
        int bound = generator.bound();

        ReferenceReader reference(records);
        FlowState expected = reference.run(bound);
        expected.forget_unseen();
        full_loop_stacks += reference.loop_push_dropped;
        full_return_stacks += reference.return_push_dropped;
        endings[static_cast<int>(expected.ending)] += 1;

        std::string listing = listing_of(records);
        ScriptRun script(listing);
        FlowState actual = state_of_runtime(script, run_in_runtime(*script.runtime, bound));
        actual.forget_unseen();
        if (actual != expected) {
            ++failures;
            ADD_FAILURE() << "seed " << seed << ", bound " << bound << "\nexpected: " << describe(expected)
                          << "runtime:  " << describe(actual) << "listing:\n"
                          << listing;
        }
    }
    // The programs must keep reaching every way of ending and both stack limits, or they test less.
    EXPECT_GT(endings[static_cast<int>(Ending::end_instruction)], 50);
    EXPECT_GT(endings[static_cast<int>(Ending::stream_ran_out)], 50);
    EXPECT_GT(endings[static_cast<int>(Ending::bound_reached)], 50);
    EXPECT_GT(full_loop_stacks, 20);
    EXPECT_GT(full_return_stacks, 20);
}

} // namespace
} // namespace korvex::testing
