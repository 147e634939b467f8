// Runs a random instruction stream on a fresh runtime with the scripted desktop, for at most
// record_limit records. A run must end without a crash, a leak, undefined behaviour, or a handler
// asking for more operands than its record holds; and a second run without the value shortcuts (numbers held
// beside texts, appends in place) must leave the same transcript and the same variables.
//
// The runtime runs on the stub platform (src/platform/stub): files, directories, the environment,
// waits, the clock and started programs are a machine in memory, emptied before each run, so every
// record runs, none touches this machine and both runs see the same clock. A run ends when a record's
// operands hold more than value_limit bytes or a record stored a longer value, so no chain of joins and
// replacements outgrows memory.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "base/numbers.hpp"
#include "core/executor.hpp"
#include "core/runtime.hpp"
#include "core/variables.hpp"
#include "decoder/opcodes.hpp"
#include "decoder/script_image.hpp"
#include "host/host.hpp"
#include "platform/desktop.hpp"
#include "platform/stub/stub_machine.hpp"

namespace {

using namespace korvex;

constexpr std::int64_t record_limit = 2000;
constexpr std::size_t value_limit = 4096;

const char* const dialog_answers = "text typed\nok\nselect b\ncancel\nyes\nno\nbutton 3\nchoose 2\nok\n";

// Watches the host's main loop: a record that names too much does not run, a run that stored too
// long a value stops.
class GuardedRun final : public RecordWatcher {
public:
    explicit GuardedRun(Runtime& runtime) : runtime(runtime) {}

    void run() {
        try {
            run_main_loop(runtime, record_limit, *this);
        } catch (const AnswerDoesNotFit&) {
            // An answer the desktop cannot take stops an unattended run, as the host stops it.
        }
    }

    bool before(const Runtime&, std::int32_t number) override {
        return !reads_too_much(runtime.script.decoded(), runtime.script.record(number));
    }
    bool after(const Runtime&, Step) override {
        return value_length(runtime.operands.output_variable) <= value_limit;
    }
    void ended_in_record(const Runtime&) override {}

private:
    // Whether the record, or the one behind a one-line if, names more than value_limit bytes.
    bool reads_too_much(const DecodedProgram& program, const DecodedRecord& record) {
        for (const DecodedRecord* part = &record; part != nullptr;) {
            if (operand_bytes(program, *part) > value_limit) return true;
            part = part->opcode == Opcode::R0IF ? &program.records[part->embedded_record()] : nullptr;
        }
        return false;
    }

    // The length of a variable's text, found without storing one, so that a run with the value
    // shortcuts is guarded as one without them.
    std::size_t value_length(VariableSlot slot) {
        const VariableStore& store = runtime.variables;
        if (slot >= store.slot_count()) return 0;
        if (is_computed_variable(slot)) return get_variable(runtime, slot).size();
        if (store.holds_number(slot) && !store.holds_text(slot))
            return format_number(store.number(slot)).size();
        return store.text(slot).size();
    }

    // The bytes of the literals and variables a record names: a bound of every value it can read.
    std::size_t operand_bytes(const DecodedProgram& program, const DecodedRecord& record) {
        std::size_t total = 0;
        for (std::uint32_t i = 0; i < record.operand_count; ++i) {
            const Operand& operand = program.operands[record.first_operand + i];
            if (operand.kind() == Operand::Kind::literal) total += operand.length;
            if (operand.kind() == Operand::Kind::variable) total += value_length(operand.first);
        }
        return total;
    }

    Runtime& runtime;
};

// One guarded run: the desktop's transcript and the texts of the variables it leaves.
std::string outcome_of(std::string_view stream, bool value_shortcuts) {
    platform::stub::reset_machine();
    std::string transcript;
    std::unique_ptr<Desktop> desktop = make_scripted_desktop_from_text(dialog_answers, &transcript);
    Runtime runtime(*desktop, std::string(stream));
    runtime.options.value_shortcuts = value_shortcuts;
    runtime.random.seed_clock = [] { return std::int64_t(1); };
    GuardedRun run(runtime);
    init_system_variables(runtime);
    run.run();
    if (runtime.operands.overruns != 0) {
        std::fprintf(stderr, "a handler read %d operands beyond its record\n", runtime.operands.overruns);
        std::abort();
    }
    std::string outcome = transcript;
    for (VariableSlot slot = 0; slot < runtime.variables.slot_count(); ++slot)
        outcome += "\n[" + std::to_string(slot) + "] " + get_variable(runtime, slot);
    return outcome;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view stream(reinterpret_cast<const char*>(data), size);
    std::string with_shortcuts = outcome_of(stream, true);
    std::string without_shortcuts = outcome_of(stream, false);
    if (with_shortcuts != without_shortcuts) {
        std::fprintf(stderr, "with the value shortcuts:\n%s\n\nwithout them:\n%s\n", with_shortcuts.c_str(),
                     without_shortcuts.c_str());
        std::abort();
    }
    return 0;
}
