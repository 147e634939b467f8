// Runs a random instruction stream on a fresh runtime with the scripted desktop, for at most
// record_limit records. A run must end without a crash, a leak, undefined behaviour, or a handler
// asking for more operands than its record holds; and, unless the script reads the clock, a second
// run without the value shortcuts (numbers held beside texts, appends in place) must leave the same
// transcript and the same variables.
//
// What a script may do to the machine is bounded here, by looking at each record before it runs (the
// record behind a one-line if too), not inside the runtime:
// - records that start programs or hand documents to the desktop (R010, R014, R020, R030) are passed
//   over: what they do happens outside this process, and a shell command could do anything. The
//   multimedia command (R029) stays: on POSIX systems it only gives its error number;
// - the file records run in a directory made for the fuzzer once per process and current during each
//   run; one runs only while every value it reads names a place inside that directory (relative or
//   below it, never through ".."), at most file_record_limit of them per run. A run ends when the
//   current directory has left it (variable 2 is where a search returns to). After each run the
//   directory is emptied and current again;
// - a wait runs only when it is short; environment variables a run sets are put back after it;
// - a run ends when a record's operands hold more than value_limit bytes or a record stored a longer
//   value, so no chain of joins and replacements outgrows memory.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>

#include "base/numbers.hpp"
#include "core/executor.hpp"
#include "core/operands.hpp"
#include "core/runtime.hpp"
#include "core/variables.hpp"
#include "decoder/opcodes.hpp"
#include "decoder/script_image.hpp"
#include "dialogs/dialogs.hpp"
#include "host/host.hpp"
#include "platform/desktop.hpp"
#include "platform/os.hpp"
#include "platform/process.hpp"

namespace {

using namespace korvex;
namespace fs = std::filesystem;

constexpr std::int64_t record_limit = 2000;
constexpr std::size_t value_limit = 4096;
constexpr int file_record_limit = 64;
constexpr std::size_t path_limit = 255;
constexpr std::int32_t longest_wait_milliseconds = 5;

const char* const dialog_answers = "text typed\nok\nselect b\ncancel\nyes\nno\nbutton 3\nchoose 2\nok\n";

bool is_one_of(Opcode opcode, std::initializer_list<Opcode> opcodes) {
    return std::find(opcodes.begin(), opcodes.end(), opcode) != opcodes.end();
}

bool starts_programs(Opcode opcode) {
    return is_one_of(opcode, {Opcode::R010, Opcode::R014, Opcode::R020, Opcode::R030});
}

bool touches_files(Opcode opcode) {
    return is_one_of(opcode, {Opcode::R011, Opcode::R012, Opcode::R013, Opcode::R017, Opcode::R018,
                              Opcode::R019, Opcode::R021, Opcode::R024, Opcode::R025, Opcode::R026,
                              Opcode::R034, Opcode::R035, Opcode::R039, Opcode::R040});
}

bool changes_directory(Opcode opcode) {
    return is_one_of(opcode, {Opcode::R011, Opcode::R034, Opcode::R0IF});
}

bool has_output(Opcode opcode) {
    OperandShape shape = operand_layout(opcode).shape;
    return shape == OperandShape::output_then_values || shape == OperandShape::join ||
           shape == OperandShape::arithmetic;
}

// The directory the file records work in, made once per process and removed at its end.
class Sandbox {
public:
    Sandbox() {
        std::random_device random;
        for (;;) {
            root = fs::temp_directory_path() / ("korvex-fuzz-" + std::to_string(random()));
            if (fs::create_directory(root)) break;
        }
        root = fs::canonical(root);
    }
    ~Sandbox() {
        std::error_code error;
        restore_permissions();
        fs::remove_all(root, error);
    }

    // Makes the directory current for a run (anew when the last run removed it, which an empty
    // current directory allows).
    void enter() {
        std::error_code error;
        fs::create_directory(root, error);
        fs::current_path(root, error);
    }

    // Empties the directory, whatever permissions the run left, and makes the fuzzer's own directory
    // current again, where it reads and writes its inputs.
    void leave() {
        std::error_code error;
        fs::current_path(own_directory, error);
        if (fs::is_empty(root, error) || error) return;
        restore_permissions();
        for (const fs::directory_entry& entry : fs::directory_iterator(root, error))
            fs::remove_all(entry, error);
    }

    // Whether a value names a place inside: up to its first zero byte (where the system's copy of it
    // ends), either slash a separator, with and without the blanks some instructions trim.
    bool holds(std::string_view value) const {
        value = value.substr(0, value.find('\0'));
        if (value.size() > path_limit) return false;
        std::string path(value);
        for (char& byte : path)
            if (byte == '\\') byte = '/';
        return holds_path(path) && holds_path(trim_blanks(path));
    }

    bool is_current() const {
        std::error_code error;
        fs::path current = fs::current_path(error);
        return !error && (current == root || current.native().starts_with(root.native() + "/"));
    }

private:
    bool holds_path(std::string_view path) const {
        if (path.starts_with('/')) {
            const std::string& own = root.native();
            if (!path.starts_with(own) || (path.size() > own.size() && path[own.size()] != '/')) return false;
            path.remove_prefix(own.size());
        }
        while (!path.empty()) {
            std::size_t end = path.find('/');
            if (path.substr(0, end) == "..") return false;
            path.remove_prefix(end == std::string_view::npos ? path.size() : end + 1);
        }
        return true;
    }

    void restore_permissions() {
        std::error_code error;
        fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, error);
        for (fs::recursive_directory_iterator entry(root, error), end; !error && entry != end;
             entry.increment(error))
            fs::permissions(entry->path(), fs::perms::owner_all, fs::perm_options::add, error);
    }

