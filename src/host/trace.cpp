// The trace of a run; see trace.hpp.
#include "host/trace.hpp"

#include <algorithm>
#include <utility>

#include "base/escapes.hpp"
#include "base/numbers.hpp"
#include "core/runtime.hpp"
#include "core/variables.hpp"
#include "platform/desktop.hpp"
#include "platform/os.hpp"

namespace korvex {
namespace {

// The variable a record writes its result to, for the records that name one first.
std::optional<VariableSlot> output_of(const Runtime& runtime) {
    const DecodedRecord* record = runtime.operands.record;
    if (record == nullptr || record->operand_count == 0) return std::nullopt;
    switch (operand_layout(record->opcode).shape) {
    case OperandShape::output_then_values:
    case OperandShape::join:
    case OperandShape::arithmetic: break;
    default: return std::nullopt;
    }
    const Operand& operand = runtime.operands.program->operands[record->first_operand];
    if (operand.kind() != Operand::Kind::variable) return std::nullopt;
    return operand.first;
}

// A variable's value as a script would read it; "" for one never stored.
std::string value_of(const VariableStore& store, VariableSlot slot) {
    if (store.holds_text(slot)) return std::string(store.text(slot));
    if (store.holds_number(slot)) return format_number(store.number(slot));
    return std::string();
}

// Whether a move went back behind the repeat of the innermost open loop, which only an until does: a
// jump arrives at a label, a return at a call, a skip at an else-if, else or end-if.
bool goes_back_to_its_loop(const Runtime& runtime) {
    const Reader& reader = runtime.reader;
    return !reader.loop_stack.empty() && reader.loop_stack.top() == reader.instruction_counter;
}

std::string name_of(const Runtime& runtime, VariableSlot slot) {
    return "[" + std::string(runtime.variables.name_of(slot)) + "]";
}

} // namespace

std::string traced_text(std::string_view text) {
    if (text.size() <= Trace::shown_length) return "\"" + escape_bytes(text) + "\"";
    return "\"" + escape_bytes(text.substr(0, Trace::shown_length)) + "\"... (" +
           whole_number_text(text.size()) + " bytes)";
}

Trace::Trace(std::FILE* stream, bool owns_stream, std::string name)
    : stream(stream), owns_stream(owns_stream), name(std::move(name)) {}

Trace::~Trace() {
    if (stream == nullptr) return;
    if (owns_stream)
        std::fclose(stream);
    else
        std::fflush(stream);
}

void Trace::finish() {
    if (stream == nullptr) return;
    if (std::fflush(stream) != 0 || std::ferror(stream)) lost();
    if (owns_stream && std::fclose(std::exchange(stream, nullptr)) != 0) lost();
}

// A trace that lost lines must not pass for the record of the run: the run stops.
void Trace::lost() {
    std::string reason = platform::last_system_error();
    if (stream != nullptr && owns_stream) std::fclose(stream);
    stream = nullptr;
    throw OutputLost{"cannot write the trace " + name + ": " + reason};
}

bool Trace::before(const Runtime& runtime, std::int32_t record_number) {
    number = record_number;
    std::string_view text = runtime.script.record_text(record_number);
    line = "#" + whole_number_text(record_number) + " ";
    const std::size_t index = static_cast<std::size_t>(record_number) - 1;
    if (record_number >= 1 && index < places.size() && !places[index].empty()) line += places[index] + " ";
    line += listing_line_of(text.substr(0, shown_length));
    if (text.size() > shown_length) line += "... (" + whole_number_text(text.size()) + " bytes)";
    result_before = value_of(runtime.variables, 0);
    loops_before = runtime.reader.loop_stack.size();
    returns_before = runtime.reader.return_stack.size();
    dialogs_before = runtime.host.dialogs_answered;
    return true;
}

bool Trace::after(const Runtime& runtime, Step step) {
    std::string effects;
    auto add = [&](const std::string& effect) { effects += (effects.empty() ? " | " : "; ") + effect; };
    if (step == Step::unknown_opcode) add("unknown, skipped");
    if (runtime.host.dialogs_answered != dialogs_before) add("dialog answered");
    const VariableStore& store = runtime.variables;
    const std::optional<VariableSlot> output = output_of(runtime);
    if (output && *output != 0)
        add(name_of(runtime, *output) +
            (is_computed_variable(*output) ? " stored" : "=" + traced_text(value_of(store, *output))));
    std::string result = value_of(store, 0);
    // A message box's answer is shown even when it equals the result before.
    const bool answers = runtime.operands.record && runtime.operands.record->opcode == Opcode::R007;
    if (result != result_before || output == VariableSlot{0} || answers) add("[0]=" + traced_text(result));
    const std::int32_t loops = runtime.reader.loop_stack.size(), returns = runtime.reader.return_stack.size();
    const std::string next = whole_number_text(runtime.reader.instruction_counter + 1);
    if (returns > returns_before)
        add("call, next #" + next);
    else if (returns < returns_before)
        add("return, next #" + next);
    else if (runtime.reader.instruction_counter != number)
        add((goes_back_to_its_loop(runtime) ? "loop back, next #" : "jump, next #") + next);
    else if (loops > loops_before)
        add("loop opens");
    else if (loops < loops_before)
        add("loop ends");
    if (step == Step::stop) add("end");
    write_line(line + effects);
    return true;
}

void Trace::ended_in_record(const Runtime&) {
    write_line(line + " | the script ends: the stream has no such record");
}

void Trace::write_line(const std::string& text) {
    if (stream == nullptr) return;
    if (std::fwrite(text.data(), 1, text.size(), stream) != text.size() || std::fputc('\n', stream) == EOF)
        lost();
}

TraceSetting trace_from_environment() {
    std::string setting = platform::environment_variable("KORVEX_TRACE").value_or("");
    if (setting.empty()) return {};
    if (setting == "-") return {std::make_unique<Trace>(stderr, false, "to standard error"), std::nullopt};
    std::FILE* file = std::fopen(setting.c_str(), "w");
    if (file == nullptr)
        return {nullptr, "cannot write the trace " + setting + ": " + platform::last_system_error()};
    return {std::make_unique<Trace>(file, true, setting), std::nullopt};
}

TracePlaces trace_places_from_environment() {
    std::string setting = platform::environment_variable("KORVEX_TRACE_LINES").value_or("");
    if (setting.empty()) return {};
    std::optional<std::string> map = platform::read_whole_file(setting);
    if (!map) return {{}, "cannot read the line map " + setting};
    TracePlaces read;
    for (std::size_t start = 0; start < map->size();) {
        std::size_t end = std::min(map->find('\n', start), map->size());
        std::string place = map->substr(start, end - start);
        if (!place.empty() && place.back() == '\r') place.pop_back();
        read.places.push_back(std::move(place));
        start = end + 1;
    }
    return read;
}

} // namespace korvex