    fs::path root;
    fs::path own_directory = fs::current_path();
};

Sandbox* sandbox = nullptr;

// What the guard decided for a record before it runs.
enum class Verdict { run, pass_over, end_run };

class GuardedRun {
public:
    // Made before the system variables, so that variable 2 names the directory the run works in.
    explicit GuardedRun(Runtime& runtime) : runtime(runtime) { sandbox->enter(); }
    GuardedRun(const GuardedRun&) = delete;
    ~GuardedRun() {
        for (const auto& [name, value] : saved_environment) {
            if (value)
                platform::set_environment_variable(name, *value);
            else
                platform::remove_environment_variable(name);
        }
        sandbox->leave();
    }

    // The main loop of the host, with the guard before each record and after it.
    void run() {
        try {
            for (std::int64_t executed = 0; executed < record_limit; ++executed) {
                go_to_record(runtime, runtime.instruction_counter + 1);
                const DecodedRecord& record = runtime.script.record(runtime.instruction_counter);
                Verdict verdict = check(runtime.script.decoded(), record);
                if (verdict == Verdict::end_run) return;
                if (verdict == Verdict::pass_over) continue;
                switch (execute_record(runtime, runtime.instruction_counter)) {
                case status_stop: return;
                case status_input_dialog: run_input_dialog(runtime); break;
                case status_editor_dialog: run_editor_dialog(runtime); break;
                case status_list_dialog: run_list_dialog(runtime); break;
                default: break;
                }
                if (value_length(runtime.output_variable) > value_limit) return;
                if (changes_directory(record.opcode) && !sandbox->is_current()) return;
            }
        } catch (const AnswerDoesNotFit&) {
            // An answer the desktop cannot take stops an unattended run, as the host stops it.
        } catch (const ScriptEnded&) {
        }
    }

private:
    Verdict check(const DecodedProgram& program, const DecodedRecord& record) {
        for (const DecodedRecord* part = &record; part != nullptr;) {
            if (operand_bytes(program, *part) > value_limit) return Verdict::end_run;
            if (starts_programs(part->opcode)) return Verdict::pass_over;
            if (touches_files(part->opcode)) {
                if (++file_records > file_record_limit) return Verdict::end_run;
                if (!names_only_inside(program, *part)) return Verdict::pass_over;
            }
            if (part->opcode == Opcode::R036 &&
                read_whole_number(first_value(program, *part)) > longest_wait_milliseconds)
                return Verdict::pass_over;
            if (part->opcode == Opcode::R016) save_environment_entry(first_value(program, *part));
            part = part->opcode == Opcode::R0IF ? &program.records[static_cast<std::size_t>(part->target)]
                                                : nullptr;
        }
        return Verdict::run;
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

    std::string first_value(const DecodedProgram& program, const DecodedRecord& record) {
        begin_record(runtime, program, record);
        return has_operands_left(runtime) ? read_value(runtime) : std::string();
    }

    bool names_only_inside(const DecodedProgram& program, const DecodedRecord& record) {
        begin_record(runtime, program, record);
        if (has_output(record.opcode) && has_operands_left(runtime)) read_output_variable(runtime);
        while (has_operands_left(runtime))
            if (!sandbox->holds(read_value(runtime))) return false;
        return true;
    }

    void save_environment_entry(std::string_view assignment) {
        assignment = assignment.substr(0, assignment.find('\0'));
        std::string name(assignment.substr(0, assignment.find('=')));
        if (!name.empty() && !saved_environment.contains(name))
            saved_environment[name] = platform::environment_variable(name);
    }

    Runtime& runtime;
    int file_records = 0;
    std::map<std::string, std::optional<std::string>> saved_environment;
};

bool is_clock(VariableSlot slot) {
    return slot == 7 || slot == 10 || slot == 11 || slot == 12;
}

bool reads_clock(const Runtime& runtime) {
    for (const Operand& operand : runtime.script.decoded().operands)
        if (operand.kind() == Operand::Kind::variable && is_clock(operand.first)) return true;
    return false;
}

// One guarded run: the desktop's transcript and the texts of the variables it leaves.
std::string outcome_of(std::string_view stream, bool value_shortcuts, bool* clock_read = nullptr) {
    std::string transcript;
    std::unique_ptr<Desktop> desktop = make_scripted_desktop_from_text(dialog_answers, &transcript);
    Runtime runtime(*desktop, std::string(stream));
    runtime.value_shortcuts = value_shortcuts;
    runtime.random_seed_clock = [] { return std::int64_t(1); };
    GuardedRun run(runtime);
    init_system_variables(runtime);
    run.run();
    if (runtime.operand_overruns != 0) {
        std::fprintf(stderr, "a handler read %d operands beyond its record\n", runtime.operand_overruns);
        std::abort();
    }
    if (clock_read) *clock_read = reads_clock(runtime);
    std::string outcome = transcript;
    for (VariableSlot slot = 0; slot < runtime.variables.slot_count(); ++slot)
        if (!is_clock(slot)) outcome += "\n[" + std::to_string(slot) + "] " + get_variable(runtime, slot);
    return outcome;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    sandbox = new Sandbox;
    std::atexit([] { delete sandbox; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view stream(reinterpret_cast<const char*>(data), size);
    bool clock_read = false;
    std::string with_shortcuts = outcome_of(stream, true, &clock_read);
    if (clock_read) return 0;
    std::string without_shortcuts = outcome_of(stream, false);
    if (with_shortcuts != without_shortcuts) {
        std::fprintf(stderr, "with the value shortcuts:\n%s\n\nwithout them:\n%s\n", with_shortcuts.c_str(),
                     without_shortcuts.c_str());
        std::abort();
    }
    return 0;
}
